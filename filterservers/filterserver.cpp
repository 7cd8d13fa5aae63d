#include "filterserver.h"

#include <cstring>

namespace {

HRESULT fromStatus(LONG status)
{
    return status == ERROR_SUCCESS ? S_OK : HRESULT(0x80070000u | (uint32_t(status) & 0xFFFF));
}

// "CLSID\{clsid}" with the filter's name and InprocServer32 = this module.
HRESULT registerClass(const KnownFilterRow &row, const std::wstring &modulePath)
{
    const std::string classKey = std::string("CLSID\\") + row.clsid;
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, classKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return fromStatus(rc);
    rc = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(row.name),
                        DWORD(std::strlen(row.name) + 1));
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return fromStatus(rc);

    rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), 0, nullptr,
                         REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return fromStatus(rc);
    rc = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(modulePath.c_str()),
                        DWORD((modulePath.size() + 1) * sizeof(WCHAR)));
    if (rc == ERROR_SUCCESS) {
        static const char model[] = "Both";
        rc = RegSetValueExA(key, "ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE *>(model), sizeof model);
    }
    RegCloseKey(key);
    return fromStatus(rc);
}

} // namespace

HRESULT registerServerFilters(const char *server)
{
    const std::wstring modulePath = serverModulePath();
    if (modulePath.empty())
        return E_FAIL;
    for (const KnownFilterRow &row : knownFilterRows) {
        if (std::strcmp(row.server, server) != 0)
            continue;
        HRESULT hr = registerClass(row, modulePath);
        if (hr >= 0)
            hr = registerInstance(row);
        if (hr < 0)
            return hr;
    }
    return S_OK;
}

// Each filter leaves the category first, and its class key goes only once
// that worked: a refused removal leaves the filter whole, never a category
// entry whose class a player could not load.
HRESULT unregisterServerFilters(const char *server)
{
    HRESULT result = S_OK;
    for (const KnownFilterRow &row : knownFilterRows) {
        if (std::strcmp(row.server, server) != 0)
            continue;
        HRESULT hr = unregisterInstance(row);
        if (hr >= 0) {
            HKEY classes = nullptr;
            LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_ALL_ACCESS, &classes);
            if (rc == ERROR_SUCCESS) {
                rc = LONG(SHDeleteKeyA(classes, row.clsid));
                RegCloseKey(classes);
            }
            // A key that is already gone is no failure; a refusal is.
            hr = rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : fromStatus(rc);
        }
        if (hr < 0)
            result = hr;
    }
    return result;
}
