#include "meritrecords.h"

#include "filterregistrystore.h"
#include "widetext.h"

#include <cstdio>
#include <ctime>
#include <cwchar>

const char meritRecordsKey[] = "SOFTWARE\\Kestrane\\Pivora\\Merits";

namespace {

// A CLSID names a key of its own: no backslash, 1 to 38 characters.
bool usableClsid(const std::string &clsid)
{
    return !clsid.empty() && clsid.size() < size_t(clsidStringSize) && clsid.find('\\') == std::string::npos;
}

LONG setText(HKEY key, const wchar_t *name, const std::string &utf8)
{
    const std::wstring text = wideFromUtf8(utf8);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                          DWORD((text.size() + 1) * sizeof(wchar_t)));
}

std::string readText(HKEY key, const wchar_t *name)
{
    wchar_t text[registryTextSize] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::string();
    return utf8FromWide(std::wstring(text, wcsnlen(text, size / sizeof(wchar_t))));
}

} // namespace

int32_t writeMeritRecord(const MeritRecord &record, RegistryView view)
{
    if (!usableClsid(record.clsid))
        return ERROR_BAD_ARGUMENTS;
    const std::string path = std::string(meritRecordsKey) + "\\" + record.clsid;
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ | KEY_WRITE | viewAccess(view), nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    const DWORD merit = record.merit;
    rc = RegSetValueExA(key, "Merit", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&merit), sizeof merit);
    if (rc == ERROR_SUCCESS)
        rc = setText(key, L"FriendlyName", record.name);
    if (rc == ERROR_SUCCESS)
        rc = setText(key, L"Chosen", record.chosen);
    const DWORD policy = record.policy ? 1 : 0;
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExA(key, "Policy", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&policy), sizeof policy);
    RegCloseKey(key);
    return rc;
}

int32_t removeMeritRecord(const std::string &clsid, RegistryView view)
{
    if (!usableClsid(clsid))
        return ERROR_BAD_ARGUMENTS;
    // Nothing to remove needs no write access: a read-only registry
    // without the record is no failure.
    const std::string path = std::string(meritRecordsKey) + "\\" + clsid;
    HKEY records = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | viewAccess(view), &records);
    if (rc == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (rc == ERROR_SUCCESS)
        RegCloseKey(records);
    rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, meritRecordsKey, 0, KEY_ALL_ACCESS | viewAccess(view), &records);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = LONG(SHDeleteKeyA(records, clsid.c_str()));
    RegCloseKey(records);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

std::vector<MeritRecord> readMeritRecords(RegistryView view, int32_t *status)
{
    std::vector<MeritRecord> found;
    if (status)
        *status = ERROR_SUCCESS;
    HKEY records = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, meritRecordsKey, 0, KEY_READ | viewAccess(view), &records);
    if (rc != ERROR_SUCCESS) {
        if (status && rc != ERROR_FILE_NOT_FOUND)
            *status = rc;
        return found;
    }
    char name[registryTextSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG e = RegEnumKeyExA(records, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_MORE_DATA)
            continue;
        if (e != ERROR_SUCCESS)
            break;
        HKEY key = nullptr;
        if (RegOpenKeyExA(records, name, 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
            continue;
        DWORD merit = 0, size = sizeof merit, type = REG_NONE;
        if (RegQueryValueExA(key, "Merit", nullptr, &type, reinterpret_cast<BYTE *>(&merit), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof merit) {
            MeritRecord record;
            record.clsid = name;
            record.merit = merit;
            record.name = readText(key, L"FriendlyName");
            record.chosen = readText(key, L"Chosen");
            DWORD policy = 0;
            size = sizeof policy;
            record.policy = RegQueryValueExA(key, "Policy", nullptr, &type, reinterpret_cast<BYTE *>(&policy), &size) ==
                                ERROR_SUCCESS &&
                            type == REG_DWORD && size == sizeof policy && policy == 1;
            found.push_back(record);
        }
        RegCloseKey(key);
    }
    RegCloseKey(records);
    return found;
}

std::string currentUtcTime()
{
    const std::time_t now = std::time(nullptr);
    const std::tm *utc = std::gmtime(&now); // read at once: the buffer is shared
    char text[32] = {};
    if (utc)
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}
