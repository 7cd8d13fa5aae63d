#include "meritpolicystore.h"

#include "filterregistrystore.h"
#include "widetext.h"

#include <cwchar>

const char meritPolicyKey64[] = "SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits64";
const char meritPolicyKey32[] = "SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits32";

namespace {

// The longest value name the registry holds, and its terminator.
const DWORD valueNameSize = 16384;

} // namespace

const char *meritPolicyKey(RegistryView view)
{
    return view == RegistryView::Bits32 ? meritPolicyKey32 : meritPolicyKey64;
}

std::vector<PolicyValue> readPolicyValues(RegistryView view, int32_t *status)
{
    std::vector<PolicyValue> values;
    *status = ERROR_SUCCESS;
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, meritPolicyKey(view), 0, KEY_READ | KEY_WOW64_64KEY, &key);
    if (opened != ERROR_SUCCESS) {
        if (opened != ERROR_FILE_NOT_FOUND)
            *status = opened;
        return values;
    }
    std::vector<wchar_t> name(valueNameSize);
    std::vector<BYTE> data;
    for (DWORD index = 0;; ++index) {
        // The name, type and size first; the data of a string only, which
        // is all a policy value may be.
        DWORD length = valueNameSize, type = REG_NONE, size = 0;
        LONG rc = RegEnumValueW(key, index, name.data(), &length, nullptr, &type, nullptr, &size);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        if (rc == ERROR_SUCCESS && type == REG_SZ && size > maxRegistryValueSize)
            rc = statusValueTooLarge;
        if (rc == ERROR_SUCCESS && type == REG_SZ) {
            data.assign(size + sizeof(wchar_t), 0);
            rc = RegQueryValueExW(key, name.data(), nullptr, &type, data.data(), &size);
        }
        if (rc != ERROR_SUCCESS) {
            *status = rc;
            values.clear();
            break;
        }
        PolicyValue value;
        value.name = utf8FromWide(std::wstring(name.data(), length));
        value.type = type;
        if (type == REG_SZ) {
            const wchar_t *text = reinterpret_cast<const wchar_t *>(data.data());
            value.text = utf8FromWide(std::wstring(text, wcsnlen(text, size / sizeof(wchar_t))));
        }
        values.push_back(value);
    }
    RegCloseKey(key);
    return values;
}
