// The baseline of `pivora-cli list` on the stand-in: the smallest program
// that reads the filter category's registrations raw, as a registry tool's
// recursive query of the category's Instance key does. It walks every
// subkey of HKEY_CLASSES_ROOT\CLSID\{083863F1-...}\Instance, reads each
// value a registration holds (CLSID, FriendlyName, FilterData) and prints
// them, text as text and binary data in hexadecimal, one line per value.
// The stand-in has no value enumeration, so the values are asked for by name.
#include "win32api.h"

#include <cstdio>
#include <vector>

namespace {

const char instanceKey[] = "CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance";
const char *const valueNames[] = {"CLSID", "FriendlyName", "FilterData"};

void printValue(const char *name, DWORD type, const std::vector<BYTE> &data, DWORD size)
{
    std::printf("    %s    ", name);
    if (type == REG_SZ) {
        // UTF-16 stored as the stand-in stores it; ASCII is enough here.
        std::printf("REG_SZ    ");
        for (DWORD i = 0; i + 1 < size && (data[i] || data[i + 1]); i += 2)
            std::putchar(data[i + 1] ? '?' : char(data[i]));
    } else {
        std::printf("REG_BINARY    ");
        for (DWORD i = 0; i < size; ++i)
            std::printf("%02X", data[i]);
    }
    std::putchar('\n');
}

} // namespace

int main()
{
    HKEY category = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, instanceKey, 0, KEY_READ, &category) != ERROR_SUCCESS)
        return 1;
    std::vector<BYTE> data(4096);
    int filters = 0;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(category, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY instance = nullptr;
        if (RegOpenKeyExA(category, name, 0, KEY_READ, &instance) != ERROR_SUCCESS)
            continue;
        std::printf("\nHKEY_CLASSES_ROOT\\%s\\%s\n", instanceKey, name);
        for (const char *value : valueNames) {
            DWORD type = 0;
            DWORD size = DWORD(data.size());
            if (RegQueryValueExA(instance, value, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
                printValue(value, type, data, size);
        }
        RegCloseKey(instance);
        ++filters;
    }
    RegCloseKey(category);
    return filters > 0 ? 0 : 1;
}
