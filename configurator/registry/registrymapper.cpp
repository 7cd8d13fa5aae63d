#include "registrymapper.h"

#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "win32api.h"

#include <algorithm>
#include <memory>
#include <new>

namespace {

int32_t readContents(HKEY key, FilterDataContents &contents)
{
    std::vector<BYTE> blob;
    const int32_t status = queryRegistryValue(key, "FilterData", REG_BINARY, blob);
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_FILE_NOT_FOUND;
    if (status != ERROR_SUCCESS || !readFilterData(blob.data(), blob.size(), contents))
        return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

bool takesType(const FilterDataContents &contents, const PinMediaType &type)
{
    for (const PinDescription &pin : contents.pins) {
        if (pin.flags & pinFlagOutput)
            continue;
        for (const PinMediaType &offered : pin.mediaTypes)
            if (mediaTypeMatches(type, offered))
                return true;
    }
    return false;
}

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using Key = std::unique_ptr<HKEY__, KeyCloser>;

// A key opened for reading in `view`; a subkey of an open key keeps its view.
Key openKey(HKEY parent, const char *name, RegistryView view)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name, 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
        return Key();
    return Key(key);
}

Key openCategory(RegistryView view)
{
    return openKey(HKEY_CLASSES_ROOT, legacyFilterInstancePrefix, view);
}

} // namespace

bool mediaTypeMatches(const PinMediaType &wanted, const PinMediaType &offered)
{
    return (isNullGuid(wanted.major) || wanted.major == offered.major) &&
           (isNullGuid(wanted.minor) || wanted.minor == offered.minor);
}

std::vector<MappedFilter> registryMatchingFilters(const PinMediaType &type, RegistryView view)
{
    std::vector<MappedFilter> found;
    Key category = openCategory(view);
    if (!category)
        return found;
    char name[registryTextSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG rc = RegEnumKeyExA(category.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA)
            continue; // no filter's key name is that long
        if (rc != ERROR_SUCCESS)
            break;
        Key instance = openKey(category.get(), name, view);
        FilterDataContents contents;
        if (!instance || readContents(instance.get(), contents) != ERROR_SUCCESS || !takesType(contents, type))
            continue;
        found.push_back(MappedFilter{name, readFriendlyNameUtf8(instance.get()), contents.merit});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const MappedFilter &a, const MappedFilter &b) { return a.merit > b.merit; });
    return found;
}

int32_t readFilterRegistration(const char *instance, FilterDataContents &contents, RegistryView view)
{
    Key category = openCategory(view);
    Key key = category && instance && *instance ? openKey(category.get(), instance, view) : Key();
    return key ? readContents(key.get(), contents) : int32_t(ERROR_FILE_NOT_FOUND);
}

std::string registeredFilterName(const char *instance, RegistryView view)
{
    Key category = openCategory(view);
    Key key = category && instance && *instance ? openKey(category.get(), instance, view) : Key();
    return key ? readFriendlyNameUtf8(key.get()) : std::string();
}
