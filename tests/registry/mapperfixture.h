// What Wine's filter mapper answered on the sample servers' registrations,
// recorded once under Wine (mapperfixture_windows_test.cpp) and read by the
// native check of our own mapper (mapperfixture_test.cpp). The file holds the
// merits the recording gave the known filters, then for each media type the
// known filters the mapper offered, in its order:
//   merit {CLSID} 0xMMMMMMMM
//   type {MAJOR} {MINOR}
//   offer {CLSID} 0xMMMMMMMM
#ifndef MAPPERFIXTURE_H
#define MAPPERFIXTURE_H

#include "filterdata.h"
#include "knownfilterrows.h"

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

struct MapperFixture {
    std::vector<std::pair<std::string, uint32_t>> merits; // CLSID, merit written before asking
    struct Answer {
        PinMediaType type;
        std::vector<std::pair<std::string, uint32_t>> offered; // in the mapper's order
    };
    std::vector<Answer> answers;
};

// The merit the recording gives a known filter: several filters share each
// value, so the mapper's order among equal merits is met too.
inline uint32_t fixtureMerit(int slot)
{
    return 0x00600000u + uint32_t(slot % 5) * 0x10000u;
}

// The input types asked for: each known filter's first input type, and the
// same major type with any subtype.
inline std::vector<PinMediaType> fixtureTypes()
{
    std::vector<PinMediaType> types;
    for (const KnownFilterRow &row : knownFilterRows)
        for (const PinDescription &pin : samplePins(row))
            if (!(pin.flags & pinFlagOutput) && !pin.mediaTypes.empty()) {
                for (PinMediaType type : {pin.mediaTypes[0], PinMediaType{pin.mediaTypes[0].major, Guid{}}}) {
                    bool known = false;
                    for (const PinMediaType &t : types)
                        known = known || (t.major == type.major && t.minor == type.minor);
                    if (!known)
                        types.push_back(type);
                }
                break;
            }
    return types;
}

// Filters of equal merit in a set of their own: among them the mapper
// fixes no order.
inline std::vector<std::set<std::string>> meritGroups(const std::vector<std::pair<std::string, uint32_t>> &filters)
{
    std::vector<std::set<std::string>> groups;
    for (size_t i = 0; i < filters.size(); ++i) {
        if (i == 0 || filters[i].second != filters[i - 1].second)
            groups.emplace_back();
        groups.back().insert(filters[i].first + " " + std::to_string(filters[i].second));
    }
    return groups;
}

#endif
