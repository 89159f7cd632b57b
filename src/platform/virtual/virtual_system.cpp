// Virtual named events, folders, interface lists and clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>

#include "platform/clock.h"
#include "platform/folders.h"
#include "platform/hid.h"
#include "platform/service_events.h"
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

struct Machine {
    std::mutex mutex;
    std::set<std::wstring> existingEvents;
    std::vector<std::wstring> signalledEvents;
    std::wstring modulePath = kDefaultModulePath;
    std::wstring documents = kDefaultDocuments;
    uint32_t documentsFailure = 0;
    std::map<PLATFORM::Guid, PLATFORM::InterfaceList, GuidLess> interfaces;
    std::atomic<uint32_t> ticks{0};
    std::atomic<int> waiters{0};
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

}  // namespace

void ResetPlatform() {
    ResetTraceCapture();
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

void SetTickCount(uint32_t ms) {
    TheMachine().ticks = ms;
}

void AdvanceClock(uint32_t ms) {
    TheMachine().ticks += ms;
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

InterfaceList ListInterfaces(const Guid& interfaceClass) {
    auto& m = TheMachine();
    std::lock_guard lock(m.mutex);
    auto found = m.interfaces.find(interfaceClass);
    return found == m.interfaces.end() ? InterfaceList{} : found->second;
}

uint32_t GetTickCount() {
    return TheMachine().ticks.load();
}

}  // namespace XPL::PLATFORM
