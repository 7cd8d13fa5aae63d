// The fixed catalogue of known filters: 256 slots, of which 0 to 51 are
// filled from knownFilterRows and the rest stay null. A reader walks from
// slot 0 and stops at the first null slot.
#ifndef FILTERCATALOGUE_H
#define FILTERCATALOGUE_H

#include <cstdint>

const int filterCatalogueSlots = 256;
const int clsidStringSize = 39; // 38 characters of "{XXXXXXXX-...}" and the terminator

struct KnownFilter {
    char *friendlyName;           // owned (malloc), cached by readFriendlyName; null until then
    char clsid[clsidStringSize];
    uint32_t defaultMerit;
};

struct FilterCatalogue {
    KnownFilter *slot[filterCatalogueSlots];
};

// Allocates the entry for one slot, or returns null when memory is exhausted.
// Entries are released with free(). Tests replace it to make slot k fail.
typedef KnownFilter *(*KnownFilterAllocator)(int slot);
extern KnownFilterAllocator knownFilterAllocator;

// Builds a fresh catalogue into `catalogue`, releasing an earlier one first.
// On an allocation failure at slot k, slots 0..k-1 stay filled, the others
// null, and the result is false.
bool buildCatalogue(FilterCatalogue *&catalogue);

// Frees every entry with its cached name, then the block, and leaves
// `catalogue` null. Returns the number of entries freed.
int releaseCatalogue(FilterCatalogue *&catalogue);

// The entry in `index`, or null for an empty or out-of-range slot.
KnownFilter *catalogueEntry(const FilterCatalogue *catalogue, int index);

#endif
