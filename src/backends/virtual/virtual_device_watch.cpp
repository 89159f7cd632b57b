// The device watch on the virtual bus: a std::thread plays the message-only window and its
// message loop, serving device-change notices that tests and tools raise (AttachDevice,
// DetachDevice, DeliverDeviceNotice) one at a time, in the order they were raised.
//
// The virtual thread cannot really hang: under SetWatchHangs, StopDeviceWatch answers false at
// once as if it had to terminate the thread, but still asks the thread to quit and joins it (it
// ends after the notice it is handling), so nothing outlives the watch.
#include <algorithm>
#include <utility>

#include "backends/virtual/virtual_bus.h"
#include "platform/clock.h"
#include "platform/device_watch.h"

namespace XPL::PLATFORM {

struct DeviceWatch {
    std::shared_ptr<VIRTUAL::WatchState> state;
    std::thread thread;
};

struct DeviceNotification {
    std::shared_ptr<VIRTUAL::WatchState> watch;
    Guid interfaceClass;
};

}  // namespace XPL::PLATFORM

namespace XPL::VIRTUAL {

struct WatchState {
    explicit WatchState(PLATFORM::IDeviceWatchSink* watchSink) : sink(watchSink) {}

    PLATFORM::IDeviceWatchSink* const sink;
    // Guarded by the bus mutex.
    std::thread::id thread;
    std::deque<Notice> queue;
    // Sequence numbers of the last notice queued and handled; the window's creation counts as
    // notice 1, handled once the thread has entered its loop.
    uint64_t raised = 1;
    uint64_t handled = 0;
    bool quit = false;   // asked to quit
    bool ended = false;  // no longer serving notices (or never did: no window)
};

namespace {

void Deliver(PLATFORM::IDeviceWatchSink& sink, const Notice& notice) {
    sink.OnWindowMessage(PLATFORM::kMessageDeviceChange);
    sink.OnDeviceChange(notice.event, &notice.interfaceClass, notice.path.c_str());
}

bool Registered(const Bus& bus, const WatchState& watch, const PLATFORM::Guid& interfaceClass) {
    return std::any_of(bus.notifications.begin(), bus.notifications.end(), [&](const auto* n) {
        return n->watch.get() == &watch && n->interfaceClass == interfaceClass;
    });
}

// Leaves the loop: notices still queued are dropped and count as handled. Bus mutex held.
void EndWatch(Bus& bus, const std::shared_ptr<WatchState>& watch) {
    watch->ended = true;
    watch->queue.clear();
    watch->handled = watch->raised;
    bus.watches.erase(std::remove(bus.watches.begin(), bus.watches.end(), watch),
                      bus.watches.end());
    bus.changed.notify_all();
}

void WatchThread(std::shared_ptr<WatchState> watch) {
    Bus& bus = TheBus();
    PLATFORM::IDeviceWatchSink& sink = *watch->sink;
    {
        std::lock_guard lock(bus.mutex);
        watch->thread = std::this_thread::get_id();
        if (bus.watchWindowFails) {
            EndWatch(bus, watch);  // no window: the thread ends at once
            return;
        }
        bus.watches.push_back(watch);
    }
    const void* window = watch.get();
    sink.OnWindowMessage(PLATFORM::kMessageCreate);
    sink.OnWindowCreated(window);
    sink.OnMessageLoop(window);

    std::unique_lock lock(bus.mutex);
    watch->handled = 1;
    bus.changed.notify_all();
    for (;;) {
        AwaitBus(lock, [&] { return watch->quit || !watch->queue.empty(); });
        if (watch->quit) {
            break;
        }
        const Notice notice = std::move(watch->queue.front());
        watch->queue.pop_front();
        lock.unlock();
        Deliver(sink, notice);
        lock.lock();
        watch->handled = notice.sequence;
        bus.changed.notify_all();
    }
    EndWatch(bus, watch);
}

}  // namespace

void QueueNotice(Bus& bus, std::vector<NoticeTicket>& tickets, uint32_t event,
                 const PLATFORM::Guid& interfaceClass, const std::wstring& path,
                 bool registeredOnly) {
    for (const std::shared_ptr<WatchState>& watch : bus.watches) {
        if (watch->ended || (registeredOnly && !Registered(bus, *watch, interfaceClass))) {
            continue;
        }
        NoticeTicket& ticket = tickets.emplace_back();
        ticket.watch = watch;
        ticket.notice.event = event;
        ticket.notice.interfaceClass = interfaceClass;
        ticket.notice.path = path;
        // Raised on the watch's own thread (from inside a notice): waiting for the queue would
        // wait for itself, so the notice is handed over directly, as a window procedure is
        // called directly for a message sent from its own thread.
        ticket.direct = watch->thread == std::this_thread::get_id();
        if (!ticket.direct) {
            ticket.notice.sequence = ++watch->raised;
            watch->queue.push_back(ticket.notice);
        }
    }
    bus.changed.notify_all();
}

void AwaitNotices(std::unique_lock<std::mutex>& lock, std::vector<NoticeTicket>& tickets) {
    for (NoticeTicket& ticket : tickets) {
        if (ticket.direct) {
            lock.unlock();
            Deliver(*ticket.watch->sink, ticket.notice);
            lock.lock();
            continue;
        }
        WatchState& watch = *ticket.watch;
        const uint64_t sequence = ticket.notice.sequence;
        AwaitBus(lock, [&] { return watch.ended || watch.handled >= sequence; });
    }
}

void ResetWatchFaults(Bus& bus) {
    bus.watchThreadFails = false;
    bus.watchWindowFails = false;
    bus.watchHangs = false;
    bus.notificationFails = false;
}

bool DeliverDeviceNotice(uint32_t event, const PLATFORM::Guid& interfaceClass,
                         const std::wstring& path) {
    Bus& bus = TheBus();
    std::unique_lock lock(bus.mutex);
    std::vector<NoticeTicket> tickets;
    QueueNotice(bus, tickets, event, interfaceClass, path, false);
    AwaitNotices(lock, tickets);
    return !tickets.empty();
}

void SetWatchThreadFails(bool fails) {
    std::lock_guard lock(TheBus().mutex);
    TheBus().watchThreadFails = fails;
}

void SetWatchWindowFails(bool fails) {
    std::lock_guard lock(TheBus().mutex);
    TheBus().watchWindowFails = fails;
}

void SetWatchHangs(bool hangs) {
    std::lock_guard lock(TheBus().mutex);
    TheBus().watchHangs = hangs;
}

void SetNotificationFails(bool fails) {
    std::lock_guard lock(TheBus().mutex);
    TheBus().notificationFails = fails;
}

void AwaitWatchesSettled() {
    Bus& bus = TheBus();
    std::unique_lock lock(bus.mutex);
    AwaitBus(lock, [&] {
        return std::all_of(bus.watches.begin(), bus.watches.end(), [](const auto& watch) {
            return watch->ended || watch->handled >= watch->raised;
        });
    });
}

bool WatchRunning() {
    std::lock_guard lock(TheBus().mutex);
    return !TheBus().watches.empty();
}

}  // namespace XPL::VIRTUAL

namespace XPL::PLATFORM {

using VIRTUAL::Bus;
using VIRTUAL::TheBus;

DeviceWatch* StartDeviceWatch(IDeviceWatchSink* sink, uint32_t& error) {
    Bus& bus = TheBus();
    {
        std::lock_guard lock(bus.mutex);
        if (bus.watchThreadFails || sink == nullptr) {
            error =
                sink == nullptr ? VIRTUAL::kErrorInvalidParameter : VIRTUAL::kErrorNotEnoughMemory;
            return nullptr;
        }
    }
    auto* watch = new DeviceWatch{std::make_shared<VIRTUAL::WatchState>(sink), {}};
    watch->thread = StartThread([state = watch->state] { VIRTUAL::WatchThread(state); });
    error = 0;
    return watch;
}

bool StopDeviceWatch(DeviceWatch* watch, uint32_t /*timeoutMs*/) {
    if (watch == nullptr) {
        return true;
    }
    Bus& bus = TheBus();
    bool hangs = false;
    const bool fromInside = watch->thread.get_id() == std::this_thread::get_id();
    {
        std::unique_lock lock(bus.mutex);
        hangs = bus.watchHangs;
        watch->state->quit = true;
        bus.changed.notify_all();
        // The notice it may be handling can need the clock: the wait is one the clock sees.
        if (!fromInside) {
            VIRTUAL::AwaitBus(lock, [&] { return watch->state->ended; });
        }
    }
    if (fromInside) {
        watch->thread.detach();  // stopped from inside a notice: the thread ends after it
    } else {
        watch->thread.join();
    }
    delete watch;
    return !hangs;
}

DeviceNotification* RegisterDeviceNotification(DeviceWatch* watch, const Guid& interfaceClass,
                                               uint32_t& error) {
    Bus& bus = TheBus();
    std::lock_guard lock(bus.mutex);
    if (bus.notificationFails) {
        error = VIRTUAL::kErrorInvalidData;
        return nullptr;
    }
    if (watch == nullptr || watch->state->ended) {
        error = VIRTUAL::kErrorInvalidWindowHandle;
        return nullptr;
    }
    auto* notification = new DeviceNotification{watch->state, interfaceClass};
    bus.notifications.push_back(notification);
    error = 0;
    return notification;
}

void UnregisterDeviceNotification(DeviceNotification* notification) {
    if (notification == nullptr) {
        return;
    }
    Bus& bus = TheBus();
    {
        std::lock_guard lock(bus.mutex);
        auto& all = bus.notifications;
        all.erase(std::remove(all.begin(), all.end(), notification), all.end());
    }
    delete notification;
}

}  // namespace XPL::PLATFORM
