// Finding the filter a FILTER argument names among the registered ones: a
// CLSID in any case, or a FriendlyName exactly as registered. A name that
// names no filter, or several, finds none; the near matches (the name given
// as a part of theirs, in any case) are offered instead.
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
    std::vector<NamedFilter> nearMatches; // Unknown, Ambiguous: in the order given
};

// True for "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in hexadecimal digits of any case.
bool isClsidText(const QString &text);

// NotRegistered: `given` is a CLSID none of `registered` has.
FilterLookup lookUpFilter(const QString &given, const std::vector<NamedFilter> &registered);

#endif
