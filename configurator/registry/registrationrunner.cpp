#include "registrationrunner.h"

#include "filterregistrystore.h"

#include <cstring>
#include <string>
#include <cwchar>

const wchar_t invalidPathPrefix[] = L"<Invalid Path:> ";

namespace {

// regsvr32.exe loads the server with LoadLibrary, which takes a path of fewer
// than MAX_PATH (260) characters; the parameter text around it may be longer.
const size_t kServerPathLimit = 260;

const wchar_t *parameterPrefix(bool registerServer, bool silent)
{
    if (registerServer)
        return silent ? L"/s \"" : L"\"";
    return silent ? L"/u /s \"" : L"/u \"";
}

} // namespace

bool fileExists(const wchar_t *path)
{
    // The attributes, not an open: an open costs a round trip to the file
    // system per filter row (a tenth of a millisecond under Wine), and
    // regsvr32 reports a file it cannot read itself.
    if (!path || !*path)
        return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int runRegsvr32(HWND owner, bool registerServer, const wchar_t *path, bool silent, DWORD *exitCode,
                RegistryView view)
{
    if (exitCode)
        *exitCode = STILL_ACTIVE;
    if (!path)
        return ERROR_BAD_ARGUMENTS;

    // A location cell may carry the invalid-path prefix; an ordinary path
    // cannot start with '<', so it loses nothing here.
    const size_t length = std::wcslen(path);
    size_t skip = 0;
    while (skip < size_t(invalidPathPrefixLength) && skip < length && path[skip] == invalidPathPrefix[skip])
        ++skip;
    const wchar_t *server = path + skip;
    const size_t serverLength = length - skip;

    if (serverLength >= kServerPathLimit)
        return statusPathTooLong;
    if (!fileExists(pathInView(std::wstring(server, serverLength), view).c_str()))
        return ERROR_FILE_NOT_FOUND;
    // A quote would end the quoted path and let the rest of the name pass as
    // switches of regsvr32, and a backslash before the closing quote escapes
    // it, so regsvr32 would get a mangled path. Windows forbids both at the
    // end of a file name; others do not.
    const bool endsInBackslash = serverLength > 0 && server[serverLength - 1] == L'\\';
    if (std::wmemchr(server, L'"', serverLength) || endsInBackslash)
        return statusPathHasQuote;
    const std::wstring tool = regsvr32Path(view);
    if (tool.empty() || !fileExists(tool.c_str()))
        return statusRegistrationToolMissing;

    const wchar_t *prefix = parameterPrefix(registerServer, silent);
    const size_t prefixLength = std::wcslen(prefix);
    wchar_t parameters[kServerPathLimit + 8]; // the longest prefix, the path, a quote, the terminator
    std::wmemcpy(parameters, prefix, prefixLength);
    std::wmemcpy(parameters + prefixLength, server, serverLength);
    parameters[prefixLength + serverLength] = L'"';
    parameters[prefixLength + serverLength + 1] = L'\0';

    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = tool.c_str();
    info.lpParameters = parameters;
    info.lpDirectory = nullptr;
    info.nShow = SW_SHOWNORMAL;
    const BOOL started = ShellExecuteExW(&info);
    if (info.hProcess) {
        // A tool still running after the wait keeps running on its own.
        if (WaitForSingleObject(info.hProcess, regsvr32WaitMs) == WAIT_OBJECT_0 && exitCode &&
            !GetExitCodeProcess(info.hProcess, exitCode))
            *exitCode = STILL_ACTIVE;
        CloseHandle(info.hProcess);
    }
    if (!started)
        return -1;
    const int32_t instance = int32_t(reinterpret_cast<INT_PTR>(info.hInstApp));
    return instance > 32 ? 0 : instance;
}

int32_t removeFilterRegistration(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    const char *id = entry ? entry->clsid : clsid;
    if (!id)
        return ERROR_BAD_ARGUMENTS;
    const size_t length = strnlen(id, clsidStringSize);
    // A backslash would make the name a path and delete some other key.
    if (length == 0 || length >= size_t(clsidStringSize) || std::memchr(id, '\\', length))
        return ERROR_BAD_ARGUMENTS;

    HKEY parent = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, legacyFilterInstancePrefix, 0, KEY_ALL_ACCESS | viewAccess(view), &parent);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = LONG(SHDeleteKeyA(parent, id));
    RegCloseKey(parent);
    if (rc != ERROR_SUCCESS)
        return rc;

    HKEY classes = nullptr;
    rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_ALL_ACCESS | viewAccess(view), &classes);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = LONG(SHDeleteKeyA(classes, id));
    RegCloseKey(classes);
    return rc;
}
