// Named mutexes of the stand-in, across processes: one lock file per name
// beside the registry file, held with flock() by the owning process. The
// owner writes its process id into the file and clears it on release, so a
// waiter that gets the lock over a file still naming a process knows that
// its holder died holding it (WAIT_ABANDONED). Within a process the handles
// of one name share one object whose ownership is per thread and counted.
#include "events.h"

#include "storepath.h"
#include "textconv.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

const uint32_t kMutexMagic = 0x4D555458; // "MUTX"

struct NamedMutex {
    ~NamedMutex()
    {
        if (fd >= 0)
            ::close(fd); // a hold still taken ends with it, as a holder's death would
    }
    std::mutex guard;
    std::condition_variable released;
    int fd = -1;
    std::thread::id owner; // none: not held in this process
    int count = 0;
};

struct MutexHandle {
    uint32_t magic;
    std::shared_ptr<NamedMutex> mutex;
};

// The objects of this process by lock file, as Windows keeps one object per name.
std::mutex tableGuard;
std::map<std::string, std::weak_ptr<NamedMutex>> table;

MutexHandle *mutexOf(HANDLE handle)
{
    MutexHandle *mutex = static_cast<MutexHandle *>(handle);
    return mutex && mutex->magic == kMutexMagic ? mutex : nullptr;
}

std::string lockFileOf(const std::string &name)
{
    std::string safe;
    for (char c : name)
        safe += (c == '\\' || c == '/' || c == ':') ? '_' : c;
    return standin::registryFilePath() + ".mutex-" + safe;
}

// Takes the lock file for the calling thread; the caller holds `guard` and
// no thread of this process owns the mutex.
bool takeFile(NamedMutex &mutex, bool &abandoned)
{
    if (::flock(mutex.fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    char holder[32] = {};
    abandoned = ::pread(mutex.fd, holder, sizeof holder - 1, 0) > 0;
    const std::string self = std::to_string(::getpid()) + "\n";
    if (::ftruncate(mutex.fd, 0) != 0 || ::pwrite(mutex.fd, self.data(), self.size(), 0) < 0) {
        // Without its mark a later death would go unnoticed; the lock is held all the same.
    }
    mutex.owner = std::this_thread::get_id();
    mutex.count = 1;
    return true;
}

} // namespace

namespace standin {

bool waitForMutex(HANDLE handle, DWORD milliseconds, DWORD &result)
{
    MutexHandle *handleOf = mutexOf(handle);
    if (!handleOf)
        return false;
    const std::shared_ptr<NamedMutex> keep = handleOf->mutex;
    NamedMutex &mutex = *keep;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(mutex.guard);
    if (mutex.owner == std::this_thread::get_id()) {
        ++mutex.count;
        result = WAIT_OBJECT_0;
        return true;
    }
    for (;;) {
        bool abandoned = false;
        if (mutex.owner == std::thread::id() && takeFile(mutex, abandoned)) {
            result = abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
            return true;
        }
        if (milliseconds != INFINITE && std::chrono::steady_clock::now() >= deadline) {
            result = WAIT_TIMEOUT;
            return true;
        }
        // Another process's hold ends without a word to this one: look again soon.
        mutex.released.wait_for(lock, std::chrono::milliseconds(10));
    }
}

bool closeMutex(HANDLE handle, BOOL &result)
{
    MutexHandle *mutex = mutexOf(handle);
    if (!mutex)
        return false;
    mutex->magic = 0;
    delete mutex;
    result = TRUE;
    return true;
}

} // namespace standin

HANDLE CreateMutexExW(LPSECURITY_ATTRIBUTES, LPCWSTR lpName, DWORD dwFlags, DWORD)
{
    if (!lpName || !*lpName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string file = lockFileOf(standin::wideToUtf8(lpName));
    std::shared_ptr<NamedMutex> mutex;
    bool existed = true;
    {
        std::lock_guard<std::mutex> lock(tableGuard);
        mutex = table[file].lock();
        if (!mutex) {
            std::error_code ignored; // a missing folder is made, as the registry's writer makes it
            std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
            // Not inherited: a child such as regsvr32 must not keep the lock alive.
            const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            if (fd < 0) {
                SetLastError(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_PATH_NOT_FOUND);
                return nullptr;
            }
            mutex = std::make_shared<NamedMutex>();
            mutex->fd = fd;
            table[file] = mutex;
            existed = false;
        }
    }
    MutexHandle *handle = new MutexHandle{kMutexMagic, mutex};
    if (dwFlags & CREATE_MUTEX_INITIAL_OWNER) {
        DWORD taken = WAIT_FAILED;
        standin::waitForMutex(handle, INFINITE, taken);
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE hMutex)
{
    MutexHandle *handle = mutexOf(hMutex);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    NamedMutex &mutex = *handle->mutex;
    std::lock_guard<std::mutex> lock(mutex.guard);
    if (mutex.owner != std::this_thread::get_id()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--mutex.count == 0) {
        if (::ftruncate(mutex.fd, 0) != 0) {
            // The next holder will take the mutex as abandoned; nothing else is lost.
        }
        ::flock(mutex.fd, LOCK_UN);
        mutex.owner = std::thread::id();
        mutex.released.notify_all();
    }
    return TRUE;
}
