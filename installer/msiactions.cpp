// The MSI's custom actions, for what Windows Installer's own tables cannot
// express; the NSIS installer does the same in NSIS.template.in.
// - The App Paths entry of fenwarl.exe: the public property FENWARL names
//   the program or its folder, which must exist; an upgrade without it
//   carries over the entry the earlier install wrote; uninstalling puts back
//   what the entry held before, unless it was changed since.
// - The folders above the install folder that the install made
//   (C:\Tools for C:\Tools\Kestrane) go with it, when they are empty.
//
// What an install did is remembered under the MSI's setup key:
// "FenwarlWritten", the path written, "FenwarlPrevious", the entry before
// the first install that wrote it (absent when there was none), and
// "MadeFolder", the highest folder the install made.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

namespace {

const wchar_t appPathKey[] = KESTRANE_APP_PATH_KEY;
const wchar_t setupKey[] = KESTRANE_SETUP_KEY;
const wchar_t programName[] = L"fenwarl.exe";
// Every key is the 64-bit view's, where 64-bit Windows keeps the entries
// the shell and the Control Panel read.
const REGSAM view = KEY_WOW64_64KEY;

std::wstring property(MSIHANDLE install, const wchar_t *name)
{
    wchar_t none[1] = L"";
    DWORD size = 0;
    if (MsiGetPropertyW(install, name, none, &size) != ERROR_MORE_DATA)
        return std::wstring();
    std::wstring value(size + 1, L'\0');
    size += 1;
    if (MsiGetPropertyW(install, name, &value[0], &size) != ERROR_SUCCESS)
        return std::wstring();
    value.resize(size);
    return value;
}

// Writes a line to the installation's log (msiexec /l*v).
void log(MSIHANDLE install, const std::wstring &text, INSTALLMESSAGE kind = INSTALLMESSAGE_INFO)
{
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringW(record, 0, text.c_str());
    MsiProcessMessage(install, kind, record);
}

bool sameText(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A string value of HKEY_LOCAL_MACHINE\<key>; the default value for an empty
// name. False when there is no such string.
bool readString(const wchar_t *key, const wchar_t *name, std::wstring &value)
{
    HKEY handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    LONG status = RegQueryValueExW(handle, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        status = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE *>(&data[0]), &size);
        // The data may or may not end in its terminating null.
        data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
        value = data;
    } else {
        status = ERROR_FILE_NOT_FOUND;
    }
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

bool writeString(const wchar_t *key, const wchar_t *name, const std::wstring &value)
{
    HKEY handle;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

void deleteValue(const wchar_t *key, const wchar_t *name)
{
    HKEY handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE | view, &handle) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(handle, name);
    RegCloseKey(handle);
}

// Deletes the key when it holds no value and no subkey.
void deleteKeyIfEmpty(const std::wstring &key)
{
    HKEY handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | view, &handle) != ERROR_SUCCESS)
        return;
    DWORD subkeys = 1, values = 1;
    const LONG status = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(handle);
    if (status == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
}

// FENWARL as the path of fenwarl.exe: a folder (with or without its final
// backslash) is taken as the folder holding it.
std::wstring programPath(std::wstring location)
{
    if (location.empty())
        return location;
    if (location.back() == L'\\')
        location.pop_back();
    const size_t separator = location.find_last_of(L"\\/");
    const std::wstring name = separator == std::wstring::npos ? location : location.substr(separator + 1);
    if (!sameText(name, programName))
        location += std::wstring(L"\\") + programName;
    return location;
}

std::wstring parentFolder(const std::wstring &path)
{
    const size_t separator = path.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool isFile(const std::wstring &path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

// Immediate, before the installation's script is written: finds the path the
// entry is to name and hands it to FenwarlWrite as its CustomActionData. A
// FENWARL that names no fenwarl.exe stops the installation before anything
// changed.
extern "C" __declspec(dllexport) UINT __stdcall FenwarlLocate(MSIHANDLE install)
{
    std::wstring path = programPath(property(install, L"FENWARL"));
    if (!path.empty() && !isFile(path)) {
        log(install, L"fenwarl.exe was not found at " + path + L".",
            INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR));
        return ERROR_INSTALL_FAILURE;
    }
    if (path.empty()) {
        // An upgrade keeps the entry its earlier install wrote, while it
        // still names an existing program.
        std::wstring written, current;
        if (readString(setupKey, L"FenwarlWritten", written) && readString(appPathKey, L"", current)
            && sameText(written, current) && isFile(written))
            path = written;
    }
    return MsiSetPropertyW(install, L"FenwarlWrite", path.c_str());
}

// Deferred: writes the entry, remembering the one that was there before the
// first install that wrote it.
extern "C" __declspec(dllexport) UINT __stdcall FenwarlWrite(MSIHANDLE install)
{
    const std::wstring path = property(install, L"CustomActionData");
    if (path.empty()) {
        log(install, L"No location of fenwarl.exe given: its App Paths entry is left as it is.");
        return ERROR_SUCCESS;
    }
    std::wstring written, previous;
    if (!readString(setupKey, L"FenwarlWritten", written) && readString(appPathKey, L"", previous))
        writeString(setupKey, L"FenwarlPrevious", previous);
    if (!writeString(appPathKey, L"", path) || !writeString(setupKey, L"FenwarlWritten", path)) {
        log(install, L"The App Paths entry of fenwarl.exe could not be written.",
            INSTALLMESSAGE(INSTALLMESSAGE_ERROR | MB_OK | MB_ICONERROR));
        return ERROR_INSTALL_FAILURE;
    }
    log(install, L"fenwarl.exe registered at " + path);
    return ERROR_SUCCESS;
}

// Deferred, on removal (an upgrade's removal of the earlier version too): puts
// the entry back as it was before, unless someone changed it since, and
// forgets what was written.
extern "C" __declspec(dllexport) UINT __stdcall FenwarlRestore(MSIHANDLE install)
{
    std::wstring written, current, previous;
    if (readString(setupKey, L"FenwarlWritten", written) && readString(appPathKey, L"", current)
        && sameText(written, current)) {
        if (readString(setupKey, L"FenwarlPrevious", previous)) {
            writeString(appPathKey, L"", previous);
            log(install, L"The App Paths entry of fenwarl.exe is back at " + previous);
        } else {
            deleteValue(appPathKey, L"");
            deleteKeyIfEmpty(appPathKey);
        }
    }
    deleteValue(setupKey, L"FenwarlWritten");
    deleteValue(setupKey, L"FenwarlPrevious");
    return ERROR_SUCCESS;
}

// Deferred, after the installed version was removed and before the files are
// copied; CustomActionData is the install folder: remembers the highest
// folder of its path that does not exist yet.
extern "C" __declspec(dllexport) UINT __stdcall FolderRecord(MSIHANDLE install)
{
    std::wstring folder = property(install, L"CustomActionData"), made;
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    for (; !folder.empty() && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
         folder = parentFolder(folder))
        made = folder;
    if (!made.empty())
        writeString(setupKey, L"MadeFolder", made);
    return ERROR_SUCCESS;
}

// Deferred, on removal, after the files went; CustomActionData is the install
// folder: removes it and the folders above it up to the one the install
// made, while they are empty, and then the setup key and the keys above it
// that are left empty.
extern "C" __declspec(dllexport) UINT __stdcall FolderRemove(MSIHANDLE install)
{
    std::wstring folder = property(install, L"CustomActionData"), made;
    while (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    if (readString(setupKey, L"MadeFolder", made) && folder.size() >= made.size()
        && sameText(folder.substr(0, made.size()), made)) {
        for (; folder.size() >= made.size(); folder = parentFolder(folder)) {
            if (!RemoveDirectoryW(folder.c_str()) && GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
                break;
        }
    }
    deleteValue(setupKey, L"MadeFolder");
    for (std::wstring key = setupKey; key.find(L'\\') != std::wstring::npos; key = parentFolder(key))
        deleteKeyIfEmpty(key);
    return ERROR_SUCCESS;
}
