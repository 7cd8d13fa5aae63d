#include "filtercatalogue.h"

#include "knownfilterrows.h"

#include <cstdlib>
#include <cstring>

namespace {

KnownFilter *allocateKnownFilter(int)
{
    return static_cast<KnownFilter *>(std::malloc(sizeof(KnownFilter)));
}

} // namespace

KnownFilterAllocator knownFilterAllocator = allocateKnownFilter;

int releaseCatalogue(FilterCatalogue *&catalogue)
{
    if (!catalogue)
        return 0;
    int freed = 0;
    for (KnownFilter *&entry : catalogue->slot) {
        if (!entry)
            continue;
        std::free(entry->friendlyName);
        std::free(entry);
        entry = nullptr;
        ++freed;
    }
    std::free(catalogue);
    catalogue = nullptr;
    return freed;
}

bool buildCatalogue(FilterCatalogue *&catalogue)
{
    releaseCatalogue(catalogue);
    catalogue = static_cast<FilterCatalogue *>(std::calloc(1, sizeof(FilterCatalogue)));
    if (!catalogue)
        return false;
    for (int i = 0; i < knownFilterRowCount; ++i) {
        KnownFilter *entry = knownFilterAllocator(i);
        if (!entry)
            return false;
        entry->friendlyName = nullptr;
        std::memset(entry->clsid, 0, sizeof entry->clsid);
        std::strncpy(entry->clsid, knownFilterRows[i].clsid, sizeof entry->clsid - 1);
        entry->defaultMerit = knownFilterRows[i].defaultMerit;
        catalogue->slot[i] = entry;
    }
    return true;
}

KnownFilter *catalogueEntry(const FilterCatalogue *catalogue, int index)
{
    if (!catalogue || index < 0 || index >= filterCatalogueSlots)
        return nullptr;
    return catalogue->slot[index];
}
