#include "knownfilterrows.h"

#include "filterpins.h"

#define LEGACY_FILTER_CATEGORY "{083863F1-70DE-11D0-BD40-00A0C911CE86}"
const char legacyFilterCategory[] = LEGACY_FILTER_CATEGORY;
const char legacyFilterInstancePrefix[] = "CLSID\\" LEGACY_FILTER_CATEGORY "\\Instance\\";
#undef LEGACY_FILTER_CATEGORY

// The rows are knownfilterrows.def, which the build also reads for the
// names of the sample servers.
const KnownFilterRow knownFilterRows[knownFilterRowCount] = {
#define KNOWN_FILTER(server, clsid, merit, name, kind, subtype) {clsid, merit, name, FilterKind::kind, subtype, #server},
#include "knownfilterrows.def"
#undef KNOWN_FILTER
};

// A missing row would leave a slot of nulls behind; a row too many does not compile.
#define KNOWN_FILTER(...) +1
static_assert(0
#include "knownfilterrows.def"
                  == knownFilterRowCount,
              "knownfilterrows.def holds one row per filled catalogue slot");
#undef KNOWN_FILTER

uint32_t knownDefaultMerit(const char *clsid)
{
    for (const KnownFilterRow &row : knownFilterRows)
        if (sameClsid(row.clsid, clsid))
            return row.defaultMerit;
    return 0;
}

int linkedPartnerSlot(int slot)
{
    static const int pairs[][2] = {{40, 42}, {41, 43}};
    for (const auto &pair : pairs) {
        if (slot == pair[0])
            return pair[1];
        if (slot == pair[1])
            return pair[0];
    }
    return -1;
}
