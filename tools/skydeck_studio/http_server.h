// A small HTTP/1.1 server for the studio's one page: it listens on the loopback address only,
// reads requests of bounded size within a time limit, and hands each to one handler, one request
// at a time on the thread that runs it (so the handler needs no lock and may use objects that
// belong to that thread). Requests are untrusted: whatever arrives is answered or the connection
// closed; nothing of it stops the server.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace XPL::STUDIO {

struct HttpRequest {
    std::string method;                          // "GET", "POST", ...
    std::string target;                          // as sent: path and query
    std::map<std::string, std::string> headers;  // names in lower case; a repeated one joined
    std::string body;
    // The header's value, or "" without it.
    std::string Header(const std::string& lowerName) const;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // more headers
};

using HttpHandler = std::function<HttpResponse(const HttpRequest&)>;

class CHttpServer {
public:
    static constexpr size_t kMaxHeaderBytes = 16 * 1024;
    static constexpr size_t kMaxBodyBytes = 4 * 1024 * 1024;
    static constexpr size_t kMaxConnections = 32;
    // A request must arrive whole within this time, an idle connection is closed after it.
    static constexpr int kRequestSeconds = 20;

    explicit CHttpServer(HttpHandler handler);
    ~CHttpServer();
    CHttpServer(const CHttpServer&) = delete;
    CHttpServer& operator=(const CHttpServer&) = delete;

    // Listens on 127.0.0.1 at port (0: a free port the OS picks). False, with why, when it cannot.
    bool Listen(uint16_t port, std::string& why);
    uint16_t Port() const;
    // Serves on the calling thread until Stop, or until the process is interrupted (Ctrl+C) when
    // interruptible.
    void Run(bool interruptible);
    // Ends Run soon; callable from any thread and from the handler.
    void Stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace XPL::STUDIO
