#include "screen/screen_panel.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "glasslink/glasslink.h"
#include "glasslink/glasslink_lookup.h"
#include "platform/clock.h"
#include "platform/xml.h"
#include "screen/button_binding.h"
#include "screen/screen_panel_gauge.h"
#include "sim/aircraft_profiles.h"
#include "sim/utility.h"
#include "trace/trace.h"

namespace XPL {

namespace {

constexpr int kKeyword = TRACEKW::kScreen;
constexpr wchar_t kNewMemoryFile[] = L"<ScreenList> </ScreenList>";

// Whether an attribute can hold text and give it back exactly: XML 1.0 has no way to write most
// control characters, and reading an attribute turns tabs and line ends into blanks.
bool StorableInAttribute(const std::wstring& text) {
    return std::none_of(text.begin(), text.end(), [](wchar_t c) {
        return c < 0x20 || c == 0xFFFE || c == 0xFFFF || (c >= 0xD800 && c <= 0xDFFF);
    });
}

bool GetDataFolder(std::wstring& folder) {
    if (!CGlasslink::GetConfigureFilePath(folder)) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in retrieving the configure XML file path");
        return false;
    }
    return true;
}

// Moves a memory file that does not load out of the way, so the user can still look at it.
void KeepAside(const std::wstring& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path file = UTILITY::MakeFilePath(path);
    if (!fs::exists(file, error)) {
        return;  // first use
    }
    fs::path kept = file;
    kept += CScreenPanel::kBadFileSuffix;
    fs::remove(kept, error);
    fs::rename(file, kept, error);
    if (error) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in keeping the unreadable file %s aside due to %d", path,
                   error.value());
        return;
    }
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
               L"The file %s could not be read; it is kept as %s%s and a new one is started", path,
               path, CScreenPanel::kBadFileSuffix);
}

}  // namespace

CScreenPanel::CScreenPanel(const std::wstring& path, IGlasslinkLookup& lookup)
    : CPanel(path), manager(&lookup) {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::CScreenPanel");
}

CScreenPanel::~CScreenPanel() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::~CScreenPanel");
    // A panel destroyed without being uninitialised still must not leave its thread running.
    StopIoThread();
}

void CScreenPanel::InitButtons() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::InitButtons");
    for (uint16_t button = 1; button <= kButtonCount; ++button) {
        RegisterButton(button);
    }
}

void CScreenPanel::OnInitialize() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::OnInitialize");
    StopIoThread();  // left from an earlier initialise
    serialNumber = GetSerialNumberString();
    InitButtons();
    InitGauges();
    LoadGauge();

    dirty = 1;
    {
        std::lock_guard hold(ioLock);
        stopping = false;
        ioThreadEnded = false;
        ledsWanted = kNoLeds;
        ledsTaken = kNoLeds;
    }
    ledsHandedOver = kNoLeds;
    initializedAt = PLATFORM::GetTickCount();
    try {
        ioThread = PLATFORM::StartThread([this] { IoThreadRoutine(); });
    } catch (const std::system_error& error) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in creating the I/O thread due to %d", error.code().value());
    }
}

void CScreenPanel::OnUninitialize() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::OnUninitialize");
    StopIoThread();  // the thread turns the LEDs off before it ends
    SaveGauge();
}

void CScreenPanel::OnNotify() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::OnNotify");
    if (loaded.load(std::memory_order_acquire)) {
        TakeLoadedGauges();
    }
    const uint16_t wanted = LedsWanted();
    if (wanted != ledsHandedOver) {
        ledsWanted = wanted;
        // A thread between its look at the wish and its wait holds the lock: it would miss the
        // wake, so the next frame makes it.
        std::unique_lock wake(ioLock, std::try_to_lock);
        if (wake.owns_lock()) {
            wake.unlock();
            ioEvent.notify_all();
            ledsHandedOver = wanted;
        }
    }
    std::unique_lock held(gaugeLock, std::try_to_lock);
    if (!held.owns_lock()) {
        return;  // the I/O thread draws: this frame's values wait for the next frame
    }
    const auto current = static_cast<size_t>(currentGauge.load());
    if (current < gauges.size() && gauges[current]->Update()) {
        dirty = 1;
    }
}

void CScreenPanel::OnButton(uint16_t button, uint32_t state) {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::OnButton");
    if (button < 1 || button > kButtonCount) {
        return;
    }
    if (button != kPreviousGaugeButton && button != kNextGaugeButton) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"Button %d is pressed %d", button,
                   state);
        const auto current = static_cast<size_t>(currentGauge.load());
        if (current < gauges.size()) {
            gauges[current]->FireButton(button, state);
        }
        return;
    }
    if (state != 1) {
        return;
    }
    const bool previous = button == kPreviousGaugeButton;
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
               previous ? L"Middle Up is pressed" : L"Middle Down is pressed");
    std::lock_guard hold(gaugeLock);
    const auto count = static_cast<int32_t>(gauges.size());
    int32_t current = currentGauge.load();
    if (count != 0) {
        current = previous ? (current + count - 1) % count : (current + 1) % count;
    }
    currentGauge.store(static_cast<int16_t>(current));
    dirty = 1;
}

uint16_t CScreenPanel::LedsWanted() const {
    const auto current = static_cast<size_t>(currentGauge.load());
    if (current >= gauges.size()) {
        return kNoLeds;
    }
    uint32_t leds = (1u << 7) | (1u << 8);
    for (int32_t led = 1; led <= kSoftButtonCount; ++led) {
        if (gauges[current]->BindsButton(led)) {
            leds |= 1u << led;
        }
    }
    return static_cast<uint16_t>(leds);
}

void CScreenPanel::SetLeds(bool on) {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::SetLeds");
    const uint16_t wanted = on ? ledsWanted.load() : LedsWanted();
    if (wanted == kNoLeds) {
        return;
    }
    const std::shared_ptr<CGlasslinkScreen>& link = FindLink();
    if (link == nullptr || (!on && !link->Answering())) {
        return;
    }
    const uint32_t began = PLATFORM::GetTickCount();
    bool sent = false;
    for (int32_t led = 1; led <= 8; ++led) {
        const bool lit = on && (wanted >> led & 1u) != 0;
        if (link->LedOn(led) == lit) {
            continue;
        }
        // A stop sends no exchange beyond the LEDs off, and those only while the device
        // answers promptly enough.
        if (on ? stopping.load()
               : sent &&
                     (!link->Answering() || PLATFORM::GetTickCount() - began > kStopLedWindowMs)) {
            return;
        }
        if (!link->SetLed(led, lit)) {
            return;
        }
        sent = true;
    }
}

const std::shared_ptr<CGlasslinkScreen>& CScreenPanel::FindLink() {
    // Looked up as seldom as that, the manager's lock is seldom held from here when a frame
    // tries it. Another kind of link filed under the same key is no screen.
    if (ioLink == nullptr || ioLink->Retired()) {
        ioLink =
            std::dynamic_pointer_cast<CGlasslinkScreen>(manager->WaitForGlasslink(serialNumber));
    }
    return ioLink;
}

bool CScreenPanel::WakeOrStop(void* context) {
    const auto* panel = static_cast<CScreenPanel*>(context);
    return panel->stopping.load() || panel->ledsWanted.load() != panel->ledsTaken;
}

bool CScreenPanel::IoThreadEnded(void* panel) {
    return static_cast<CScreenPanel*>(panel)->ioThreadEnded;
}

void CScreenPanel::IoThreadRoutine() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::IoThreadRoutine");
    std::unique_lock hold(ioLock);
    // Wakes fall on a grid from initialise, however late the thread got going.
    uint32_t nextWake = initializedAt + kPassIntervalMs;
    while (!stopping) {
        const auto early = static_cast<int32_t>(nextWake - PLATFORM::GetTickCount());
        if (early > 0) {
            PLATFORM::TimedWait(hold, ioEvent, static_cast<uint32_t>(early), &WakeOrStop, this);
        }
        if (stopping) {
            break;
        }
        ledsTaken = ledsWanted;
        const uint32_t now = PLATFORM::GetTickCount();
        const bool pass = static_cast<int32_t>(now - nextWake) >= 0;
        if (pass) {
            nextWake = static_cast<int32_t>(now - nextWake) < static_cast<int32_t>(kPassIntervalMs)
                           ? nextWake + kPassIntervalMs
                           : now + kPassIntervalMs;
        }
        hold.unlock();
        SetLeds(true);
        if (pass && now - initializedAt >= kInitialDelayMs) {
            LoadPendingGauges();
            RenderGauge();
        }
        hold.lock();
    }
    hold.unlock();
    SetLeds(false);
    ioLink.reset();
    hold.lock();
    ioThreadEnded = true;
    ioEvent.notify_all();
}

void CScreenPanel::StopIoThread() {
    if (!ioThread.joinable()) {
        return;
    }
    std::unique_lock hold(ioLock);
    stopping = true;
    ioEvent.notify_all();
    if (!PLATFORM::TimedWait(hold, ioEvent, kStopWorstMs, &IoThreadEnded, this)) {
        // Cannot happen while every wait of the thread is bounded; the thread is waited for all
        // the same, since a std::thread cannot be ended forcibly.
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"The I/O thread has not ended within %u ms; waiting for it", kStopWorstMs);
    }
    hold.unlock();
    ioThread.join();
}

void CScreenPanel::RenderGauge() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::RenderGauge");
    {
        std::lock_guard hold(gaugeLock);
        // A list on its way replaces this one first.
        if (dirty != 1 || static_cast<size_t>(currentGauge.load()) >= gauges.size() ||
            loaded.load()) {
            return;
        }
    }
    // Without a link nothing is drawn: the picture stays dirty until the link is there.
    const std::shared_ptr<CGlasslinkScreen>& link = FindLink();
    if (link == nullptr || stopping) {
        return;
    }
    if (canvas == nullptr) {
        canvas = std::make_unique<CGaugeCanvas>();
    }
    {
        // Scripts write the gauge's working values while it draws; the frame's fetch waits.
        std::lock_guard hold(gaugeLock);
        // A gauge in the list always holds its document.
        gauges[static_cast<size_t>(currentGauge.load())]->Document()->Draw(*canvas);
        // A change from here on makes the picture dirty again.
        dirty = 0;
    }
    if (!stopping && link->SetImage(canvas->Bytes(), CGaugeCanvas::kBytes)) {
        return;
    }
    std::lock_guard hold(gaugeLock);
    dirty = 1;
}

void CScreenPanel::InitGauges() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::InitGauges");
    gauges.clear();
    currentGauge.store(0);
    fileEntries.clear();
    profileList = false;
    {
        std::lock_guard hold(pendingLock);
        pending = false;
        pendingEntries.clear();
        loadedGauges.clear();
        loaded.store(false);
    }
    if (!GetDataFolder(dataFolder)) {
        return;
    }
    PLATFORM::CXmlDocument document;
    if (!UTILITY::LoadXmlFile(document, dataFolder + kConfigurationFileName, kKeyword)) {
        return;
    }
    std::vector<PLATFORM::CXmlNode> entries;
    document.SelectNodes(kGaugeXPath, entries);
    for (const PLATFORM::CXmlNode& entry : entries) {
        fileEntries.push_back(ReadGaugeEntry(entry));
    }
    gauges = LoadGauges(fileEntries);
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"The screen panel has %u gauges",
               static_cast<uint32_t>(gauges.size()));
}

CScreenPanel::GaugeEntry CScreenPanel::ReadGaugeEntry(const PLATFORM::CXmlNode& element) const {
    GaugeEntry entry;
    const std::optional<std::wstring> file = element.GetAttribute(L"File");
    entry.path = file ? dataFolder + *file : std::wstring();
    ReadButtonBindings(element, entry.bindings);
    return entry;
}

std::vector<std::unique_ptr<CScreenPanel::CGauge>> CScreenPanel::LoadGauges(
    const std::vector<GaugeEntry>& entries) {
    std::vector<std::unique_ptr<CGauge>> list;
    for (const GaugeEntry& entry : entries) {
        if (list.size() == kMaxGauges) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"The gauge list holds more than %u gauges; the rest are left out",
                       static_cast<uint32_t>(kMaxGauges));
            break;
        }
        auto gauge = std::make_unique<CGauge>();
        if (gauge->Initialize(entry.path, entry.bindings)) {
            list.push_back(std::move(gauge));
        } else if (!entry.profile.empty()) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                       L"The aircraft profile %s, line %u: the gauge %s does not load and is "
                       L"left out",
                       entry.profile, entry.line, entry.path);
        }
    }
    return list;
}

void CScreenPanel::OnAircraftProfile(const CAircraftProfiles& profiles) {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::OnAircraftProfile");
    std::vector<GaugeEntry> entries;
    std::vector<PLATFORM::CXmlNode> elements;
    const CAircraftProfile* profile = profiles.Profile();
    if (profile != nullptr) {
        profile->Document().SelectNodes(L"//GaugeList/Gauge", elements);
    }
    if (elements.empty() && !profileList) {
        return;  // the configuration's list stays
    }
    profileList = !elements.empty();
    if (profileList) {
        for (const PLATFORM::CXmlNode& element : elements) {
            GaugeEntry& entry = entries.emplace_back(ReadGaugeEntry(element));
            entry.profile = profile->Shown();
            entry.line = profile->LineOf(element);
        }
    } else {
        entries = fileEntries;
    }
    std::lock_guard hold(pendingLock);
    pendingEntries = std::move(entries);
    pending = true;
}

void CScreenPanel::LoadPendingGauges() {
    // Lists no frame will take (one a frame replaced, or one never taken) are freed here, on
    // this thread and outside the lock.
    std::vector<std::unique_ptr<CGauge>> retired;
    std::vector<GaugeEntry> entries;
    {
        std::lock_guard hold(pendingLock);
        if (!loaded.load()) {
            retired = std::move(loadedGauges);
        }
        if (!pending) {
            return;
        }
        pending = false;
        entries = std::move(pendingEntries);
    }
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::LoadPendingGauges");
    std::vector<std::unique_ptr<CGauge>> list = LoadGauges(entries);
    TraceWrite(kTraceNotice, kKeyword, kTraceMessage, L"The screen panel has %u gauges",
               static_cast<uint32_t>(list.size()));
    std::vector<std::unique_ptr<CGauge>> untaken;  // a list loaded before that no frame took
    std::lock_guard hold(pendingLock);
    untaken = std::exchange(loadedGauges, std::move(list));
    loaded.store(true, std::memory_order_release);
}

void CScreenPanel::TakeLoadedGauges() {
    std::unique_lock held(gaugeLock, std::try_to_lock);
    std::unique_lock heldPending(pendingLock, std::try_to_lock);
    if (!held.owns_lock() || !heldPending.owns_lock()) {
        return;  // the I/O thread draws or loads: a later frame takes the list
    }
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::TakeLoadedGauges");
    const auto current = static_cast<size_t>(currentGauge.load());
    // The old list stays behind for the I/O thread to free, so the shown gauge's name stays valid
    // (no copy on the frame).
    const std::wstring* shown = current < gauges.size() ? &gauges[current]->Name() : nullptr;
    gauges.swap(loadedGauges);
    loaded.store(false);
    int16_t next = 0;
    for (size_t index = 0; index < gauges.size(); ++index) {
        if (shown != nullptr && gauges[index]->Name() == *shown) {
            next = static_cast<int16_t>(index);
            break;
        }
    }
    currentGauge.store(next);
    dirty = 1;
}

void CScreenPanel::LoadGauge() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::LoadGauge");
    std::wstring folder;
    if (!GetDataFolder(folder)) {
        return;
    }
    PLATFORM::CXmlDocument document;
    if (!UTILITY::CreateXmlDocument(document, kKeyword) ||
        !document.LoadFile(folder + kMemoryFileName)) {
        return;
    }
    // The serial number goes into the expression as a literal, so no text in it can change
    // what the expression selects.
    const PLATFORM::CXmlNode screen = document.SelectSingleNode(
        L"//ScreenList/Screen[@Serial=" + PLATFORM::XPathStringLiteral(serialNumber) + L"]");
    const std::optional<std::wstring> name = screen.GetAttribute(L"Name");
    if (!name) {
        return;
    }
    for (size_t index = 0; index < gauges.size(); ++index) {
        if (gauges[index]->Name() == *name) {
            currentGauge.store(static_cast<int16_t>(index));
            return;
        }
    }
}

void CScreenPanel::SaveGauge() {
    CTraceScope scope(kKeyword, "XPL::CScreenPanel::SaveGauge");
    std::wstring folder;
    if (!GetDataFolder(folder)) {
        return;
    }
    PLATFORM::CXmlDocument document;
    if (!UTILITY::CreateXmlDocument(document, kKeyword)) {
        return;
    }
    const auto current = static_cast<size_t>(currentGauge.load());
    if (current >= gauges.size()) {
        return;  // nothing to record
    }
    if (!StorableInAttribute(serialNumber)) {
        TraceWrite(kTraceNotice, kKeyword, kTraceMessage,
                   L"The serial number of the panel cannot be kept in a file; the gauge it shows "
                   L"is not remembered");
        return;
    }
    const std::wstring path = folder + kMemoryFileName;
    // A file that does not load, or is not a screen list, would never be read back: it is kept
    // aside and a new one started, rather than overwritten or added to for ever.
    if (!document.LoadFile(path) || document.DocumentElement().Name() != L"ScreenList") {
        KeepAside(path);
        if (!document.LoadText(kNewMemoryFile)) {
            TraceWrite(kTraceFailure, kKeyword, kTraceMessage, L"Failed in loading the XML node");
            return;
        }
    }
    const std::wstring& name = gauges[current]->Name();
    std::vector<PLATFORM::CXmlNode> screens;
    document.SelectNodes(L"//ScreenList/*", screens);
    const auto mine = std::find_if(screens.begin(), screens.end(), [this](const auto& screen) {
        return screen.GetAttribute(L"Serial") == serialNumber;
    });
    if (mine != screens.end()) {
        // An entry without a Name is the user's to keep as it is.
        if (mine->GetAttribute(L"Name")) {
            mine->SetAttribute(L"Name", name);
        }
    } else {
        PLATFORM::CXmlNode screen = document.CreateElement(L"Screen");
        screen.SetAttribute(L"Serial", serialNumber);
        screen.SetAttribute(L"Name", name);
        PLATFORM::CXmlNode root = document.DocumentElement();
        root.AppendChild(screen);
    }
    const PLATFORM::XmlStatus saved = document.Save(path);
    if (!saved) {
        TraceWrite(kTraceFailure, kKeyword, kTraceMessage,
                   L"Failed in saving the XML file %s due to 0x%x", path, saved.code);
        TraceWrite(kTraceDetail, kKeyword, kTraceMessage, L"The XML parser reports: %s",
                   saved.message);
    }
}

}  // namespace XPL
