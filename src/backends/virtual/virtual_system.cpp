// Virtual named events, folders, interface lists and clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
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

// A thread that takes part in the clock: one that has waited on it, or was started through
// PLATFORM::StartThread. The clock's list owns it, and it leaves the list when the thread ends.
// Every member is guarded by the clock mutex; expired is also only written with the waiter's
// mutex held, so the waiter reads it under its own mutex.
struct ClockThread {
    std::thread::id owner;
    bool waiting = false;
    bool timed = false;  // a wait with a deadline; the others end only by their condition
    uint32_t start = 0;
    uint32_t timeout = 0;
    std::mutex* mutex = nullptr;
    std::condition_variable* condition = nullptr;
    // The wait's condition, read by other threads under mutex to tell a thread that waits for
    // nothing from one about to wake.
    bool (*ready)(void*) = nullptr;
    void* context = nullptr;
    bool expired = false;  // the clock ended this wait
    // The clock ended its wait and the thread has neither waited again nor ended: a clock change
    // returns only once no thread is busy.
    bool busy = false;
    // Written by the thread itself only: while it waits, it moves the clock on when nothing else
    // can happen.
    bool drives = false;
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
    std::vector<std::unique_ptr<ClockThread>> threads;
    // Threads started through StartThread that have not yet joined the list.
    int starting = 0;
    // How far the clock moved on by itself (MovedByItself).
    uint64_t movedByItself = 0;
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
    std::lock_guard clock(m.clockMutex);
    m.movedByItself = 0;
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

// How often a thread that drives the clock looks, in real time, whether every other thread waits.
constexpr auto kDriverLook = std::chrono::milliseconds(1);

// Ends every wait whose time ran out at the current tick count (clock mutex held). Taking the
// waiter's mutex orders the end after the waiter's last look at its state, so none misses it.
void ExpireWaits(Machine& m) {
    const uint32_t now = m.ticks.load();
    for (const auto& thread : m.threads) {
        if (thread->waiting && thread->timed && !thread->expired &&
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

// Takes the ending thread's record off the clock's list. It reads nothing of the thread's own
// storage: mingw-w64 frees that storage before it runs the destructors of thread_local objects,
// so a record kept there was read by other threads after it had gone.
struct ClockLeaver {
    ClockLeaver() = default;
    ClockLeaver(const ClockLeaver&) = delete;
    ClockLeaver& operator=(const ClockLeaver&) = delete;
    ~ClockLeaver() {
        Machine& m = TheMachine();
        std::lock_guard clock(m.clockMutex);
        std::erase_if(m.threads, [id = std::this_thread::get_id()](const auto& thread) {
            return thread->owner == id;
        });
        m.settled.notify_all();
    }
};

// The calling thread's record; made on first use (takes the clock mutex).
ClockThread& ThisThread() {
    thread_local ClockThread* self = nullptr;
    thread_local ClockLeaver leaver;
    if (self == nullptr) {
        (void)leaver;
        Machine& m = TheMachine();
        auto record = std::make_unique<ClockThread>();
        record->owner = std::this_thread::get_id();
        self = record.get();
        std::lock_guard clock(m.clockMutex);
        m.threads.push_back(std::move(record));
    }
    return *self;
}

// Returns once every thread whose wait the clock ended waits again or has ended; the thread that
// changes the clock (self) cannot be waited for.
void Settle(Machine& m, std::unique_lock<std::mutex>& clock, const ClockThread& self) {
    m.settled.wait(clock, [&m, &self] {
        return std::none_of(m.threads.begin(), m.threads.end(),
                            [&self](const auto& t) { return t->busy && t.get() != &self; });
    });
}

// Whether every thread but except waits for something only the clock can bring (clock mutex
// held, no waiter's mutex): none is starting, running or woken. A waiter whose condition holds
// but has not woken yet is woken (a notice may have gone to it before it waited).
bool AllWaitForTheClock(Machine& m, const ClockThread* except) {
    if (m.starting != 0) {
        return false;
    }
    for (const auto& thread : m.threads) {
        if (thread.get() == except) {
            continue;
        }
        if (!thread->waiting || thread->expired || thread->busy) {
            return false;
        }
        std::lock_guard hold(*thread->mutex);
        if (thread->ready(thread->context)) {
            thread->condition->notify_all();
            return false;
        }
    }
    return true;
}

// The time left before the nearest wait runs out, if that is at most limit.
std::optional<uint32_t> NearestDeadline(const Machine& m, uint32_t limit) {
    std::optional<uint32_t> nearest;
    const uint32_t now = m.ticks.load();
    for (const auto& thread : m.threads) {
        if (!thread->waiting || !thread->timed || thread->expired) {
            continue;
        }
        const uint32_t left = thread->timeout - static_cast<uint32_t>(now - thread->start);
        if (left <= limit && (!nearest || left < *nearest)) {
            nearest = left;
        }
    }
    return nearest;
}

// Moves the clock on to the nearest deadline when every thread, the driving one (self, whose
// mutex is released) included, waits and only time can end a wait.
void MoveOnIfStill(Machine& m, ClockThread& self) {
    std::unique_lock change(m.changeMutex, std::try_to_lock);
    if (!change.owns_lock()) {
        return;
    }
    std::unique_lock clock(m.clockMutex);
    if (!AllWaitForTheClock(m, nullptr)) {
        return;
    }
    const std::optional<uint32_t> step = NearestDeadline(m, UINT32_MAX);
    if (!step) {
        return;  // nothing will ever end: a wait for a condition alone
    }
    m.ticks += *step;
    m.movedByItself += *step;
    ExpireWaits(m);
    Settle(m, clock, self);
}

// Waits on condition (lock held) until ready(context), or, when timed, until timeoutMs have passed
// on the clock; returns ready(context), false only when the time ran out. The wait is registered
// with the caller's mutex released, so the clock mutex is never taken while a waiter's mutex is
// held and a clock change can take the waiter's mutex in turn.
bool ClockWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition, bool timed,
               uint32_t timeoutMs, bool (*ready)(void*), void* context) {
    Machine& m = TheMachine();
    const uint32_t began = m.ticks.load();
    while (!ready(context)) {
        lock.unlock();
        ClockThread& self = ThisThread();  // may take the clock mutex
        {
            std::lock_guard clock(m.clockMutex);
            const uint32_t elapsed = m.ticks.load() - began;
            self.waiting = !timed || elapsed < timeoutMs;
            self.timed = timed;
            self.start = m.ticks.load();
            self.timeout = timed ? timeoutMs - std::min(elapsed, timeoutMs) : 0;
            self.mutex = lock.mutex();
            self.condition = &condition;
            self.ready = ready;
            self.context = context;
            self.expired = !self.waiting;
            self.busy = false;
            m.settled.notify_all();
        }
        lock.lock();
        while (!ready(context) && !self.expired) {
            if (!self.drives) {
                condition.wait(lock);
                continue;
            }
            condition.wait_for(lock, kDriverLook);
            if (!ready(context) && !self.expired) {
                lock.unlock();
                MoveOnIfStill(m, self);
                lock.lock();
            }
        }
        const bool expired = self.expired;
        lock.unlock();
        {
            std::lock_guard clock(m.clockMutex);
            self.waiting = false;
        }
        lock.lock();
        if (expired) {
            break;
        }
        // Otherwise the condition held, but may have been taken back before this thread looked
        // again (another waiter was quicker): it waits on for the time that is left.
    }
    return ready(context);
}

}  // namespace

// Waits until every other thread that takes part waits for something only the clock can bring:
// time moves on only between what threads do, never in the middle of it.
void AwaitStill(Machine& m, std::unique_lock<std::mutex>& clock, const ClockThread& self) {
    m.settled.wait(clock, [&m, &self] { return AllWaitForTheClock(m, &self); });
}

void SetTickCount(uint32_t ms) {
    Machine& m = TheMachine();
    ClockThread& self = ThisThread();
    self.drives = true;
    std::lock_guard change(m.changeMutex);
    std::unique_lock clock(m.clockMutex);
    AwaitStill(m, clock, self);
    m.ticks = ms;
    ExpireWaits(m);
    Settle(m, clock, self);
}

// Steps from deadline to deadline, so that a thread whose wait ends early in the span has done
// its work, and may have started a new wait that also ends within the span, before later
// deadlines are reached.
void AdvanceClock(uint32_t ms) {
    Machine& m = TheMachine();
    ClockThread& self = ThisThread();
    self.drives = true;
    std::lock_guard change(m.changeMutex);
    std::unique_lock clock(m.clockMutex);
    uint32_t left = ms;
    do {
        AwaitStill(m, clock, self);
        const uint32_t step = NearestDeadline(m, left).value_or(left);
        m.ticks += step;
        left -= step;
        ExpireWaits(m);
        Settle(m, clock, self);
    } while (left != 0);
}

void DriveClock() {
    ThisThread().drives = true;
}

void AwaitIdle() {
    Machine& m = TheMachine();
    const ClockThread& self = ThisThread();  // may take the clock mutex
    std::unique_lock clock(m.clockMutex);
    AwaitStill(m, clock, self);
}

uint64_t MovedByItself() {
    Machine& m = TheMachine();
    std::lock_guard clock(m.clockMutex);
    return m.movedByItself;
}

int TimedWaiters() {
    Machine& m = TheMachine();
    std::lock_guard lock(m.clockMutex);
    return static_cast<int>(std::count_if(m.threads.begin(), m.threads.end(),
                                          [](const auto& t) { return t->waiting && t->timed; }));
}

void UntimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
                 bool (*ready)(void*), void* context) {
    ClockWait(lock, condition, false, 0, ready, context);
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

// Waits on the virtual clock: only SetTickCount, AdvanceClock and a driving thread's stillness
// end the time, never real time.
bool TimedWait(std::unique_lock<std::mutex>& lock, std::condition_variable& condition,
               uint32_t timeoutMs, bool (*ready)(void* context), void* context) {
    return VIRTUAL::ClockWait(lock, condition, true, timeoutMs, ready, context);
}

// The thread counts as taking part from now on: the clock does not move on by itself before it
// has joined the clock's list.
std::thread StartThread(std::function<void()> body) {
    auto& m = TheMachine();
    {
        std::lock_guard clock(m.clockMutex);
        ++m.starting;
    }
    try {
        return std::thread([body = std::move(body)] {
            auto& machine = TheMachine();
            VIRTUAL::ThisThread();
            {
                std::lock_guard clock(machine.clockMutex);
                --machine.starting;
                machine.settled.notify_all();
            }
            body();
        });
    } catch (...) {
        std::lock_guard clock(m.clockMutex);
        --m.starting;
        m.settled.notify_all();
        throw;
    }
}

}  // namespace XPL::PLATFORM
