// Virtual named events, folders, interface lists and clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "backends/virtual/virtual_bus.h"
#include "backends/virtual/virtual_devices.h"
#include "backends/virtual/virtual_input.h"
#include "backends/virtual/virtual_platform.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/hid.h"
#include "platform/service_events.h"

namespace XPL::VIRTUAL {

void ResetTraceCapture();

namespace {

struct GuidLess {
    bool operator()(const PLATFORM::Guid& a, const PLATFORM::Guid& b) const {
        return std::lexicographical_compare(
            reinterpret_cast<const uint8_t*>(&a), reinterpret_cast<const uint8_t*>(&a) + sizeof(a),
            reinterpret_cast<const uint8_t*>(&b), reinterpret_cast<const uint8_t*>(&b) + sizeof(b));
    }
};

const wchar_t kDefaultModulePath[] =
    L"C:\\X-Plane\\Resources\\plugins\\XVarlenSkydeck\\64\\win.xpl";
const wchar_t kDefaultDocuments[] = L"C:\\Users\\Public\\Documents";
// Where Debian's fonts-liberation puts Liberation Sans.
const wchar_t kDefaultFonts[] = L"/usr/share/fonts/truetype/liberation";

// A thread that has waited on the clock: whether it waits now, for how long, and on what. It lives
// in the thread's own storage and leaves the clock's list when the thread ends. Every member is
// guarded by the clock mutex; expired is also only written with the waiter's mutex held, so the
// waiter reads it under its own mutex.
struct ClockThread {
    ClockThread();
    ~ClockThread();
    ClockThread(const ClockThread&) = delete;
    ClockThread& operator=(const ClockThread&) = delete;

    bool waiting = false;
    uint32_t start = 0;
    uint32_t timeout = 0;
    std::mutex* mutex = nullptr;
    std::condition_variable* condition = nullptr;
    bool expired = false;  // the clock ended this wait
    // The clock ended its wait and the thread has neither waited again nor ended: a clock change
    // returns only once no thread is busy.
    bool busy = false;
};

struct Machine {
    std::mutex mutex;
    std::set<std::wstring> existingEvents;
    std::vector<std::wstring> signalledEvents;
    std::wstring modulePath = kDefaultModulePath;
    std::wstring documents = kDefaultDocuments;
    uint32_t documentsFailure = 0;
    std::wstring fonts = kDefaultFonts;
    uint32_t fontsFailure = 0;
    std::map<PLATFORM::Guid, PLATFORM::InterfaceList, GuidLess> interfaces;
    std::atomic<uint32_t> ticks{0};
    // Guards the clock's threads. Taken before a waiter's mutex, never after.
    std::mutex clockMutex;
    std::condition_variable settled;  // a busy thread waits again or ended
    std::vector<ClockThread*> threads;
    // One clock change at a time.
    std::mutex changeMutex;
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

}  // namespace

void ResetPlatform() {
    ResetTraceCapture();
    ResetDevices();
    ResetKeyboard();
    Machine& m = TheMachine();
    std::lock_guard lock(m.mutex);
    m.existingEvents.clear();
    m.signalledEvents.clear();
    m.modulePath = kDefaultModulePath;
    m.documents = kDefaultDocuments;
    m.documentsFailure = 0;
    m.fonts = kDefaultFonts;
    m.fontsFailure = 0;
    m.interfaces.clear();
    m.ticks = 0;
}

void SetNamedEventExists(const std::wstring& name, bool exists) {
    Machine& m = TheMachine();
    std::lock_guard lock(m.mutex);
    if (exists) {
        m.existingEvents.insert(name);
    } else {
        m.existingEvents.erase(name);
    }
}

std::vector<std::wstring> TakeSignalledEvents() {
    Machine& m = TheMachine();
    std::lock_guard lock(m.mutex);
    std::vector<std::wstring> events;
    events.swap(m.signalledEvents);
    return events;
}

void SetModuleFilePath(const std::wstring& path) {
    std::lock_guard lock(TheMachine().mutex);
    TheMachine().modulePath = path;
}

void SetPublicDocumentsFolder(const std::wstring& folder, uint32_t failStatus) {
    std::lock_guard lock(TheMachine().mutex);
    TheMachine().documents = folder;
    TheMachine().documentsFailure = failStatus;
}

void SetFontsFolder(const std::wstring& folder, uint32_t failStatus) {
    std::lock_guard lock(TheMachine().mutex);
    TheMachine().fonts = folder;
    TheMachine().fontsFailure = failStatus;
}

void SetInterfaceList(const PLATFORM::Guid& interfaceClass, const PLATFORM::InterfaceList& list) {
    std::lock_guard lock(TheMachine().mutex);
    TheMachine().interfaces[interfaceClass] = list;
}

namespace {

// Ends every wait whose time ran out at the current tick count (clock mutex held). Taking the
// waiter's mutex orders the end after the waiter's last look at its state, so none misses it.
void ExpireWaits(Machine& m) {
    const uint32_t now = m.ticks.load();
    for (ClockThread* thread : m.threads) {
        if (thread->waiting && !thread->expired &&
            static_cast<uint32_t>(now - thread->start) >= thread->timeout) {
            {
                std::lock_guard hold(*thread->mutex);
                thread->expired = true;
            }
            thread->busy = true;
            thread->condition->notify_all();
        }
    }
}

// The calling thread's record; made on first use (takes the clock mutex).
ClockThread& ThisThread() {
    thread_local ClockThread self;
    return self;
}

// Returns once every thread whose wait the clock ended waits again or has ended; the thread that
// changes the clock (self) cannot be waited for.
void Settle(Machine& m, std::unique_lock<std::mutex>& clock, const ClockThread& self) {
    m.settled.wait(clock, [&m, &self] {
        return std::none_of(m.threads.begin(), m.threads.end(),
                            [&self](const ClockThread* t) { return t->busy && t != &self; });
    });
}

// The time left before the nearest wait runs out, if that is at most limit.
std::optional<uint32_t> NearestDeadline(const Machine& m, uint32_t limit) {
    std::optional<uint32_t> nearest;
    const uint32_t now = m.ticks.load();
    for (const ClockThread* thread : m.threads) {
        if (!thread->waiting || thread->expired) {
            continue;
        }
        const uint32_t left = thread->timeout - static_cast<uint32_t>(now - thread->start);
        if (left <= limit && (!nearest || left < *nearest)) {
            nearest = left;
        }
    }
    return nearest;
}

}  // namespace

ClockThread::ClockThread() {
    Machine& m = TheMachine();
    std::lock_guard clock(m.clockMutex);
    m.threads.push_back(this);
}

ClockThread::~ClockThread() {
    Machine& m = TheMachine();
    std::lock_guard clock(m.clockMutex);
    m.threads.erase(std::find(m.threads.begin(), m.threads.end(), this));
    m.settled.notify_all();
}

void SetTickCount(uint32_t ms) {
    Machine& m = TheMachine();
    const ClockThread& self = ThisThread();
    std::lock_guard change(m.changeMutex);
    std::unique_lock clock(m.clockMutex);
    m.ticks = ms;
    ExpireWaits(m);
    Settle(m, clock, self);
}

// Steps from deadline to deadline, so that a thread whose wait ends early in the span has done
// its work, and may have started a new wait that also ends within the span, before later
// deadlines are reached.
void AdvanceClock(uint32_t ms) {
    Machine& m = TheMachine();
    const ClockThread& self = ThisThread();
    std::lock_guard change(m.changeMutex);
    std::unique_lock clock(m.clockMutex);
    uint32_t left = ms;
    do {
        const uint32_t step = NearestDeadline(m, left).value_or(left);
        m.ticks += step;
        left -= step;
        ExpireWaits(m);
        Settle(m, clock, self);
    } while (left != 0);
}

int TimedWaiters() {
    Machine& m = TheMachine();
    std::lock_guard lock(m.clockMutex);
    return static_cast<int>(std::count_if(m.threads.begin(), m.threads.end(),
                                          [](const ClockThread* t) { return t->waiting; }));
}

}  // namespace XPL::VIRTUAL

namespace XPL::PLATFORM {

using VIRTUAL::TheMachine;

bool SignalNamedEvent(const wchar_t* name) {
    auto& m = TheMachine();
    std::lock_guard lock(m.mutex);
    if (m.existingEvents.count(name) == 0) {
        return false;
    }
    m.signalledEvents.emplace_back(name);
    return true;
}

std::wstring GetModuleFilePath() {
    std::lock_guard lock(TheMachine().mutex);
    return TheMachine().modulePath;
}

bool GetPublicDocumentsFolder(std::wstring& folder, uint32_t& status) {
    auto& m = TheMachine();
    std::lock_guard lock(m.mutex);
    if (m.documentsFailure != 0) {
        status = m.documentsFailure;
        return false;
    }
    folder = m.documents;
    status = 0;
    return true;
}

bool GetFontsFolder(std::wstring& folder, uint32_t& status) {
    auto& m = TheMachine();
    std::lock_guard lock(m.mutex);
    if (m.fontsFailure != 0) {
        status = m.fontsFailure;
        return false;
    }
    folder = m.fonts;
    status = 0;
    return true;
}

// A list set for the class wins; otherwise the devices attached to the bus.
InterfaceList ListInterfaces(const Guid& interfaceClass) {
    {
        auto& m = TheMachine();
        std::lock_guard lock(m.mutex);
        auto found = m.interfaces.find(interfaceClass);
        if (found != m.interfaces.end()) {
            return found->second;
        }
    }
    return VIRTUAL::ListBusInterfaces(interfaceClass);
}

uint32_t GetTickCount() {
    return TheMachine().ticks.load();
}

// Waits on the virtual clock: only SetTickCount and AdvanceClock end the time, never real time.
// The wait is registered with the caller's mutex released, so the clock mutex is never taken
// while a waiter's mutex is held and a clock change can take the waiter's mutex in turn.
bool TimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
               uint32_t timeoutMs, bool (*ready)(void* context), void* context) {
    if (ready(context)) {
        return true;
    }
    if (timeoutMs == 0) {
        return false;
    }
    auto& m = TheMachine();
    lock.unlock();
    VIRTUAL::ClockThread& self = VIRTUAL::ThisThread();  // may take the clock mutex
    {
        std::lock_guard clock(m.clockMutex);
        self.waiting = true;
        self.start = m.ticks.load();
        self.timeout = timeoutMs;
        self.mutex = lock.mutex();
        self.condition = &condition;
        self.expired = false;
        self.busy = false;
        m.settled.notify_all();
    }
    lock.lock();
    while (!ready(context) && !self.expired) {
        condition.wait(lock);
    }
    lock.unlock();
    {
        std::lock_guard clock(m.clockMutex);
        self.waiting = false;
    }
    lock.lock();
    return ready(context);
}

}  // namespace XPL::PLATFORM
