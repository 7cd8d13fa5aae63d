// What a filter's registration says about its pins: for each pin its flags
// and the media types it takes, each a major type and a subtype GUID. The
// sample servers write these into FilterData; the configurator reads them
// back to find which filters DirectShow offers for a media type.
#ifndef FILTERPINS_H
#define FILTERPINS_H

#include <cstdint>
#include <string>
#include <vector>

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

bool operator==(const Guid &a, const Guid &b);
inline bool operator!=(const Guid &a, const Guid &b) { return !(a == b); }

// Registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case.
std::string guidText(const Guid &g);

// Whether two CLSID strings name the same class: registry key names, and so
// the CLSIDs read from them, compare without regard to case.
bool sameClsid(const char *a, const char *b);
bool isNullGuid(const Guid &g);

struct PinMediaType {
    Guid major;
    Guid minor;
};

struct PinDescription {
    uint32_t flags;       // REG_PINFLAG_B_* bits; 0x8 marks an output pin
    uint32_t instances;
    std::vector<PinMediaType> mediaTypes;
};

const uint32_t pinFlagOutput = 0x8;

#endif
