// Event objects: a flag with a condition variable, shared with the threads
// that may set it after the handle was closed.
#include "events.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

const uint32_t kEventMagic = 0x45564E54; // "EVNT"

struct EventState {
    std::mutex mutex;
    std::condition_variable signal;
    bool manualReset = false;
    bool signaled = false;
    bool closed = false;
};

struct EventHandle {
    uint32_t magic;
    std::shared_ptr<EventState> state;
};

EventHandle *eventOf(HANDLE handle)
{
    EventHandle *event = static_cast<EventHandle *>(handle);
    return event && event->magic == kEventMagic ? event : nullptr;
}

void setState(EventState &state)
{
    std::lock_guard<std::mutex> lock(state.mutex);
    state.signaled = true;
    state.signal.notify_all();
}

} // namespace

namespace standin {

bool waitForEvent(HANDLE handle, DWORD milliseconds, DWORD &result)
{
    EventHandle *event = eventOf(handle);
    if (!event)
        return false;
    const std::shared_ptr<EventState> keep = event->state; // alive while this call waits
    EventState &state = *keep;
    std::unique_lock<std::mutex> lock(state.mutex);
    const auto ready = [&] { return state.signaled; };
    const bool signaled = milliseconds == INFINITE
                              ? (state.signal.wait(lock, ready), true)
                              : state.signal.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
    if (signaled && !state.manualReset)
        state.signaled = false; // an auto-reset event lets one waiter through
    result = signaled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    return true;
}

bool closeEvent(HANDLE handle, BOOL &result)
{
    EventHandle *event = eventOf(handle);
    if (!event)
        return false;
    {
        std::lock_guard<std::mutex> lock(event->state->mutex);
        event->state->closed = true;
    }
    event->magic = 0;
    delete event;
    result = TRUE;
    return true;
}

bool signalWhen(HANDLE handle, std::function<bool()> changed, int intervalMs)
{
    EventHandle *event = eventOf(handle);
    if (!event)
        return false;
    std::shared_ptr<EventState> state = event->state;
    std::thread([state, changed, intervalMs] {
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                if (state->closed)
                    return;
            }
            if (changed()) {
                setState(*state);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
        }
    }).detach();
    return true;
}

} // namespace standin

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR)
{
    EventHandle *event = new EventHandle{kEventMagic, std::make_shared<EventState>()};
    event->state->manualReset = bManualReset != FALSE;
    event->state->signaled = bInitialState != FALSE;
    return event;
}

BOOL SetEvent(HANDLE hEvent)
{
    EventHandle *event = eventOf(hEvent);
    if (!event)
        return FALSE;
    setState(*event->state);
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent)
{
    EventHandle *event = eventOf(hEvent);
    if (!event)
        return FALSE;
    std::lock_guard<std::mutex> lock(event->state->mutex);
    event->state->signaled = false;
    return TRUE;
}
