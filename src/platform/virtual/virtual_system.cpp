// Virtual named events, folders, interface lists and clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/hid.h"
#include "platform/service_events.h"
#include "platform/virtual/virtual_bus.h"
#include "platform/virtual/virtual_devices.h"
#include "platform/virtual/virtual_input.h"
#include "platform/virtual/virtual_platform.h"

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

// A thread in TimedWait: the caller's mutex and condition, so a clock change can wake it.
struct TimedWaiter {
    std::mutex* mutex;
    std::condition_variable* condition;
};

struct Machine {
    std::mutex mutex;
    std::set<std::wstring> existingEvents;
    std::vector<std::wstring> signalledEvents;
    std::wstring modulePath = kDefaultModulePath;
    std::wstring documents = kDefaultDocuments;
    uint32_t documentsFailure = 0;
    std::map<PLATFORM::Guid, PLATFORM::InterfaceList, GuidLess> interfaces;
    std::atomic<uint32_t> ticks{0};
    // Guards the waiters and orders clock changes. Taken before a waiter's mutex, never after.
    std::mutex clockMutex;
    std::vector<TimedWaiter*> waiters;
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

void SetInterfaceList(const PLATFORM::Guid& interfaceClass, const PLATFORM::InterfaceList& list) {
    std::lock_guard lock(TheMachine().mutex);
    TheMachine().interfaces[interfaceClass] = list;
}

namespace {

// Wakes every timed wait after a clock change (clock mutex held). Taking each waiter's mutex
// once orders the change after a waiter's last look at the clock, so none misses it.
void WakeTimedWaiters(Machine& m) {
    for (TimedWaiter* waiter : m.waiters) {
        { std::lock_guard hold(*waiter->mutex); }
        waiter->condition->notify_all();
    }
}

}  // namespace

void SetTickCount(uint32_t ms) {
    Machine& m = TheMachine();
    std::lock_guard lock(m.clockMutex);
    m.ticks = ms;
    WakeTimedWaiters(m);
}

void AdvanceClock(uint32_t ms) {
    Machine& m = TheMachine();
    std::lock_guard lock(m.clockMutex);
    m.ticks += ms;
    WakeTimedWaiters(m);
}

int TimedWaiters() {
    Machine& m = TheMachine();
    std::lock_guard lock(m.clockMutex);
    return static_cast<int>(m.waiters.size());
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
// The waiter is registered with the caller's mutex released, so the clock mutex is never taken
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
    const uint32_t start = m.ticks.load();
    VIRTUAL::TimedWaiter waiter{lock.mutex(), &condition};
    lock.unlock();
    {
        std::lock_guard clock(m.clockMutex);
        m.waiters.push_back(&waiter);
    }
    lock.lock();
    while (!ready(context) && static_cast<uint32_t>(m.ticks.load() - start) < timeoutMs) {
        condition.wait(lock);
    }
    lock.unlock();
    {
        std::lock_guard clock(m.clockMutex);
        m.waiters.erase(std::find(m.waiters.begin(), m.waiters.end(), &waiter));
    }
    lock.lock();
    return ready(context);
}

}  // namespace XPL::PLATFORM
