// Finding the filter a FILTER argument names among the registered ones: a
// CLSID in any case, with or without braces, or a FriendlyName exactly as
// registered, or in any case where that names one filter. A name that names
// no filter, or several, finds none; the near matches (the name given as a
// part of theirs, in any case) are offered instead.
#ifndef FILTERLOOKUP_H
#define FILTERLOOKUP_H

#include <QString>

#include <string>
#include <vector>

struct NamedFilter {
    int slot = -1;
    std::string clsid; // registry form
    QString name;      // FriendlyName; empty when it has none
};

struct FilterLookup {
    enum Kind { Found, NotRegistered, Unknown, Ambiguous };
    Kind kind = Unknown;
    int slot = -1;                      // Found
    std::string clsid;                  // Found, NotRegistered: in registry form
    std::vector<NamedFilter> nearMatches; // Unknown, Ambiguous: in the order given
};

// NotRegistered: `given` is a CLSID none of `registered` has.
FilterLookup lookUpFilter(const QString &given, const std::vector<NamedFilter> &registered);

#endif
