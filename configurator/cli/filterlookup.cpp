#include "filterlookup.h"

#include <QRegExp>

bool isClsidText(const QString &text)
{
    static const QRegExp form(QString::fromLatin1(
        "\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}"));
    return form.exactMatch(text);
}

FilterLookup lookUpFilter(const QString &given, const std::vector<NamedFilter> &registered)
{
    FilterLookup lookup;
    if (isClsidText(given)) {
        lookup.kind = FilterLookup::NotRegistered;
        for (const NamedFilter &filter : registered) {
            if (QString::fromLatin1(filter.clsid.c_str()).compare(given, Qt::CaseInsensitive) == 0) {
                lookup.kind = FilterLookup::Found;
                lookup.slot = filter.slot;
            }
        }
        return lookup;
    }

    std::vector<NamedFilter> exact;
    for (const NamedFilter &filter : registered)
        if (filter.name == given)
            exact.push_back(filter);
    if (exact.size() == 1) {
        lookup.kind = FilterLookup::Found;
        lookup.slot = exact.front().slot;
        return lookup;
    }
    if (!exact.empty()) {
        lookup.kind = FilterLookup::Ambiguous;
        lookup.nearMatches = exact;
        return lookup;
    }
    const QString part = given.trimmed();
    if (!part.isEmpty())
        for (const NamedFilter &filter : registered)
            if (filter.name.contains(part, Qt::CaseInsensitive))
                lookup.nearMatches.push_back(filter);
    return lookup;
}
