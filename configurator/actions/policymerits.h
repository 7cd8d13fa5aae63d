// What the organisation's policy (meritpolicystore.h) says of the filters of
// one registry view: the merit of each filter it sets, and each value that
// does not read, with why. A value that does not read is never applied; the
// others are. Both front ends name the faulty values wherever they read the
// policy.
#ifndef POLICYMERITS_H
#define POLICYMERITS_H

#include "filtercatalogue.h"
#include "meritwords.h"
#include "registryview.h"

#include <cstdint>
#include <string>
#include <vector>

// One filter whose merit the policy sets.
struct PolicyMerit {
    int slot = -1;      // catalogue slot
    std::string clsid;  // registry form
    MeritChoice choice; // the filter's default, or a value
    // The merit it stands for: the catalogue's default merit for "default".
    uint32_t merit = 0;
    std::string word;   // meritWord(choice): "default", "disable", "high" or "0xHHHHHHHH"
};

// Why a value of the policy does not read.
enum class PolicyFault {
    NotText,       // not a string value (REG_SZ)
    NotAClsid,     // its name is no CLSID
    UnknownFilter, // its CLSID is no filter this product knows
    NotAMerit,     // its data is none of the merit words
    Twice          // another value names the same filter (with or without braces, in another case)
};

struct PolicyProblem {
    std::string valueName; // UTF-8, as stored
    PolicyFault fault = PolicyFault::NotText;
    std::string data;      // the value's text, for NotAMerit
};

struct MeritPolicy {
    int32_t status = 0;                  // 0, or why the policy key cannot be read (then nothing else is set)
    std::vector<PolicyMerit> merits;     // in catalogue slot order
    std::vector<PolicyProblem> problems; // in the order of their names

    // The policy's merit of a filter, or null where the policy leaves it to the user.
    const PolicyMerit *find(int slot) const;
};

// Reads the policy for the filters of `view`, with the catalogue's slots.
MeritPolicy readMeritPolicy(const FilterCatalogue *catalogue, RegistryView view);

// Why a value does not read, in a sentence's words: "not a string value
// (type 4)", "\"fast\" is no merit: ...". English, UTF-8.
std::string policyFaultText(const PolicyProblem &problem);

#endif
