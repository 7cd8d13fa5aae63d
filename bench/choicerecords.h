// What both benches write before they time a start: remembered merit
// choices, some of them undone, so that the start's check of them has work.
#ifndef CHOICERECORDS_H
#define CHOICERECORDS_H

#include "filteractions.h"
#include "meritrecords.h"

#include <vector>

// Records a merit choice for the first `records` registered filters; the
// last `undone` of them record a merit the registry does not hold, as if a
// re-registration had written the built-in merit back over the choice.
inline void writeChoiceRecords(int records, int undone)
{
    FilterCatalogue *catalogue = nullptr;
    buildCatalogue(catalogue);
    const std::vector<FilterRow> rows = FilterActions(catalogue, RegistryView::Bits64).registeredFilters();
    releaseCatalogue(catalogue);
    for (int i = 0; i < records && i < int(rows.size()); ++i) {
        MeritRecord record;
        record.clsid = rows[size_t(i)].clsid;
        record.merit = rows[size_t(i)].merit + (i >= records - undone ? 0x100u : 0u);
        record.name = rows[size_t(i)].name;
        record.chosen = currentUtcTime();
        writeMeritRecord(record, RegistryView::Bits64);
    }
}

#endif
