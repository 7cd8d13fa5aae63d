// Event and mutex objects of the stand-in, for the kernel32 functions that take any
// handle (WaitForSingleObject, CloseHandle), which live with the process
// handles in shell.cpp, and for the registry's change notification.
#ifndef STANDIN_EVENTS_H
#define STANDIN_EVENTS_H

#include "win32api.h"

#include <functional>

namespace standin {

// True when `handle` is an event; `result` then holds what the call returns.
bool waitForEvent(HANDLE handle, DWORD milliseconds, DWORD &result);
bool closeEvent(HANDLE handle, BOOL &result);
// The same for named mutexes (mutexes.cpp).
bool waitForMutex(HANDLE handle, DWORD milliseconds, DWORD &result);
bool closeMutex(HANDLE handle, BOOL &result);

// Calls `changed` on a thread of its own until it returns true or the event
// is closed; between calls the thread sleeps `intervalMs`. Then sets the
// event (unless it was closed). False when `handle` is no event.
bool signalWhen(HANDLE handle, std::function<bool()> changed, int intervalMs);

} // namespace standin

#endif
