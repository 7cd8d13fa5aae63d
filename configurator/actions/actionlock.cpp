#include "actionlock.h"

#include "win32api.h"

#include <chrono>

const wchar_t actionLockName[] = L"Global\\KestraneFilterToolsAction";

namespace {

// Every user may wait on the mutex and release what it holds; SYSTEM and
// administrators may do anything with it. A tool of a standard user and an
// elevated one so wait on each other, whichever created the mutex.
const wchar_t lockSecurity[] = L"D:(A;;0x00100001;;;WD)(A;;GA;;;SY)(A;;GA;;;BA)";

// The slice a wait sleeps before it looks at the clock and at Cancel again.
const DWORD waitSliceMs = 100;

HANDLE openLock()
{
    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(lockSecurity, SDDL_REVISION_1, &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    HANDLE mutex = CreateMutexExW(&attributes, actionLockName, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    const DWORD error = GetLastError();
    if (descriptor)
        LocalFree(descriptor);
    SetLastError(error);
    return mutex;
}

} // namespace

ActionLock::ActionLock(const LockWait &wait) : mutex(nullptr), state(Failed), failure(0)
{
    HANDLE handle = openLock();
    if (!handle) {
        failure = int32_t(GetLastError());
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    bool noticed = false;
    for (;;) {
        const DWORD result = WaitForSingleObject(handle, waitSliceMs);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
            mutex = handle;
            state = result == WAIT_OBJECT_0 ? Held : TakenOver;
            return;
        }
        if (result != WAIT_TIMEOUT) {
            failure = int32_t(GetLastError());
            break;
        }
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start).count();
        if (wait.cancelled && wait.cancelled()) {
            state = Cancelled;
            failure = ERROR_CANCELLED;
            break;
        }
        if (waited >= wait.limitMs) {
            state = Busy;
            failure = int32_t(WAIT_TIMEOUT);
            break;
        }
        if (!noticed && waited >= wait.noticeMs) {
            noticed = true;
            if (wait.waiting)
                wait.waiting();
        }
    }
    CloseHandle(handle);
}

ActionLock::~ActionLock()
{
    if (!mutex)
        return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}
