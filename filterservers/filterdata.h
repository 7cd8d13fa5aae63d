// DirectShow's registration blob of a filter ("FilterData"), in the layout
// its filter mapper writes for a REGFILTER2 of version 2: a header (version,
// merit, pin count, a reserved 0), then per pin a "0pi3" record (the first
// character counts the pins up from '0') with flags, instances, media type
// count, medium count and a category flag, followed by its "0ty3" media type
// records; after all records a pool of the GUIDs they point at, each stored
// once, with offsets counted from the start of the blob. Little-endian.
#ifndef FILTERDATA_H
#define FILTERDATA_H

#include "filterpins.h"
#include "knownfilterrows.h"

#include <cstdint>
#include <vector>

// The pins a sample server registers for a filter of the given kind.
std::vector<PinDescription> samplePins(const KnownFilterRow &row);

std::vector<uint8_t> buildFilterData(uint32_t merit, const std::vector<PinDescription> &pins);

#endif
