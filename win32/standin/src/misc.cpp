// File open, debug output and message boxes of the stand-in.
#include "win32api.h"

#include "textconv.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Wide paths are UTF-8 on disk, a backslash is a folder separator as on
// Windows. A file whose own name holds a backslash, which only POSIX allows,
// is still found by that name when the separator reading names nothing.
// Modes are the C runtime's ("r", "w", ...).
errno_t _wfopen_s(FILE **pFile, const wchar_t *filename, const wchar_t *mode)
{
    if (!pFile)
        return EINVAL;
    *pFile = nullptr;
    if (!filename || !mode)
        return EINVAL;
    const std::string given = standin::wideToUtf8(filename), openMode = standin::wideToUtf8(mode);
    const std::string path = standin::withSlashes(given);
    FILE *f = std::fopen(path.c_str(), openMode.c_str());
    if (!f && path != given) {
        const int separatorError = errno;
        f = std::fopen(given.c_str(), openMode.c_str());
        if (!f)
            errno = separatorError;
    }
    if (!f)
        return errno;
    // The Windows runtime opens no folders as files.
    struct stat st;
    if (::fstat(::fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return EACCES;
    }
    *pFile = f;
    return 0;
}

namespace {
thread_local DWORD lastError = 0;
} // namespace

// Windows: the attributes, FILE_ATTRIBUTE_DIRECTORY for a folder and
// FILE_ATTRIBUTE_ARCHIVE for a file (with FILE_ATTRIBUTE_READONLY where it
// cannot be written); INVALID_FILE_ATTRIBUTES for a missing one, with
// ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND when its folder is missing
// too. Separators as _wfopen_s takes them.
DWORD GetFileAttributesW(LPCWSTR lpFileName)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string given = standin::wideToUtf8(lpFileName);
    const std::string path = standin::withSlashes(given);
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 && (path == given || ::stat(given.c_str(), &st) != 0)) {
        const size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
        SetLastError(::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                             : ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(st.st_mode & S_IWUSR))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

DWORD GetLastError(void)
{
    return lastError;
}

void SetLastError(DWORD dwErrCode)
{
    lastError = dwErrCode;
}

// Debug output goes to standard error, one line per call.
void OutputDebugStringA(LPCSTR lpOutputString)
{
    std::fprintf(stderr, "%s\n", lpOutputString ? lpOutputString : "");
    std::fflush(stderr);
}

// The box's text always goes to standard error as "caption: text", where a
// test reads it. On an X display it is also shown with xmessage, and the
// call returns, as on Windows, when the user has pressed OK.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    (void)hWnd;
    (void)uType;
    const char *caption = lpCaption ? lpCaption : "Error";
    const char *text = lpText ? lpText : "";
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    const char *display = std::getenv("DISPLAY");
    if (display && *display) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const int devnull = ::open("/dev/null", O_WRONLY);
            if (devnull >= 0)
                ::dup2(devnull, 2);
            ::execlp("xmessage", "xmessage", "-center", "-title", caption, "-buttons", "OK:0", text,
                     static_cast<char *>(nullptr));
            ::_exit(127);
        }
        if (pid > 0)
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
    }
    return IDOK;
}

// The texts of the error numbers this system reports, in the words of Wine's English messages where known.
DWORD FormatMessageW(DWORD dwFlags, const void *, DWORD dwMessageId, DWORD, LPWSTR lpBuffer, DWORD nSize, void *)
{
    static const struct {
        DWORD id;
        const wchar_t *text;
    } messages[] = {
        {ERROR_FILE_NOT_FOUND, L"File not found.\r\n"},
        {ERROR_PATH_NOT_FOUND, L"Path not found.\r\n"},
        {ERROR_ACCESS_DENIED, L"Access denied.\r\n"},
        {ERROR_INVALID_HANDLE, L"Invalid handle.\r\n"},
        {ERROR_INVALID_DATA, L"Invalid data.\r\n"},
        {ERROR_INVALID_PARAMETER, L"Invalid parameter.\r\n"},
        {ERROR_BAD_EXE_FORMAT, L"Bad EXE format.\r\n"},
        {ERROR_BADDB, L"Registry corrupted.\r\n"},
        {ERROR_CANCELLED, L"The operation was canceled by the user.\r\n"},
    };
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || !lpBuffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    for (const auto &message : messages) {
        if (message.id != dwMessageId)
            continue;
        const std::wstring text = message.text;
        if (text.size() + 1 > nSize) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        text.copy(lpBuffer, text.size());
        lpBuffer[text.size()] = L'\0';
        return DWORD(text.size());
    }
    SetLastError(ERROR_MR_MID_NOT_FOUND);
    return 0;
}

BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR StringSecurityDescriptor, DWORD,
                                                          PSECURITY_DESCRIPTOR *SecurityDescriptor,
                                                          ULONG *SecurityDescriptorSize)
{
    if (!StringSecurityDescriptor || !SecurityDescriptor) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *SecurityDescriptor = std::malloc(1);
    if (SecurityDescriptorSize)
        *SecurityDescriptorSize = 1;
    return *SecurityDescriptor != nullptr;
}

void *LocalFree(void *hMem)
{
    std::free(hMem);
    return nullptr;
}
