#include "elevation.h"

#include "knownfilterrows.h"
#include "win32api.h"

#include <cstring>

// A category that does not exist yet is no refusal: the class root, where a
// registration would create it, decides then.
bool filterCategoryWritable(RegistryView view)
{
    for (const char *path : {legacyFilterInstancePrefix, "CLSID"}) {
        HKEY key = nullptr;
        const LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ | KEY_WRITE | viewAccess(view), &key);
        if (rc == ERROR_SUCCESS)
            RegCloseKey(key);
        if (rc != ERROR_FILE_NOT_FOUND)
            return rc != ERROR_ACCESS_DENIED;
    }
    return true;
}

int32_t startElevated(const std::wstring &program, const std::wstring &parameters)
{
    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info))
        return 0;
    const DWORD error = GetLastError();
    return error ? int32_t(error) : int32_t(reinterpret_cast<INT_PTR>(info.hInstApp));
}
