#include "studio_tool.h"

#include <charconv>
#include <optional>
#include <system_error>

#include "http_server.h"
#include "platform/program.h"
#include "sim/utility.h"
#include "studio.h"
#include "studio_page.h"
#include "tool_folders.h"

namespace XPL::STUDIO {

namespace {

constexpr char kUsage[] =
    "usage: skydeck-studio [--data DIR] [--profile DIR] [--port N] [--no-browser]\n";

int BadUsage(std::ostream& err, const std::string& message) {
    err << "skydeck-studio: " << message << "\n" << kUsage;
    return kBadUsage;
}

}  // namespace

int Run(const std::vector<std::string>& arguments, const std::filesystem::path& builtInData,
        std::ostream& out, std::ostream& err) {
    std::optional<std::filesystem::path> data;
    std::optional<std::filesystem::path> profile;
    uint16_t port = 0;
    bool browser = true;
    bool options = true;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (!options || argument == "--") {
            if (argument == "--" && options) {
                options = false;
                continue;
            }
            return BadUsage(err, "unexpected argument " + argument);
        }
        std::optional<std::string> value;
        if (const size_t equals = argument.find('=');
            argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument = argument.substr(0, equals);
        }
        const bool wantsValue =
            argument == "--data" || argument == "--profile" || argument == "--port";
        if (wantsValue && !value) {
            if (i + 1 >= arguments.size()) {
                return BadUsage(err, argument + " wants a value");
            }
            value = arguments[++i];
        }
        if (argument == "--help" || argument == "-h") {
            out << kUsage;
            return kDone;
        } else if (argument == "--data") {
            data = UTILITY::MakeFilePath(*value);
        } else if (argument == "--profile") {
            profile = UTILITY::MakeFilePath(*value);
        } else if (argument == "--port") {
            unsigned number = 0;
            const auto [end, error] =
                std::from_chars(value->data(), value->data() + value->size(), number);
            if (error != std::errc() || end != value->data() + value->size() || number > 65535) {
                return BadUsage(err, "--port wants a number from 0 to 65535");
            }
            port = static_cast<uint16_t>(number);
        } else if (argument == "--no-browser" && !value) {
            browser = false;
        } else {
            return BadUsage(err, "unexpected argument " + arguments[i]);
        }
    }
    StudioOptions studioOptions;
    studioOptions.dataFolder = data ? *data : TOOLS::DefaultDataFolder(builtInData);
    studioOptions.profileFolder =
        profile ? *profile : UTILITY::MakeFilePath(UTILITY::GetProfileFolder());
    std::error_code error;
    if (!std::filesystem::is_directory(studioOptions.dataFolder, error)) {
        err << "skydeck-studio: the data folder " << studioOptions.dataFolder.string()
            << " does not exist\n";
        return kFailed;
    }
    studioOptions.secret = MakeSecret();

    CHttpServer* running = nullptr;
    CStudio studio(studioOptions, std::string(StudioPage()), [&running] {
        if (running != nullptr) {
            running->Stop();
        }
    });
    CHttpServer server([&studio](const HttpRequest& request) { return studio.Handle(request); });
    std::string why;
    if (!server.Listen(port, why)) {
        err << "skydeck-studio: cannot listen on 127.0.0.1:" << port << ": " << why << "\n";
        return kFailed;
    }
    running = &server;
    studio.SetPort(server.Port());
    const std::string address =
        "http://127.0.0.1:" + std::to_string(server.Port()) + "/?key=" + studioOptions.secret;
    out << "skydeck-studio: data folder " << studioOptions.dataFolder.string()
        << ", profile folder " << studioOptions.profileFolder.string() << "\n"
        << "skydeck-studio: open " << address << " (Ctrl+C ends the studio)" << std::endl;
    if (browser && !PLATFORM::OpenInBrowser(address)) {
        err << "skydeck-studio: no browser could be opened; open the address above\n";
    }
    server.Run(true);
    out << "skydeck-studio: ended" << std::endl;
    return kDone;
}

}  // namespace XPL::STUDIO
