// The studio's interface to its page: every request is checked first (it must come for this
// server's own address, from no other site, with this run's secret; see Admit), then answered
// from the user's files, read and written through the plug-in's readers and the configuration
// check's rules, and from previews drawn by the plug-in's own code:
//   GET  /?key=SECRET              the page
//   GET  /api/lamp                 the lens programming file: panels, findings, version
//   POST /api/lamp/check           findings of a draft programming
//   POST /api/lamp/save            saves a draft (with the version it was made from)
//   POST /api/lamp/light           the lenses lit for conditions chosen by hand
//   GET  /api/config               the configuration file: gauges, buttons, pages, findings
//   POST /api/config/check, /save  as for the lamp
//   GET  /api/names                key, joystick-button, keyboard-key and command names
//   POST /api/gauge                a gauge's name and variables
//   POST /api/gauge/picture        the screen panel's picture of a gauge (PNG; LEDs in X-Leds)
//   POST /api/hotas/lines          the stick display's lines of pages for chosen values
//   GET  /api/profiles             the aircraft profiles: entries, findings, what each changes,
//                                  and the registry's paths
//   POST /api/profiles/check, /save  as for the lamp, one profile file named by "file"
//   POST /api/quit                 ends the studio
// Answers are JSON (UTF-8) unless said otherwise; a refused request gets 4xx with a message.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "http_server.h"

namespace XPL::STUDIO {

struct StudioOptions {
    std::filesystem::path dataFolder;
    std::filesystem::path profileFolder;
    std::string secret;  // every request must carry it
    uint16_t port = 0;   // the server's, for the Host and Origin checks
};

class CStudio {
public:
    // page: the HTML of the page; quit: called on /api/quit.
    CStudio(StudioOptions options, std::string page, std::function<void()> quit);
    ~CStudio();
    CStudio(const CStudio&) = delete;
    CStudio& operator=(const CStudio&) = delete;

    void SetPort(uint16_t port);
    HttpResponse Handle(const HttpRequest& request);

    // A refusal's message, or "" when the request may be served: Host must name this server on
    // the loopback address (no other name: a page of another site that a DNS answer points here
    // cannot be served), an Origin or Sec-Fetch-Site header must say this page's own, and the
    // secret must come as X-Studio-Key (the page's own address: as its key parameter).
    std::string Admit(const HttpRequest& request) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A secret for one run: 128 bits from the OS's random source, as 32 hex digits.
std::string MakeSecret();

}  // namespace XPL::STUDIO
