#include "filterlookup.h"

#include "meritwords.h"

FilterLookup lookUpFilter(const QString &given, const std::vector<NamedFilter> &registered)
{
    FilterLookup lookup;
    if (parseClsid(given.toStdString(), &lookup.clsid)) {
        lookup.kind = FilterLookup::NotRegistered;
        for (const NamedFilter &filter : registered) {
            if (filter.clsid == lookup.clsid) {
                lookup.kind = FilterLookup::Found;
                lookup.slot = filter.slot;
            }
        }
        return lookup;
    }

    // The exact name first; a name in another case only where it names one filter.
    for (Qt::CaseSensitivity sensitivity : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        std::vector<NamedFilter> same;
        for (const NamedFilter &filter : registered)
            if (filter.name.compare(given, sensitivity) == 0)
                same.push_back(filter);
        if (same.size() == 1) {
            lookup.kind = FilterLookup::Found;
            lookup.slot = same.front().slot;
            lookup.clsid = same.front().clsid;
            return lookup;
        }
        if (!same.empty()) {
            lookup.kind = FilterLookup::Ambiguous;
            lookup.nearMatches = same;
            return lookup;
        }
    }
    const QString part = given.trimmed();
    if (!part.isEmpty())
        for (const NamedFilter &filter : registered)
            if (filter.name.contains(part, Qt::CaseInsensitive))
                lookup.nearMatches.push_back(filter);
    return lookup;
}
