// The one table of the filters this product knows: the configurator's
// catalogue and the sample filter servers both read it, so names, CLSIDs and
// default merits can never drift apart. Its rows are knownfilterrows.def.
#ifndef KNOWNFILTERROWS_H
#define KNOWNFILTERROWS_H

#include <cstdint>

enum class FilterKind { VideoDecoder, AudioDecoder, Demultiplexer };

struct KnownFilterRow {
    const char *clsid;       // registry form: 38 characters, braces, upper-case hex
    uint32_t defaultMerit;
    const char *name;        // the FriendlyName its server registers
    FilterKind kind;
    uint32_t subtypeTag;     // FOURCC or wave format tag of the input subtype; 0 for none
    const char *server;      // base name of the sample server that registers it
};

const int knownFilterRowCount = 52;
extern const KnownFilterRow knownFilterRows[knownFilterRowCount];

// The default merit of the known filter with this CLSID; 0 for a filter this
// product does not know.
uint32_t knownDefaultMerit(const char *clsid);

// The linked pairs: slots 40 and 42, and 41 and 43, are two registrations
// of one decoder served by one server. A merit chosen for one member leaves
// the other's merit as it was.
// The other member of a slot's pair, or -1 for a slot outside the pairs.
int linkedPartnerSlot(int slot);

// Where a filter's registration lives under HKEY_CLASSES_ROOT: this prefix,
// "CLSID\{083863F1-70DE-11D0-BD40-00A0C911CE86}\Instance\" (DirectShow's
// legacy filter category; it ends in a backslash), followed by the CLSID.
extern const char legacyFilterInstancePrefix[];
// DirectShow's legacy filter category, CLSID_LegacyAmFilterCategory.
extern const char legacyFilterCategory[];

#endif
