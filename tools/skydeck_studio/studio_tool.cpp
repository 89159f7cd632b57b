#include "studio_tool.h"

#include <charconv>
#include <optional>
#include <system_error>

#include "command_line.h"
#include "http_server.h"
#include "platform/program.h"
#include "sim/utility.h"
#include "studio.h"
#include "studio_page.h"
#include "tool_folders.h"
#include "tool_text.h"

namespace XPL::STUDIO {

namespace {

constexpr char kUsage[] =
    "usage: skydeck-studio [--data DIR] [--profile DIR] [--port N] [--no-browser]\n";
constexpr TOOLS::OptionSpec kOptions[] = {
    {"--data", "DIR"}, {"--profile", "DIR"}, {"--port", "N"}, {"--no-browser", ""}};

}  // namespace

int Run(const std::vector<std::string>& arguments, const std::filesystem::path& builtInData,
        std::ostream& out, std::ostream& err) {
    const TOOLS::CToolUsage usage("skydeck-studio", kUsage);
    const TOOLS::CommandLine line = TOOLS::ParseCommandLine(arguments, kOptions);
    if (const auto status = usage.Answered(line, out, err)) {
        return *status;
    }
    std::optional<std::filesystem::path> data;
    std::optional<std::filesystem::path> profile;
    uint16_t port = 0;
    bool browser = true;
    for (const TOOLS::Argument& argument : line.arguments) {
        if (argument.Is("--data")) {
            data = TOOLS::PathOfUtf8(argument.value);
        } else if (argument.Is("--profile")) {
            profile = TOOLS::PathOfUtf8(argument.value);
        } else if (argument.Is("--port")) {
            unsigned number = 0;
            const std::string& value = argument.value;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (error != std::errc() || end != value.data() + value.size() || number > 65535) {
                return usage.Error(err, TOOLS::InvalidValue("--port", value,
                                                            "a port is a number from 0 to 65535"));
            }
            port = static_cast<uint16_t>(number);
        } else if (argument.Is("--no-browser")) {
            browser = false;
        } else {
            return usage.Error(err, TOOLS::UnexpectedArgument(argument.value));
        }
    }
    StudioOptions studioOptions;
    studioOptions.dataFolder = data ? *data : TOOLS::DefaultDataFolder(builtInData);
    studioOptions.profileFolder =
        profile ? *profile : UTILITY::MakeFilePath(UTILITY::GetProfileFolder());
    std::error_code error;
    if (!std::filesystem::is_directory(studioOptions.dataFolder, error)) {
        err << "skydeck-studio: the data folder " << TOOLS::ShownPath(studioOptions.dataFolder)
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
    out << "skydeck-studio: data folder " << TOOLS::ShownPath(studioOptions.dataFolder)
        << ", profile folder " << TOOLS::ShownPath(studioOptions.profileFolder) << "\n"
        << "skydeck-studio: open " << address << " (Ctrl+C ends the studio)" << std::endl;
    if (browser && !PLATFORM::OpenInBrowser(address)) {
        err << "skydeck-studio: no browser could be opened; open the address above\n";
    }
    server.Run(true);
    out << "skydeck-studio: ended" << std::endl;
    return kDone;
}

}  // namespace XPL::STUDIO
