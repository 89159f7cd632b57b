// The studio: its edit model keeps every byte it does not change, in every encoding the
// plug-in reads; the lens and configuration files it composes read back, through the plug-in's
// readers, as wanted; its interface refuses what is not the user's page and answers the rest.
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast.hpp>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "check_support.h"
#include "configuration_document.h"
#include "http_server.h"
#include "lens_document.h"
#include "profile_document.h"
#include "sim/aircraft_profile.h"
#include "studio.h"
#include "studio_tool.h"
#include "tool_text.h"
#include "xml_map.h"

namespace XPL::TEST {

namespace {

using namespace XPL::STUDIO;
using json = nlohmann::json;
using TOOLS::Widen;

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Utf16(const std::string& ascii, bool big) {
    std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        out += big ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

class StudioTest : public CheckFolderTest {
protected:
    // The file read by the plug-in's reader and located; fails the test when either fails.
    void Load(const std::string& name, PLATFORM::CXmlDocument& document, CXmlText& text) {
        document.Create();
        ASSERT_TRUE(document.LoadFile((folder_ / name).wstring()));
        std::string why;
        ASSERT_TRUE(text.Read(ReadAll(folder_ / name), why)) << why;
        ASSERT_TRUE(SameElements(text, document));
    }
};

}  // namespace

TEST_F(StudioTest, EveryEncodingIsKeptAndTakesNewValues) {
    const std::string ascii = "<?xml version=\"1.0\"?>\r\n<!-- kept -->\r\n<a b=\"x\" c='y'/>\r\n";
    const std::vector<std::pair<const char*, std::string>> files = {
        {"utf-8", ascii},
        {"utf-8 with mark", "\xEF\xBB\xBF" + ascii},
        {"utf-16le", Utf16(ascii, false)},
        {"utf-16be", Utf16(ascii, true)},
        {"latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a b=\"\xE9\" c='y'/>"},
        {"windows-1252", "<?xml version='1.0' encoding='windows-1252'?><a b=\"\x80\x81\" c='y'/>"},
    };
    const std::wstring value = L"\u20AC \u00E9 \u4E2D <&\"' \t";
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        CXmlText text;
        std::string why;
        ASSERT_TRUE(text.Read(bytes, why)) << why;
        EXPECT_EQ(text.Encode(text.Text()), bytes);
        const CXmlText::Element& a = text.Elements().back();
        const std::string edited =
            text.Encode(ApplyEdits(text.Text(), {text.SetAttributeValue(*a.Find("c"), value)}));
        Write("edited.xml", edited);
        PLATFORM::CXmlDocument document;
        document.Create();
        ASSERT_TRUE(document.LoadFile((folder_ / "edited.xml").wstring()));
        EXPECT_EQ(document.DocumentElement().GetAttribute(L"c"), value);
        EXPECT_EQ(document.DocumentElement().GetAttribute(L"b"),
                  Widen(text.Text().substr(a.Find("b")->valueBegin,
                                           a.Find("b")->valueEnd - a.Find("b")->valueBegin)));
        // What lies before the value is the file's own bytes.
        const size_t before = bytes.find(bytes.size() > ascii.size() + 10 ? std::string{'c', '\0'}
                                                                          : std::string("c='"));
        EXPECT_EQ(edited.substr(0, before), bytes.substr(0, before));
    }
    for (const std::string bad :
         {"<!DOCTYPE a><a/>", "<?xml version='1.0' encoding='shift_jis'?><a/>", "<a b='x'",
          "<a><b></a>"}) {
        CXmlText text;
        std::string why;
        EXPECT_FALSE(text.Read(bad, why)) << bad;
    }
}

TEST_F(StudioTest, LensFileTakesTheProgrammingWantedAndKeepsTheRest) {
    Write(
        "LampProgramming.xml",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
        "<Lamp>\r\n"
        "  <!-- Caf\xE9 panel -->\r\n"
        "  <LampProgramming Id=\"A\">\r\n"
        "    <Lense><Id>GearDown</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>\r\n"
        "    <Lense><Id>GearDown</Id><Colour>Red</Colour><Assignment>1</Assignment></Lense>\r\n"
        "    <Lense><Id>BeaconLight</Id><Colour>Green</Colour></Lense>\r\n"
        "    <Note/>\r\n"
        "  </LampProgramming>\r\n"
        "  <LampProgramming Id=\"B\">\r\n"
        "    <Lense><Id>PitotHeat</Id><Colour>Amber</Colour><Assignment>4</Assignment></Lense>\r\n"
        "  </LampProgramming>\r\n"
        "</Lamp>\r\n");
    PLATFORM::CXmlDocument document;
    CXmlText text;
    Load("LampProgramming.xml", document, text);
    const auto tile = [](const wchar_t* name, uint32_t colour, int32_t lens) {
        return std::pair{std::wstring(name), CLampPanel::Tile{name, colour, lens}};
    };
    const LensModel current = ReadLensModel(document);
    ASSERT_EQ(current.size(), 2u);
    EXPECT_EQ(current[0].tiles.size(), 1u);  // the incomplete BeaconLight programs nothing
    EXPECT_EQ(current[0].tiles.at(L"GearDown").lens, 1);

    LensModel wanted = {
        {L"A",
         {tile(L"GearDown", CLampPanel::kAmber, 2), tile(L"BeaconLight", CLampPanel::kGreen, 5),
          tile(L"ParkingBrakes", CLampPanel::kGreen, 7)}},
        {L"C\u00E9", {tile(L"StallWarning", CLampPanel::kRed, 3)}},
    };
    std::string composed;
    std::string why;
    ASSERT_TRUE(ComposeLens(text, document, wanted, composed, why)) << why;
    Write("composed.xml", text.Encode(composed));
    PLATFORM::CXmlDocument result;
    result.Create();
    ASSERT_TRUE(result.LoadFile((folder_ / "composed.xml").wstring()));
    EXPECT_EQ(ReadLensModel(result), wanted);
    // Only the deciding Lense changed; the rest is as written, in its encoding and line ends.
    const std::string bytes = ReadAll(folder_ / "composed.xml");
    for (const char* kept :
         {"<!-- Caf\xE9 panel -->\r\n", "<Note/>\r\n",
          "<Lense><Id>GearDown</Id><Colour>Green</Colour><Assignment>0</Assignment></Lense>\r\n",
          "<Lense><Id>GearDown</Id><Colour>Amber</Colour><Assignment>2</Assignment></Lense>\r\n",
          "<Lense><Id>BeaconLight</Id><Colour>Green</Colour><Assignment>5</Assignment></Lense>\r\n",
          "    "
          "<Lense><Id>ParkingBrakes</Id><Colour>Green</Colour><Assignment>7</Assignment></Lense>"
          "\r\n  </LampProgramming>\r\n  <LampProgramming Id=\"C\xE9\">\r\n"}) {
        EXPECT_NE(bytes.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(bytes.find("PitotHeat"), std::string::npos);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
              std::count(bytes.begin(), bytes.end(), '\r'));
}

TEST_F(StudioTest, ConfigurationTakesTheListWantedAndKeepsTheRest) {
    Write("XVarlenSkydeck.xml",
          "<GaugeList>\n"
          "  <!-- my gauges -->\n"
          "  <Gauge File=\"gauges\\a.xml\" Mine=\"1\">\n"
          "    <Button Id=\"1\" Name=\"ONE\" Type=\"Command\" Event=\"sim/a\"/>\n"
          "  </Gauge>\n"
          "  <Gauge File=\"gauges\\b.xml\">\n"
          "    <Button Id=\"2\" Name=\"TWO\" Type=\"Key\" Event=\"xplm_key_pause\"/>\n"
          "    <Other Id=\"2\" Type=\"command\"/>\n"
          "  </Gauge>\n"
          "  <Gauge File=\"gauges\\c.xml\"/>\n"
          "  <Hotas>\n"
          "    <ComNav radio1=\"true\" note=\"x\"/>\n"
          "    <Adf/>\n"
          "  </Hotas>\n"
          "</GaugeList>\n");
    PLATFORM::CXmlDocument document;
    CXmlText text;
    Load("XVarlenSkydeck.xml", document, text);
    const ConfigurationModel current = ReadConfigurationModel(document);
    ASSERT_EQ(current.gauges.size(), 3u);
    EXPECT_EQ(current.gauges[1].buttons[1]->at(L"Type"), L"command");  // the later child's

    // c and b swapped (b's Type mended, its Name changed, button 3 added), a removed, d new;
    // the pages reordered, one changed and one new.
    ConfigurationModel wanted;
    wanted.gauges = {current.gauges[2], current.gauges[1], GaugeEntry{}};
    (*wanted.gauges[1].buttons[1])[L"Type"] = L"Command";
    (*wanted.gauges[1].buttons[1])[L"Name"] = L"T&O";
    wanted.gauges[1].buttons[2] = ButtonAttributes{{L"Type", L"String"}, {L"Event", L"hi"}};
    wanted.gauges[2].file = L"gauges\\d.xml";
    wanted.gauges[2].buttons[5] = ButtonAttributes{{L"Name", L"SIX"}, {L"Visible", L"no"}};
    wanted.pages = {current.pages[1], current.pages[0], PageEntry{CXmlText::kNone, L"Xpndr", {}}};
    wanted.pages[1].radio1 = L"false";
    std::string composed;
    std::string why;
    ASSERT_TRUE(ComposeConfiguration(text, document, wanted, composed, why)) << why;
    Write("composed.xml", text.Encode(composed));
    PLATFORM::CXmlDocument result;
    result.Create();
    ASSERT_TRUE(result.LoadFile((folder_ / "composed.xml").wstring()));
    EXPECT_TRUE(ReadConfigurationModel(result).SameReading(wanted)) << composed;
    for (const char* kept :
         {"  <!-- my gauges -->\n  <Gauge File=\"gauges\\c.xml\"/>\n",
          "<Button Id=\"2\" Name=\"T&amp;O\" Type=\"Key\"", "<Other Id=\"2\" Type=\"Command\"/>",
          "<ComNav radio1=\"false\" note=\"x\"/>", "\n    <Xpndr/>\n  </Hotas>",
          "<Gauge File=\"gauges\\d.xml\">\n    <Button Id=\"6\" Name=\"SIX\" "
          "Visible=\"no\"/>\n  </Gauge>\n  <Hotas>"}) {
        EXPECT_NE(composed.find(kept), std::string::npos) << kept << "\n" << composed;
    }
    EXPECT_EQ(composed.find("a.xml"), std::string::npos);
    EXPECT_EQ(composed.find('\r'), std::string::npos);
}

TEST_F(StudioTest, ProfileTakesTheEntriesWantedAndKeepsTheRest) {
    Write("p.xml",
          "<AircraftProfile>\r\n"
          "  <!-- mine -->\r\n"
          "  <Match Icao=\"B738\" Note=\"x\"/>\r\n"
          "  <Match File=\"b738.acf\"/>\r\n"
          "  <Knobs Acceleration=\"on\"/>\r\n"
          "</AircraftProfile>\r\n");
    PLATFORM::CXmlDocument document;
    CXmlText text;
    Load("p.xml", document, text);
    ProfileModel wanted = ReadProfileModel(document);
    ASSERT_EQ(wanted.matches.size(), 2u);
    wanted.name = L"Mine & co";
    wanted.matches[0].attributes = {{L"PathContains", L"Boeing"}};
    wanted.matches.erase(wanted.matches.begin() + 1);
    wanted.uses = {{CXmlText::kNone, L"Command", {{L"Path", L"sim/autopilot/heading"}}},
                   {CXmlText::kNone, L"DataRef", {{L"Use", L"b/alt[0]"}}}};
    std::string composed;
    std::string why;
    ASSERT_TRUE(ComposeProfile(text, document, wanted, composed, why)) << why;
    Write("composed.xml", composed);
    const auto profile = CAircraftProfile::Read(folder_ / "composed.xml", L"composed.xml");
    EXPECT_EQ(profile->Name(), L"Mine & co");
    ASSERT_EQ(profile->Matches().size(), 1u);
    EXPECT_EQ(profile->Matches()[0].pathContains, L"Boeing");
    EXPECT_TRUE(profile->Matches()[0].icao.empty());
    EXPECT_EQ(composed,
              "<AircraftProfile Name=\"Mine &amp; co\">\r\n"
              "  <!-- mine -->\r\n"
              "  <Match Note=\"x\" PathContains=\"Boeing\"/>\r\n"
              "  <Command Path=\"sim/autopilot/heading\"/>\r\n"
              "  <DataRef Use=\"b/alt[0]\"/>\r\n"
              "  <Knobs Acceleration=\"on\"/>\r\n"
              "</AircraftProfile>\r\n");
}

// The interface, as the page and others reach it.
class StudioServerTest : public CheckFolderTest {
protected:
    void SetUp() override {
        CheckFolderTest::SetUp();
        std::filesystem::copy(
            std::filesystem::path(XVS_TEST_DATA_DIR).parent_path().parent_path() / "data",
            folder_ / "data", std::filesystem::copy_options::recursive);
        std::filesystem::create_directories(folder_ / "profile");
        StudioOptions options{folder_ / "data", folder_ / "profile", "0123456789abcdef", 4242};
        studio_ = std::make_unique<CStudio>(options, "<html>page</html>", [this] { quit_ = true; });
    }
    HttpResponse Send(const std::string& method, const std::string& target, const json& body = {},
                      std::map<std::string, std::string> headers = {}) {
        HttpRequest request{method, target, {}, body.is_null() ? "" : body.dump()};
        request.headers = {{"host", "127.0.0.1:4242"},
                           {"x-studio-key", "0123456789abcdef"},
                           {"content-type", "application/json"}};
        for (const auto& [name, value] : headers) {
            value.empty() ? void(request.headers.erase(name)) : void(request.headers[name] = value);
        }
        return studio_->Handle(request);
    }
    json Get(const std::string& target) { return json::parse(Send("GET", target).body); }

    std::unique_ptr<CStudio> studio_;
    bool quit_ = false;
};

TEST_F(StudioServerTest, RefusesWhatIsNotTheUsersPage) {
    std::error_code linked;
    std::filesystem::create_symlink(folder_ / "profile", folder_ / "data" / "out", linked);
    WriteFile(folder_ / "profile" / "x.xml", "<Gauge/>");
    std::filesystem::create_symlink(folder_ / "profile" / "x.xml",
                                    folder_ / "data" / "gauges" / "x.xml", linked);
    const json lamp = {{"panels", json::array()}, {"version", ""}};
    struct Case {
        const char* what;
        std::string method, target;
        json body;
        std::map<std::string, std::string> headers;
        int status;
    };
    const std::vector<Case> cases = {
        {"another host name", "GET", "/api/lamp", {}, {{"host", "evil.example:4242"}}, 403},
        {"another port", "GET", "/api/lamp", {}, {{"host", "localhost:4243"}}, 403},
        {"another site's page",
         "POST",
         "/api/lamp/save",
         lamp,
         {{"origin", "http://evil.example"}},
         403},
        {"a cross-site fetch",
         "POST",
         "/api/quit",
         json::object(),
         {{"sec-fetch-site", "cross-site"}},
         403},
        {"no key", "GET", "/api/config", {}, {{"x-studio-key", ""}}, 403},
        {"another key", "GET", "/api/config", {}, {{"x-studio-key", "0123456789abcdee"}}, 403},
        {"the key in the address of a request",
         "GET",
         "/api/config?key=0123456789abcdef",
         {},
         {{"x-studio-key", ""}},
         403},
        {"the page without its key", "GET", "/?key=0123", {}, {}, 403},
        {"another method", "PUT", "/api/lamp", lamp, {}, 405},
        {"a form's body", "POST", "/api/lamp/save", lamp, {{"content-type", "text/plain"}}, 415},
        {"no JSON object", "POST", "/api/lamp/check", json::array(), {}, 400},
        {"an unknown condition",
         "POST",
         "/api/lamp/check",
         {{"panels",
           {{{"serial", "A"}, {"tiles", {{"NoSuch", {{"colour", "Red"}, {"lens", 1}}}}}}}}},
         {},
         400},
        {"a page name that is markup",
         "POST",
         "/api/hotas/lines",
         {{"pages", {{{"name", "Adf/><x"}}}}},
         {},
         400},
        {"a parent folder",
         "POST",
         "/api/gauge",
         {{"file", "gauges\\..\\..\\profile\\x.xml"}},
         {},
         403},
        {"an absolute path", "POST", "/api/gauge", {{"file", "/etc/hostname"}}, {}, 403},
        {"a drive", "POST", "/api/gauge", {{"file", "C:\\Windows\\win.ini"}}, {}, 403},
        {"a link out of the folder",
         "POST",
         "/api/gauge",
         {{"file", "out\\LampProgramming.xml"}},
         {},
         403},
        {"a file linked out of the folder",
         "POST",
         "/api/gauge",
         {{"file", "gauges/x.xml"}},
         {},
         403},
        {"a profile outside its folder",
         "POST",
         "/api/profiles/check",
         {{"file", "..\\XVarlenSkydeck.xml"}},
         {},
         403},
        {"a profile that is no XML file",
         "POST",
         "/api/profiles/check",
         {{"file", "a.txt"}},
         {},
         403},
        {"a save without its version",
         "POST",
         "/api/lamp/save",
         {{"panels", json::array()}},
         {},
         400},
    };
    for (const Case& c : cases) {
        if (std::string(c.what).find("link") != std::string::npos && linked) {
            continue;  // no symbolic links here
        }
        EXPECT_EQ(Send(c.method, c.target, c.body, c.headers).status, c.status) << c.what;
    }
    // The lens file itself a link out of its folder: neither read nor written through.
    WriteFile(folder_ / "theirs.xml", "<Lamp/>");
    std::filesystem::create_symlink(folder_ / "theirs.xml",
                                    folder_ / "profile" / "LampProgramming.xml", linked);
    if (!linked) {
        EXPECT_EQ(Send("GET", "/api/lamp").status, 500);
        EXPECT_EQ(Send("POST", "/api/lamp/save", lamp).status, 500);
        EXPECT_EQ(ReadAll(folder_ / "theirs.xml"), "<Lamp/>");
    }
    EXPECT_FALSE(quit_);
    const HttpResponse page =
        Send("GET", "/?key=0123456789abcdef", {}, {{"host", "localhost:4242"}});
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body, "<html>page</html>");
}

TEST_F(StudioServerTest, SavesOnlyWhatReadsAsMeantAndNeverOverAChangedFile) {
    const std::filesystem::path file = folder_ / "profile" / "LampProgramming.xml";
    json state = Get("/api/lamp");
    ASSERT_EQ(state["version"], "");
    json panels = {
        {{"serial", "A"}, {"tiles", {{"GearDown", {{"colour", "Green"}, {"lens", 0}}}}}}};
    HttpResponse saved = Send("POST", "/api/lamp/save", {{"panels", panels}, {"version", ""}});
    ASSERT_EQ(saved.status, 200) << saved.body;
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".bak"));
    state = json::parse(saved.body);
    EXPECT_EQ(state["panels"], panels);

    // Changed on disk since: not overwritten.
    const std::string theirs = ReadAll(file) + "<!-- theirs -->";
    WriteFile(file, theirs);
    panels[0]["tiles"]["GearDown"]["lens"] = 1;
    saved = Send("POST", "/api/lamp/save", {{"panels", panels}, {"version", state["version"]}});
    EXPECT_EQ(saved.status, 409);
    EXPECT_EQ(json::parse(saved.body)["changed"], true);
    EXPECT_EQ(ReadAll(file), theirs);

    // A file the plug-in would misread (their misspelt colour) is saved only when confirmed.
    WriteFile(file,
              "<Lamp><LampProgramming Id=\"A\"><Lense><Id>Up</Id><Colour>green</Colour>"
              "<Assignment>2</Assignment></Lense></LampProgramming></Lamp>");
    state = Get("/api/lamp");
    const json body = {{"panels", panels}, {"version", state["version"]}};
    saved = Send("POST", "/api/lamp/save", body);
    EXPECT_EQ(saved.status, 422);
    EXPECT_NE(saved.body.find("the colour \\\"green\\\" is not read"), std::string::npos);
    json confirmed = body;
    confirmed["confirm"] = true;
    const std::string before = ReadAll(file);
    ASSERT_EQ(Send("POST", "/api/lamp/save", confirmed).status, 200);
    EXPECT_EQ(ReadAll(file.string() + ".bak"), before);
    EXPECT_NE(ReadAll(file).find("<Colour>green</Colour>"), std::string::npos);

    // A condition an aircraft profile defines is programmed and lit like a built-in one.
    panels = {{{"serial", "A"},
               {"tiles",
                {{"ApuFire", {{"colour", "Red"}, {"lens", 5}}},
                 {"MasterWarning", {{"colour", "Red"}, {"lens", 6}}}}}}};
    saved = Send("POST", "/api/lamp/save",
                 {{"panels", panels}, {"version", Get("/api/lamp")["version"]}, {"confirm", true}});
    ASSERT_EQ(saved.status, 200) << saved.body;
    EXPECT_EQ(json::parse(saved.body)["panels"], panels);
    const json lenses =
        json::parse(Send("POST", "/api/lamp/light", {{"panel", panels[0]}, {"lit", {"ApuFire"}}})
                        .body)["lenses"];
    EXPECT_EQ(lenses[5], "red");
    EXPECT_EQ(lenses[6], "red");

    // A new profile: a path the panels do not use is saved only when confirmed; once saved, a
    // draft made before is refused; what it changes is told beside its entry.
    const json draft = {{"file", "New.xml"},
                        {"version", ""},
                        {"profile",
                         {{"name", "N"},
                          {"matches", {{{"element", "Match"}, {"Icao", "X"}}}},
                          {"uses", {{{"element", "Command"}, {"Path", "sim/no"}, {"Use", "a"}}}}}}};
    EXPECT_EQ(Send("POST", "/api/profiles/save", draft).status, 422);
    json mended = draft;
    mended["profile"]["uses"][0]["Path"] = "sim/autopilot/heading";
    ASSERT_EQ(Send("POST", "/api/profiles/save", mended).status, 200);
    EXPECT_EQ(Send("POST", "/api/profiles/save", mended).status, 409);
    const json listed = Get("/api/profiles")["profiles"];
    ASSERT_EQ(listed.size(), 3u);  // in name order, between the two shipped ones
    EXPECT_EQ(listed[1]["profile"]["uses"][0]["Path"], "sim/autopilot/heading");
    EXPECT_EQ(listed[1]["notes"][0]["where"], json({{"use", 0}}));

    // The configuration: a broken binding is found beside its button.
    json config = Get("/api/config")["configuration"];
    config["gauges"][0]["buttons"][4] = {{"Type", "Key"}, {"Event", "xplm_key_nope"}};
    const json findings = json::parse(Send("POST", "/api/config/check", config).body)["findings"];
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0]["where"], json({{"gauges", {0}}, {"button", 5}}));
}

TEST_F(StudioServerTest, DrawsGaugesAndPagesAndSurvivesBrokenOnes) {
    WriteFile(folder_ / "data" / "gauges" / "Broken.xml", "<Gauge><Element><Image>");
    EXPECT_EQ(Send("POST", "/api/gauge", {{"file", "gauges\\Broken.xml"}}).status, 422);
    const json gauge =
        json::parse(Send("POST", "/api/gauge", {{"file", "gauges\\Airspeed.xml"}}).body);
    EXPECT_EQ(gauge["name"], "Airspeed");
    EXPECT_EQ(gauge["variables"][1],
              json({{"name", "sim/cockpit2/gauges/indicators/airspeed_kts_pilot"},
                    {"unit", "knots"},
                    {"low", 40.0},
                    {"high", 200.0}}));
    const HttpResponse picture = Send("POST", "/api/gauge/picture",
                                      {{"file", "gauges/Airspeed.xml"},
                                       {"buttons", {{{"Name", "NAV"}}}},
                                       {"values", {{"x", 1}}}});
    ASSERT_EQ(picture.status, 200);
    EXPECT_EQ(picture.body.substr(0, 4), "\x89PNG");
    ASSERT_FALSE(picture.headers.empty());
    EXPECT_EQ(picture.headers[0], (std::pair<std::string, std::string>{"X-Leds", "1,7,8"}));

    const json lines = json::parse(
        Send(
            "POST", "/api/hotas/lines",
            {{"pages",
              {{{"name", "Xpndr"}}, {{"name", "Bogus"}}, {{"name", "ComNav"}, {"radio1", "TRUE"}}}},
             {"values", {{"sim/cockpit/radios/transponder_code", 7700}}}})
            .body)["pages"];
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0]["lines"].dump().find("7700"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0]["reads"],
              json({{{"path", "sim/cockpit/radios/transponder_code"}, {"integer", true}}}));
    EXPECT_TRUE(lines[1].is_null());
    EXPECT_TRUE(lines[2].is_null());
}

TEST(StudioTool, RefusesBadUsage) {
    std::ostringstream out;
    std::ostringstream err;
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--port", "65536"},
                                                      {"--port=x"},
                                                      {"--data"},
                                                      {"--", "x"},
                                                      {"-x"}}) {
        EXPECT_EQ(STUDIO::Run(arguments, "", out, err), kBadUsage) << arguments[0];
    }
    EXPECT_EQ(STUDIO::Run({"--data=/no/such/folder", "--no-browser"}, "", out, err), kFailed);
    EXPECT_EQ(STUDIO::Run({"-h"}, "", out, err), kDone);
    EXPECT_NE(out.str().find("usage: skydeck-studio"), std::string::npos);
}

TEST(StudioHttp, AnswersOnTheLoopbackAndRefusesOversizedRequests) {
    CHttpServer server([](const HttpRequest& request) {
        return HttpResponse{200, "text/plain", request.method + " " + request.target, {}};
    });
    std::string why;
    ASSERT_TRUE(server.Listen(0, why)) << why;
    std::thread serving([&] { server.Run(false); });
    namespace beast = boost::beast;
    const auto exchange = [&](const std::string& target, size_t bodyBytes, size_t headerBytes) {
        boost::asio::io_context io;
        beast::tcp_stream stream(io);
        stream.connect({boost::asio::ip::address_v4::loopback(), server.Port()});
        // The body is announced but not sent: the server refuses it from its length.
        const std::string request =
            "POST " + target +
            " HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Filler: " + std::string(headerBytes, 'x') +
            "\r\nContent-Length: " + std::to_string(bodyBytes) + "\r\n\r\n" +
            std::string(bodyBytes <= 10 ? bodyBytes : 0, 'b');
        beast::error_code error;
        boost::asio::write(stream, boost::asio::buffer(request), error);
        beast::flat_buffer buffer;
        beast::http::response<beast::http::string_body> response;
        beast::http::read(stream, buffer, response, error);
        return std::pair{static_cast<int>(response.result_int()), response.body()};
    };
    EXPECT_EQ(exchange("/a?b", 10, 10), (std::pair{200, std::string("POST /a?b")}));
    EXPECT_EQ(exchange("/", CHttpServer::kMaxBodyBytes + 1, 10).first, 413);
    EXPECT_EQ(exchange("/", 0, CHttpServer::kMaxHeaderBytes + 1).first, 413);
    EXPECT_EQ(exchange("/still", 0, 0).first, 200);
    // Only the loopback address answers, not the one this machine reaches others from.
    boost::asio::io_context io;
    boost::asio::ip::udp::socket probe(io);
    beast::error_code error;
    probe.open(boost::asio::ip::udp::v4(), error);
    probe.connect({boost::asio::ip::make_address_v4("198.51.100.1"), 9}, error);  // sends nothing
    const boost::asio::ip::address outward = probe.local_endpoint(error).address();
    if (!error && !outward.is_loopback() && !outward.is_unspecified()) {
        boost::asio::ip::tcp::socket socket(io);
        socket.connect({outward, server.Port()}, error);
        EXPECT_TRUE(error) << outward.to_string();
    }
    server.Stop();
    serving.join();
}

}  // namespace XPL::TEST
