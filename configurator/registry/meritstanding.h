// Whether a registered filter's merit wins: for the first input media type
// of its registration, the filters DirectShow's filter mapper tries before
// it, those of the same merit, and what the system's preferred and disabled
// lists say. Read-only, computed when asked for.
#ifndef MERITSTANDING_H
#define MERITSTANDING_H

#include "directshowmapper.h"
#include "filterpins.h"
#include "registrymapper.h"
#include "registryview.h"

#include <cstdint>
#include <string>
#include <vector>

// MERIT_DO_NOT_USE: the graph builder never tries a filter of this merit or
// lower when it builds a graph by itself.
const uint32_t meritDoNotUse = 0x200000;

struct MeritStanding {
    enum Reading {
        Read,          // the fields below hold the answer
        NotRegistered, // no instance key or no FilterData
        Unreadable,    // a FilterData the mapper cannot read: DirectShow never offers the filter
        NoInputType,   // no input pin with a media type: never offered for one
        MapperFailed   // DirectShow's filter mapper could not be asked: nothing is known of the others
    };
    Reading reading = NotRegistered;
    int32_t mapperStatus = 0;         // with MapperFailed: the mapper's failure, an HRESULT
    PinMediaType type = {};           // the first input media type
    uint32_t merit = 0;
    std::vector<MappedFilter> before; // higher merits, in the mapper's order
    std::vector<MappedFilter> tied;   // the same merit: which comes first is not fixed
    PluginControlView system;
    std::string preferredName;        // FriendlyName of the preferred filter, when it has one
    RegistryView view = RegistryView::Bits64; // the registry view the answer speaks for
    bool twoViews = false;            // the system has both views, so the answer names its own

    bool neverTried() const { return merit <= meritDoNotUse; }
};

// The filter mapper asked: DirectShow's own by default; tests give another.
typedef int32_t (*MatchingFilters)(const PinMediaType &type, std::vector<MappedFilter> &filters);

// In the 64-bit view (this program's own).
MeritStanding meritStanding(const char *clsid, MatchingFilters matchingFilters = mapperMatchingFilters);

// In `view`. A 64-bit program cannot ask a 32-bit filter mapper: for the
// 32-bit view the answer comes from our own mapper over that view's
// registrations, and the system's preferred list from its registry value
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\DirectShow\Preferred (subtype
// GUID = CLSID of the preferred filter); its disabled list is not known there.
MeritStanding meritStanding(const char *clsid, RegistryView view);

#endif
