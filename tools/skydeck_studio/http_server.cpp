#include "http_server.h"

// Asio of Boost 1.74 uses std::exchange without including <utility> itself.
#include <utility>

#include <array>
#include <boost/asio.hpp>
#include <boost/beast.hpp>
#include <chrono>
#include <exception>

namespace XPL::STUDIO {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using asio::ip::tcp;

std::string HttpRequest::Header(const std::string& lowerName) const {
    const auto found = headers.find(lowerName);
    return found != headers.end() ? found->second : std::string();
}

struct CHttpServer::Impl {
    explicit Impl(HttpHandler handler) : handler(std::move(handler)) {}

    asio::awaitable<void> Accept();
    asio::awaitable<void> Serve(tcp::socket socket);
    HttpResponse Handle(const HttpRequest& request);

    HttpHandler handler;
    asio::io_context io{1};
    tcp::acceptor acceptor{io};
    size_t connections = 0;
};

namespace {

// What every answer carries: nothing is cached, nothing is framed, sniffed or sent on.
void SecureHeaders(http::response<http::string_body>& response) {
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("X-Frame-Options", "DENY");
    response.set("Referrer-Policy", "no-referrer");
    response.set("Content-Security-Policy",
                 "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                 "img-src blob: data:; connect-src 'self'; frame-ancestors 'none'; "
                 "form-action 'none'; base-uri 'none'");
}

http::response<http::string_body> ToBeast(const HttpResponse& answer, unsigned version,
                                          bool keepAlive) {
    http::response<http::string_body> response{static_cast<http::status>(answer.status), version};
    response.set(http::field::server, "skydeck-studio");
    response.set(http::field::content_type, answer.contentType);
    for (const auto& [name, value] : answer.headers) {
        response.set(name, value);
    }
    SecureHeaders(response);
    response.body() = answer.body;
    response.keep_alive(keepAlive);
    response.prepare_payload();
    return response;
}

HttpResponse Plain(int status, const std::string& text) {
    return HttpResponse{status, "text/plain; charset=utf-8", text + "\n", {}};
}

}  // namespace

HttpResponse CHttpServer::Impl::Handle(const HttpRequest& request) {
    // The handler reads untrusted input: whatever it throws (a library's parse error, say) ends
    // this request only.
    try {
        return handler(request);
    } catch (const std::exception& error) {
        return Plain(500, std::string("the request could not be handled: ") + error.what());
    } catch (...) {
        return Plain(500, "the request could not be handled");
    }
}

asio::awaitable<void> CHttpServer::Impl::Serve(tcp::socket socket) {
    beast::tcp_stream stream(std::move(socket));
    beast::flat_buffer buffer(kMaxHeaderBytes);
    for (;;) {
        http::request_parser<http::string_body> parser;
        parser.header_limit(static_cast<std::uint32_t>(kMaxHeaderBytes));
        parser.body_limit(kMaxBodyBytes);
        stream.expires_after(std::chrono::seconds(kRequestSeconds));
        beast::error_code error;
        co_await http::async_read(stream, buffer, parser,
                                  asio::redirect_error(asio::use_awaitable, error));
        if (error) {
            // Too large or malformed: say so before closing; a closed or silent peer gets nothing.
            HttpResponse refusal;
            if (error == http::error::body_limit || error == http::error::header_limit ||
                error == http::error::buffer_overflow) {
                refusal = Plain(413, "the request is too large");
            } else if (error.category() ==
                           http::make_error_code(http::error::bad_target).category() &&
                       error != http::error::end_of_stream &&
                       error != http::error::partial_message) {
                refusal = Plain(400, "the request is malformed");
            } else {
                break;
            }
            auto response = ToBeast(refusal, 11, false);
            co_await http::async_write(stream, response,
                                       asio::redirect_error(asio::use_awaitable, error));
            // What the client still sends is read and dropped for a moment, so that closing does
            // not reset the connection before the refusal arrives.
            stream.socket().shutdown(tcp::socket::shutdown_send, error);
            stream.expires_after(std::chrono::seconds(1));
            std::array<char, 4096> sink;
            while (!error) {
                co_await stream.async_read_some(asio::buffer(sink),
                                                asio::redirect_error(asio::use_awaitable, error));
            }
            break;
        }
        const auto& message = parser.get();
        HttpRequest request;
        request.method = std::string(message.method_string());
        request.target = std::string(message.target());
        for (const auto& field : message) {
            std::string name(field.name_string());
            for (char& c : name) {
                c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            }
            std::string& value = request.headers[name];
            value += value.empty() ? std::string(field.value()) : ", " + std::string(field.value());
        }
        request.body = message.body();
        const bool keepAlive = message.keep_alive();
        auto response = ToBeast(Handle(request), message.version(), keepAlive);
        co_await http::async_write(stream, response,
                                   asio::redirect_error(asio::use_awaitable, error));
        if (error || !keepAlive) {
            break;
        }
    }
    beast::error_code ignored;
    stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
    --connections;
}

asio::awaitable<void> CHttpServer::Impl::Accept() {
    for (;;) {
        beast::error_code error;
        tcp::socket socket =
            co_await acceptor.async_accept(asio::redirect_error(asio::use_awaitable, error));
        if (error == asio::error::operation_aborted || !acceptor.is_open()) {
            co_return;
        }
        if (error) {
            continue;
        }
        if (connections >= kMaxConnections) {
            socket.close(error);
            continue;
        }
        ++connections;
        asio::co_spawn(io, Serve(std::move(socket)), asio::detached);
    }
}

CHttpServer::CHttpServer(HttpHandler handler) : impl_(std::make_unique<Impl>(std::move(handler))) {}

CHttpServer::~CHttpServer() = default;

bool CHttpServer::Listen(uint16_t port, std::string& why) {
    beast::error_code error;
    const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    impl_->acceptor.open(endpoint.protocol(), error);
    // No address reuse: on Windows it would let another program take the port over.
    if (!error) {
        impl_->acceptor.bind(endpoint, error);
    }
    if (!error) {
        impl_->acceptor.listen(asio::socket_base::max_listen_connections, error);
    }
    if (error) {
        why = error.message();
        impl_->acceptor.close(error);
        return false;
    }
    asio::co_spawn(impl_->io, impl_->Accept(), asio::detached);
    return true;
}

uint16_t CHttpServer::Port() const {
    beast::error_code error;
    const tcp::endpoint endpoint = impl_->acceptor.local_endpoint(error);
    return error ? 0 : endpoint.port();
}

void CHttpServer::Run(bool interruptible) {
    asio::signal_set signals(impl_->io);
    if (interruptible) {
        signals.add(SIGINT);
        signals.add(SIGTERM);
        signals.async_wait([this](const beast::error_code& error, int) {
            if (!error) {
                impl_->io.stop();
            }
        });
    }
    impl_->io.run();
}

void CHttpServer::Stop() {
    asio::post(impl_->io, [this] { impl_->io.stop(); });
}

}  // namespace XPL::STUDIO
