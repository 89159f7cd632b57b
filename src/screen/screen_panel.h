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
// - The simulator's thread runs the frame (OnNotify: LEDs, then the gauge's values fetched under
//   gaugeLock, which the frame only tries: a frame never waits for a drawing) and OnButton.
// - The panel's I/O thread waits 10 s after initialise, then every 50 ms makes a pass: when the
//   picture is dirty it draws the current gauge under gaugeLock into its own canvas, then sends
//   it through the link outside the lock, so a slow device holds up neither the frame nor a
//   gauge change. A send that fails leaves the picture dirty: it is drawn and sent again on the
//   next pass, also once a link that was missing arrives.
// - Every wait of the I/O thread ends early when the panel is uninitialised: its initial delay
//   and its 50 ms waits watch the stop flag, and a picture on its way through the link is ended
//   through the link's transfer stop (the device may be timing out). So a removal ends the
//   thread at once, whenever it comes, and a std::thread, which cannot be ended forcibly, never
//   needs to be: uninitialise still waits at most 1000 ms on the clock and then traces a
//   failure, but it joins the thread whatever happens, never leaving it running.
// - gaugeLock guards currentGauge's changes, dirty, and the drawing (scripts write the gauge's
//   working values while it draws, the frame's fetch overwrites them). The gauge list is built
//   before the thread starts and does not change while it runs.
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
    static constexpr uint32_t kStopWaitMs = 1000;
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
    // LEDs 1 to 6 to on AND "the current gauge binds the button", 7 and 8 to on. Nothing without
    // a link or a current gauge. Sends only changes (the link keeps the LEDs' state).
    void SetLeds(bool on);

    size_t GaugeCount() const { return gauges.size(); }
    const CGauge& Gauge(size_t index) const { return *gauges[index]; }
    int16_t CurrentGauge() const { return currentGauge.load(); }
    const std::wstring& GetSerialNumber() const { return serialNumber; }

protected:
    void OnInitialize() override;
    void OnUninitialize() override;
    void OnNotify() override;
    void OnButton(uint16_t button, uint32_t state) override;

private:
    // The I/O thread's body: the initial delay, then a pass every kPassIntervalMs until stopped.
    void IoThreadRoutine();
    // One pass: draws a dirty picture and sends it.
    void RenderGauge();
    // The screen link filed under this panel's serial number, or null.
    std::shared_ptr<CGlasslinkScreen> FindLink();
    // Raises the stop flag and wakes the I/O thread; waits for it to end and joins it.
    void StopIoThread();
    static bool Stopping(void* panel);
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
    std::mutex stopLock;
    std::condition_variable stopEvent;  // a change of stopping or ioThreadEnded
    bool stopping = false;
    bool ioThreadEnded = false;
    uint32_t initializedAt = 0;  // tick count; the initial delay counts from here
    // Ends a picture on its way when the panel goes.
    CGlasslinkScreen::CTransferStop pictureStop;
    // The picture as the link sends it; the I/O thread's alone. Made by the thread on its first
    // drawing (the label font is read then, never on the simulator's thread) and kept, so a
    // redraw allocates nothing.
    std::unique_ptr<CGaugeCanvas> canvas;
};

}  // namespace XPL
