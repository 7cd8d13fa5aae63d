// Whether a registered filter's merit wins: for the first input media type
// of its registration, the filters DirectShow's filter mapper tries before
// it, those of the same merit, and what the system's preferred and disabled
// lists say. Read-only, computed when asked for.
#ifndef MERITSTANDING_H
#define MERITSTANDING_H

#include "directshowmapper.h"
#include "filterpins.h"
#include "registrymapper.h"

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

    bool neverTried() const { return merit <= meritDoNotUse; }
};

// The filter mapper asked: DirectShow's own by default; tests give another.
typedef int32_t (*MatchingFilters)(const PinMediaType &type, std::vector<MappedFilter> &filters);

MeritStanding meritStanding(const char *clsid, MatchingFilters matchingFilters = mapperMatchingFilters);

#endif
