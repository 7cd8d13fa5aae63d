// The platform part of a sample server without Windows: the module path
// comes from the dynamic loader, and the instance key is written directly
// with DirectShow's blob layout.
#include "filterdata.h"
#include "filterserver.h"
#include "textconv.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace {

LONG setString(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text), DWORD(std::strlen(text) + 1));
}

} // namespace

std::wstring serverModulePath()
{
    Dl_info info;
    if (!dladdr(reinterpret_cast<void *>(&serverModulePath), &info) || !info.dli_fname)
        return std::wstring();
    char resolved[PATH_MAX];
    if (!realpath(info.dli_fname, resolved))
        return std::wstring();
    return standin::utf8ToWide(resolved);
}

HRESULT registerInstance(const KnownFilterRow &row)
{
    const std::string path = std::string(legacyFilterInstancePrefix) + row.clsid;
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                              nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        return HRESULT(0x80070000u | uint32_t(rc));
    const std::vector<uint8_t> blob = buildFilterData(row.defaultMerit, samplePins(row));
    rc = setString(key, "CLSID", row.clsid);
    if (rc == ERROR_SUCCESS)
        rc = setString(key, "FriendlyName", row.name);
    if (rc == ERROR_SUCCESS)
        rc = RegSetValueExA(key, "FilterData", 0, REG_BINARY, blob.data(), DWORD(blob.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : HRESULT(0x80070000u | uint32_t(rc));
}

HRESULT unregisterInstance(const KnownFilterRow &row)
{
    HKEY instances = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, legacyFilterInstancePrefix, 0, KEY_ALL_ACCESS, &instances);
    if (rc == ERROR_SUCCESS) {
        rc = LONG(SHDeleteKeyA(instances, row.clsid));
        RegCloseKey(instances);
    }
    // A filter that is not in the category is no failure.
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT(0x80070000u | uint32_t(rc));
}
