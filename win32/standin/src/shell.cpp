// Shell execution and process handles of the stand-in.
//
// A program named by its bare file name is looked for, as the Windows shell
// does, in the folder of the running program first, then in the system
// folder, then on PATH; a trailing ".exe" may be absent on disk. The system
// folder is where the stand-in's own tools (regsvr32) are:
// $WIN32_STANDIN_SYSTEM_DIR when set, otherwise the folder the build put them
// in. So a program outside the build folder still starts the stand-in's
// regsvr32, and never one of the same name on PATH (Wine's, say). A
// backslash in the program's name or folder is a folder separator, as on
// Windows, so "<system folder>\regsvr32.exe" names the stand-in's tool.
//
// GetSystemDirectoryW names that system folder, GetSystemWow64DirectoryW
// its "syswow64" subfolder, where the build puts the 32-bit regsvr32.
//
// The parameter text is split into arguments by the Windows command-line
// rules. Each child also gets the raw command line in
// WIN32_STANDIN_COMMAND_LINE and the show command in WIN32_STANDIN_SHOW,
// which Windows hands to every process and POSIX argv cannot carry.
//
// Elevation: the verb "runas" starts the child elevated, with
// WIN32_STANDIN_ELEVATED=1 in its environment, which lifts the registry's
// refusal of writes (the registry file's owner-write bit) in that child.
// With WIN32_STANDIN_UAC=decline the user declines the prompt: nothing starts
// and the last error is ERROR_CANCELLED, as on Windows.
//
// Every child is reaped: by WaitForSingleObject, or, once its handle is
// closed (or was never asked for), by a detached thread that waits for it.
// So no zombie is left, and closing a handle never stops the child.
#include "win32api.h"

#include "events.h"
#include "textconv.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

const uint32_t kProcessMagic = 0x50524F43; // "PROC"

struct ProcessHandle {
    uint32_t magic;
    pid_t pid;
    bool reaped;
    DWORD exitCode; // STILL_ACTIVE until the child was reaped
};

bool isExecutableFile(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool endsWithExe(const std::string &name)
{
    if (name.size() < 4)
        return false;
    return standin::foldAscii(name.substr(name.size() - 4)) == ".exe";
}

// Tries `name` in `dir`, then the name without ".exe".
bool tryIn(const std::string &dir, const std::string &name, std::string &found)
{
    const std::string prefix = dir.empty() ? std::string() : dir + "/";
    if (isExecutableFile(prefix + name)) {
        found = prefix + name;
        return true;
    }
    if (endsWithExe(name) && isExecutableFile(prefix + name.substr(0, name.size() - 4))) {
        found = prefix + name.substr(0, name.size() - 4);
        return true;
    }
    return false;
}

std::string ownFolder()
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return std::string();
    std::string exe(buf, size_t(n));
    return exe.substr(0, exe.rfind('/'));
}

std::string systemFolder()
{
    const char *folder = std::getenv("WIN32_STANDIN_SYSTEM_DIR");
    std::string path = folder && *folder ? folder : WIN32_STANDIN_DEFAULT_SYSTEM_DIR;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool findProgramNamed(const std::string &file, std::string &found)
{
    if (file.empty())
        return false;
    if (file.find('/') != std::string::npos)
        return tryIn(std::string(), file, found);
    const std::string own = ownFolder();
    if (!own.empty() && tryIn(own, file, found))
        return true;
    if (tryIn(systemFolder(), file, found))
        return true;
    const char *pathEnv = std::getenv("PATH");
    const std::string path = pathEnv ? pathEnv : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(':', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string dir = path.substr(start, end - start);
        if (tryIn(dir.empty() ? "." : dir, file, found))
            return true;
        start = end + 1;
    }
    return false;
}

// A backslash is a folder separator; a program whose own name holds one
// (POSIX allows it) is still found by that name.
bool findProgram(const std::string &name, std::string &found)
{
    const std::string file = standin::withSlashes(name);
    return findProgramNamed(file, found) || (file != name && findProgramNamed(name, found));
}

// The rules of CommandLineToArgvW / the C runtime for the part after the
// program name: 2n backslashes before a quote give n backslashes and toggle
// quoting, 2n+1 give n backslashes and a literal quote, other backslashes are
// literal, and "" inside quotes is a literal quote.
std::vector<std::string> splitParameters(const std::string &text)
{
    std::vector<std::string> args;
    std::string current;
    bool inArg = false, quoted = false;
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (inArg) {
                args.push_back(current);
                current.clear();
                inArg = false;
            }
            ++i;
            continue;
        }
        inArg = true;
        if (c == '\\') {
            size_t n = 0;
            while (i < text.size() && text[i] == '\\') {
                ++n;
                ++i;
            }
            if (i < text.size() && text[i] == '"') {
                current.append(n / 2, '\\');
                if (n % 2) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(n, '\\');
            }
        } else if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += '"';
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            current += c;
            ++i;
        }
    }
    if (inArg)
        args.push_back(current);
    return args;
}

void reapInBackground(pid_t pid)
{
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Starts the program; returns its pid, or -1 when it could not be started.
pid_t launch(const std::string &program, const std::string &file, const std::string &parameters,
             const std::string &directory, int show, bool elevated)
{
    std::vector<std::string> args = splitParameters(parameters);
    args.insert(args.begin(), file);
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);

    std::vector<std::string> env;
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "WIN32_STANDIN_COMMAND_LINE=", 27) != 0
            && std::strncmp(*e, "WIN32_STANDIN_SHOW=", 19) != 0)
            env.push_back(*e);
    env.push_back("WIN32_STANDIN_COMMAND_LINE=\"" + file + "\"" + (parameters.empty() ? "" : " " + parameters));
    env.push_back("WIN32_STANDIN_SHOW=" + std::to_string(show));
    if (elevated)
        env.push_back("WIN32_STANDIN_ELEVATED=1");
    std::vector<char *> envp;
    for (std::string &e : env)
        envp.push_back(&e[0]);
    envp.push_back(nullptr);

    // posix_spawn starts the child without copying this process's page
    // tables, which a fork of a large GUI process would do on every call, and
    // reports a failed chdir or exec as its result.
    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    pid_t pid = -1;
    if (directory.empty() || ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str()) == 0) {
        if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;
    }
    ::posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool isOpenVerb(const std::string &verb)
{
    const std::string v = standin::foldAscii(verb);
    return v.empty() || v == "open";
}

bool isRunAsVerb(const std::string &verb)
{
    return standin::foldAscii(verb) == "runas";
}

// The shared body of both shell functions; returns the instance value.
INT_PTR execute(const std::string &verb, const std::string &file, const std::string &parameters,
                const std::string &directory, int show, pid_t *pidOut)
{
    const bool elevated = isRunAsVerb(verb);
    if (!isOpenVerb(verb) && !elevated)
        return SE_ERR_NOASSOC;
    std::string program;
    if (!findProgram(file, program))
        return SE_ERR_FNF;
    if (elevated) {
        const char *uac = std::getenv("WIN32_STANDIN_UAC");
        if (uac && std::strcmp(uac, "decline") == 0) {
            SetLastError(ERROR_CANCELLED);
            return SE_ERR_ACCESSDENIED;
        }
    }
    const pid_t pid = launch(program, file, parameters, standin::withSlashes(directory), show, elevated);
    if (pid < 0)
        return SE_ERR_FNF;
    if (pidOut)
        *pidOut = pid;
    else
        reapInBackground(pid);
    return 42;
}

// Windows' convention for the folder queries: the length without the
// terminator, or the size needed with it when the buffer is too small.
UINT copyFolder(const std::string &folder, LPWSTR buffer, UINT size)
{
    const std::wstring wide = standin::utf8ToWide(folder);
    if (!buffer || size <= wide.size())
        return UINT(wide.size() + 1);
    std::wmemcpy(buffer, wide.c_str(), wide.size() + 1);
    return UINT(wide.size());
}

} // namespace

UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    return copyFolder(systemFolder(), lpBuffer, uSize);
}

UINT GetSystemWow64DirectoryW(LPWSTR lpBuffer, UINT uSize)
{
    const char *bits = std::getenv("WIN32_STANDIN_WINDOWS_BITS");
    if (bits && std::strcmp(bits, "32") == 0) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return copyFolder(systemFolder() + "/syswow64", lpBuffer, uSize);
}

BOOL ShellExecuteExW(SHELLEXECUTEINFOW *info)
{
    if (!info || info->cbSize != sizeof(SHELLEXECUTEINFOW))
        return FALSE;
    info->hProcess = nullptr;
    pid_t pid = -1;
    const bool keep = (info->fMask & SEE_MASK_NOCLOSEPROCESS) != 0;
    const INT_PTR rc = execute(info->lpVerb ? standin::wideToUtf8(info->lpVerb) : std::string(),
                               info->lpFile ? standin::wideToUtf8(info->lpFile) : std::string(),
                               info->lpParameters ? standin::wideToUtf8(info->lpParameters) : std::string(),
                               info->lpDirectory ? standin::wideToUtf8(info->lpDirectory) : std::string(),
                               info->nShow, keep ? &pid : nullptr);
    info->hInstApp = reinterpret_cast<HINSTANCE>(rc);
    if (rc <= 32)
        return FALSE;
    if (keep)
        info->hProcess = new ProcessHandle{kProcessMagic, pid, false, STILL_ACTIVE};
    return TRUE;
}

HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd)
{
    (void)hwnd;
    const INT_PTR rc = execute(lpOperation ? lpOperation : "", lpFile ? lpFile : "",
                               lpParameters ? lpParameters : "", lpDirectory ? lpDirectory : "",
                               nShowCmd, nullptr);
    return reinterpret_cast<HINSTANCE>(rc);
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    DWORD eventResult = WAIT_FAILED;
    if (standin::waitForEvent(hHandle, dwMilliseconds, eventResult) ||
        standin::waitForMutex(hHandle, dwMilliseconds, eventResult))
        return eventResult;
    ProcessHandle *process = static_cast<ProcessHandle *>(hHandle);
    if (!process || process->magic != kProcessMagic)
        return WAIT_FAILED;
    if (process->reaped)
        return WAIT_OBJECT_0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    const int pidfd = int(::syscall(SYS_pidfd_open, process->pid, 0));
    for (;;) {
        pid_t r;
        int status = 0;
        while ((r = ::waitpid(process->pid, &status, WNOHANG)) < 0 && errno == EINTR) {
        }
        if (r != 0) { // ended (and reaped), or not our child any more
            process->reaped = true;
            // A child ended by a signal, or one that is not ours, has no exit
            // code of its own; Windows gives a killed process the code it was
            // terminated with, which is 1 from TerminateProcess callers.
            process->exitCode = r > 0 && WIFEXITED(status) ? DWORD(WEXITSTATUS(status)) : 1;
            if (pidfd >= 0)
                ::close(pidfd);
            return WAIT_OBJECT_0;
        }
        int waitMs;
        if (dwMilliseconds == INFINITE) {
            waitMs = -1;
        } else {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            if (left <= 0)
                break;
            waitMs = int(left);
        }
        if (pidfd >= 0) {
            struct pollfd p = {pidfd, POLLIN, 0};
            ::poll(&p, 1, waitMs);
        } else {
            ::usleep(waitMs < 0 || waitMs > 5 ? 5000 : useconds_t(waitMs) * 1000);
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return WAIT_TIMEOUT;
}

// The exit code of an ended process, STILL_ACTIVE (259) while it runs.
BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode)
{
    ProcessHandle *process = static_cast<ProcessHandle *>(hProcess);
    if (!process || process->magic != kProcessMagic || !lpExitCode)
        return FALSE;
    if (!process->reaped)
        WaitForSingleObject(hProcess, 0);
    *lpExitCode = process->exitCode;
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject)
{
    BOOL eventResult = FALSE;
    if (standin::closeEvent(hObject, eventResult) || standin::closeMutex(hObject, eventResult))
        return eventResult;
    ProcessHandle *process = static_cast<ProcessHandle *>(hObject);
    if (!process || process->magic != kProcessMagic)
        return FALSE;
    if (!process->reaped) {
        pid_t r;
        while ((r = ::waitpid(process->pid, nullptr, WNOHANG)) < 0 && errno == EINTR) {
        }
        if (r == 0)
            reapInBackground(process->pid);
    }
    process->magic = 0;
    delete process;
    return TRUE;
}
