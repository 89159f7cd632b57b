#include "configuration_check.h"

#include <system_error>
#include <vector>

#include "gauge/windows_path.h"
#include "gauge_check.h"
#include "platform/xml.h"
#include "xml_lines.h"

namespace XPL::CHECKTOOL {

namespace {

constexpr wchar_t kConfigurationFileName[] = L"XVarlenSkydeck.xml";
constexpr wchar_t kMemoryFileName[] = L"XVarlenScreen.xml";

bool IsFile(const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::is_regular_file(file, error);
}

}  // namespace

void CConfigurationCheck::Check(const std::filesystem::path& dataFolder) {
    const std::filesystem::path file = dataFolder / kConfigurationFileName;
    const std::string shown = file.string();
    findings_.Reading(shown);
    if (!IsFile(file)) {
        findings_.Error(shown, 0,
                        L"the configuration file does not exist: a screen panel shows no gauge "
                        L"and a stick no page");
        return;
    }
    PLATFORM::CXmlDocument document;
    if (const PLATFORM::XmlStatus created = document.Create(); !created) {
        findings_.Error(shown, 0, L"the XML reader cannot be made: " + created.message);
        return;
    }
    if (const PLATFORM::XmlStatus loaded = document.LoadFile(file.wstring()); !loaded) {
        findings_.Error(shown, loaded.line,
                        L"the file does not read as XML, so the plug-in reads no gauge and no "
                        L"page: " +
                            loaded.message);
        return;
    }
    CXmlLines lines;
    lines.Read(file, document);
    const PLATFORM::CXmlNode root = document.DocumentElement();
    if (root.Name() != L"GaugeList") {
        findings_.Error(shown, lines.LineOf(root),
                        L"the root element is " + root.Name() +
                            L": the plug-in reads gauges and pages from a GaugeList");
    }
    // The gauge folder as the plug-in composes paths: the data folder's text, then "File".
    const std::wstring folderText = dataFolder.wstring() + L"\\";
    std::vector<PLATFORM::CXmlNode> gauges;
    document.SelectNodes(L"//GaugeList/Gauge", gauges);
    for (const PLATFORM::CXmlNode& gauge : gauges) {
        const uint32_t line = lines.LineOf(gauge);
        const std::optional<std::wstring> name = gauge.GetAttribute(L"File");
        if (!name) {
            findings_.Error(shown, line, L"a Gauge without File: the plug-in skips it");
            continue;
        }
        const std::wstring path = folderText + *name;
        const std::filesystem::path resolved = UTILITY::ResolveWindowsPath(path);
        if (!IsFile(resolved)) {
            findings_.Error(shown, line,
                            L"the gauge file " + *name + L" does not exist: the plug-in skips it");
            continue;
        }
        CGaugeCheck(findings_).Check(path, resolved.string());
    }

    const std::filesystem::path memory = dataFolder / kMemoryFileName;
    if (IsFile(memory)) {
        PLATFORM::CXmlDocument remembered;
        remembered.Create();
        if (const PLATFORM::XmlStatus loaded = remembered.LoadFile(memory.wstring()); !loaded) {
            findings_.Error(memory.string(), loaded.line,
                            L"the file does not read as XML: screen panels start with their first "
                            L"gauge, and the plug-in replaces the file when it stops: " +
                                loaded.message);
        }
    }
}

}  // namespace XPL::CHECKTOOL
