// The screen panel: a 320 x 240 colour screen with six soft buttons (each with an LED) beside
// it and six more buttons. Its buttons arrive through its HID interface (this class, a CPanel);
// its pictures and LEDs leave through the display link that the device manager files under the
// panel's serial number, looked up on every use, so the two halves may come and go separately.
//
// The panel shows one gauge of the list in "XVarlenSkydeck.xml" (the current gauge), comes back
// with the one it showed last ("XVarlenScreen.xml"), steps through the list with button 9
// (previous) and 10 (next), both wrapping, and hands buttons 1 to 8, 11 and 12 to the current
// gauge. LEDs 1 to 6 show which soft buttons the gauge binds; 7 and 8 are lit while the panel
// is active.
//
// Threads:
// - The simulator's thread runs the frame (OnNotify) and OnButton, and never waits for the
//   device: the frame hands the LEDs it wants to the I/O thread (a wake it makes only when the
//   I/O thread's lock is free at once; otherwise the next frame makes it), and fetches the gauge's
//   values under gaugeLock, which it only tries. A gauge change takes gaugeLock, which the I/O
//   thread holds only while drawing.
// - The panel's I/O thread makes every exchange with the device. It wakes every kPassIntervalMs
//   (and at once when the frame wants other LEDs) and brings the LEDs the frame wants to the
//   link, in order, stopping at the first that fails (tried again at the next wake); from
//   kInitialDelayMs after initialise on, each wake is also a pass: when the picture is dirty it
//   draws the current gauge under gaugeLock into its own canvas, then sends it through the link
//   outside the lock. A send that fails leaves the picture dirty: it is drawn and sent again on
//   the next pass, also once a link that was missing arrives.
// - Uninitialise stops the thread without cutting anything: no exchange starts any more, the one
//   under way runs to its end within the link's time-outs, then the thread turns the LEDs off
//   (while the device answers; none starts later than kStopLedWindowMs after the first, nor after
//   one failed), then it ends. Uninitialise waits for that: at most kStopWorstMs, which is one
//   exchange under way, the window, and a last LED exchange (15 s, beyond a drawing under way);
//   6.5 s for a device that does not answer at all, whose LEDs are then left as they are;
//   nothing for a device already gone. Neither a driver that never ends a cancelled request (the
//   link gives that up) nor a second panel sharing the device (the wait for its exchange counts
//   within ours) lengthens it.
// - gaugeLock guards currentGauge's changes, dirty, and the drawing (scripts write the gauge's
//   working values while it draws, the frame's fetch overwrites them). The gauge list is built
//   before the thread starts; while it runs, the list changes only on the simulator's thread
//   under gaugeLock, the one place the I/O thread touches it, but for the LEDs it turns off at
//   the stop, when no frame runs any more.
// - An aircraft profile may give a gauge list of its own (a GaugeList with Gauge elements, read
//   as in the configuration file); without one the configuration's list applies. The new list is
//   read from memory on the simulator's thread, its gauge files are loaded by the I/O thread, and
//   the first frame that gets gaugeLock afterwards takes it into use, keeping the gauge shown
//   when the new list has one of its name. So no frame waits for a gauge file.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "gauge/gauge_canvas.h"
#include "glasslink/glasslink_screen.h"
#include "panels/panel.h"
#include "screen/button_binding.h"

namespace XPL {

class IGlasslinkLookup;

class CScreenPanel : public CPanel {
public:
    class CGauge;

    static constexpr uint16_t kButtonCount = 12;
    static constexpr uint16_t kPreviousGaugeButton = 9;
    static constexpr uint16_t kNextGaugeButton = 10;
    static constexpr int32_t kSoftButtonCount = 6;
    static constexpr uint32_t kInitialDelayMs = 10000;
    static constexpr uint32_t kPassIntervalMs = 50;
    static constexpr uint32_t kStopLedWindowMs = 2000;
    static constexpr uint32_t kStopWorstMs =
        2 * CGlasslinkScreen::kExchangeWorstMs + kStopLedWindowMs;
    // currentGauge is a signed 16-bit index.
    static constexpr size_t kMaxGauges = 32767;
    static constexpr const wchar_t* kConfigurationFileName = L"XVarlenSkydeck.xml";
    static constexpr const wchar_t* kMemoryFileName = L"XVarlenScreen.xml";
    // The gauge entries of the configuration file, in display order.
    static constexpr const wchar_t* kGaugeXPath = L"//GaugeList/Gauge";
    // An unreadable memory file is kept under this suffix before a new one is started.
    static constexpr const wchar_t* kBadFileSuffix = L".bad";

    // manager: where the panel finds its link; it must outlive the panel.
    CScreenPanel(const std::wstring& devicePath, IGlasslinkLookup& manager);
    ~CScreenPanel() override;

    // Registers buttons 1 to 12.
    void InitButtons();
    // Builds the gauge list from the configuration file: one gauge per <Gauge> that loads, in
    // file order (a gauge that does not load leaves no gap).
    void InitGauges();
    // Sets the current gauge to the one this panel showed last, found by its name in the memory
    // file; the first gauge when there is no entry or no gauge of that name.
    void LoadGauge();
    // Records the current gauge's name under this panel's serial number in the memory file:
    // updates this panel's entry or appends one. The file is replaced whole, never left half
    // written; a file that exists but does not load is kept aside with kBadFileSuffix.
    void SaveGauge();
    // The LEDs the panel shows (bit n: LED n) while on: 1 to 6 where the current gauge binds the
    // button, 7 and 8; kNoLeds without a current gauge (the LEDs are then left as they are).
    uint16_t LedsWanted() const;
    static constexpr uint16_t kNoLeds = 0xFFFF;

    size_t GaugeCount() const { return gauges.size(); }
    const CGauge& Gauge(size_t index) const { return *gauges[index]; }
    int16_t CurrentGauge() const { return currentGauge.load(); }
    const std::wstring& GetSerialNumber() const { return serialNumber; }

protected:
    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t button, uint32_t state) override;
    void OnAircraftProfile(const CAircraftProfiles& profiles) override;

private:
    // One Gauge element: the gauge file's path as composed and the buttons it binds; for a
    // profile's, where it stands.
    struct GaugeEntry {
        std::wstring path;
        ButtonBindings bindings;
        std::wstring profile;
        uint32_t line = 0;
    };
    // A Gauge element read: its file under the data folder and its button bindings.
    GaugeEntry ReadGaugeEntry(const PLATFORM::CXmlNode& element) const;
    // The gauges of entries that load, in order (reads their files).
    static std::vector<std::unique_ptr<CGauge>> LoadGauges(const std::vector<GaugeEntry>& entries);
    // The I/O thread: loads a list asked for.
    void LoadPendingGauges();
    // The frame: takes a loaded list into use when gaugeLock is free.
    void TakeLoadedGauges();
    // The I/O thread's body: LEDs at every wake, a pass once the initial delay is over, until
    // stopped; then the LEDs off.
    void IoThreadRoutine();
    // Brings the wanted LEDs (1 to 8) to the link, in order; on: as wanted, otherwise all off.
    void SetLeds(bool on);
    // One pass: draws a dirty picture and sends it.
    void RenderGauge();
    // The screen link filed under this panel's serial number, or null. The I/O thread's: it keeps
    // the link it found until the link is retired, and looks again only then (or while there is
    // none), waiting for a frame that holds the manager's link lock.
    const std::shared_ptr<CGlasslinkScreen>& FindLink();
    // Raises the stop flag and wakes the I/O thread; waits for it to end and joins it.
    void StopIoThread();
    static bool WakeOrStop(void* panel);
    static bool IoThreadEnded(void* panel);

    IGlasslinkLookup* manager;
    std::wstring serialNumber;
    std::vector<std::unique_ptr<CGauge>> gauges;
    // Changed under gaugeLock on the simulator's thread; read without it where a wait is not
    // allowed (LEDs, buttons).
    std::atomic<int16_t> currentGauge{0};
    uint32_t dirty = 1;
    std::mutex gaugeLock;

    std::thread ioThread;
    std::mutex ioLock;
    std::condition_variable ioEvent;    // a change of ledsWanted, stopping or ioThreadEnded
    std::atomic<bool> stopping{false};  // written under ioLock
    bool ioThreadEnded = false;
    uint32_t initializedAt = 0;  // tick count; the initial delay counts from here
    // The LEDs the frame wants, and the last wish the I/O thread took (under ioLock).
    std::atomic<uint16_t> ledsWanted{kNoLeds};
    uint16_t ledsTaken = kNoLeds;
    // The frame's own: the wish it has woken the I/O thread for.
    uint16_t ledsHandedOver = kNoLeds;
    std::shared_ptr<CGlasslinkScreen> ioLink;  // the I/O thread's alone
    // The picture as the link sends it; the I/O thread's alone. Made by the thread on its first
    // drawing (the label font is read then, never on the simulator's thread) and kept, so a
    // redraw allocates nothing.
    std::unique_ptr<CGaugeCanvas> canvas;

    std::wstring dataFolder;
    std::vector<GaugeEntry> fileEntries;  // the configuration file's, as InitGauges read them
    bool profileList = false;             // the list asked for last is a profile's
    std::mutex pendingLock;
    bool pending = false;  // pendingEntries wait for the I/O thread
    std::vector<GaugeEntry> pendingEntries;
    std::vector<std::unique_ptr<CGauge>> loadedGauges;  // waiting for a frame, under pendingLock
    std::atomic<bool> loaded{false};
};

}  // namespace XPL
