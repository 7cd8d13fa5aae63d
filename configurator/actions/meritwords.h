// The words of merits and filters that both front ends read and write: the
// command line's arguments and output, the merits file, the restart's
// command line and the window's cells, whose translated labels map onto them.
//   merit:  "default", "disable", "high" (any case), or "0x" (either case)
//           and 1 to 8 hexadecimal digits; written as "0x" and eight
//           upper-case digits
//   CLSID:  32 hexadecimal digits in the groups 8-4-4-4-12, any case, with
//           or without the braces; written in registry form, braces and
//           upper case
#ifndef MERITWORDS_H
#define MERITWORDS_H

#include <cstdint>
#include <string>

const uint32_t meritDisableValue = 0x00200000u; // MERIT_DO_NOT_USE
const uint32_t meritHighValue = 0xFFFFFFFFu;

// A merit as a user chooses it: the filter's default, or a value.
struct MeritChoice {
    bool isDefault = false;
    uint32_t value = 0;
};

// False for anything but the words above; `choice` is then untouched.
bool parseMeritChoice(const std::string &text, MeritChoice *choice);
// "0x" and 1 to 8 hexadecimal digits only.
bool parseMeritHex(const std::string &text, uint32_t *merit);
// "0x" and eight upper-case hexadecimal digits, e.g. "0x001FFFFF".
std::string meritHex(uint32_t merit);
// "default", "disable", "high" or the hexadecimal form.
std::string meritWord(const MeritChoice &choice);

// What a merit is called in a listing: its default, Disable, High, or a
// custom value, tested in that order.
enum class MeritKind { Default, Disable, High, Custom };
MeritKind meritKind(uint32_t merit, uint32_t defaultMerit);

// The registry form of a CLSID given in any of the forms above; false for
// anything else, with `clsid` untouched.
bool parseClsid(const std::string &text, std::string *clsid);

#endif
