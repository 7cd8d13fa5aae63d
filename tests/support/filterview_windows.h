// What Windows itself says of a registered filter, read without the
// configurator's registry layer: the registry API directly, and DirectShow's
// enumeration of the legacy filter category.
#ifndef FILTERVIEW_WINDOWS_H
#define FILTERVIEW_WINDOWS_H

#include <cstdint>
#include <string>

struct IMoniker;

struct FilterView {
    bool registered = false; // the category's instance key exists
    bool hasMerit = false;   // a FilterData of at least 8 bytes
    uint32_t merit = 0;      // bytes 4-7 of FilterData
    std::string name;        // FriendlyName
};

// RegOpenKeyExA and RegQueryValueExA on the instance key of the filter.
FilterView registryView(const char *clsid);
// The filter as ICreateDevEnum lists it in CLSID_LegacyAmFilterCategory;
// registered is false when the enumeration does not list it.
FilterView directShowView(const char *clsid);
// The "CLSID" property of a DirectShow filter moniker; empty when it has none.
std::wstring monikerClsid(IMoniker *moniker);

#endif
