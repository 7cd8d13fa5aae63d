// The merits an organisation's Group Policy sets, as the registry holds them:
//   HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Kestrane\Pivora\Merits64  (filters of 64-bit players)
//   HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Kestrane\Pivora\Merits32  (filters of 32-bit players)
// each with one REG_SZ value per filter: the name a CLSID, the data a merit
// in the command line's words. Both keys are read in the 64-bit registry
// view, where Group Policy writes them, whichever view of filters they
// speak for. The templates in policy/ write these very keys. This layer only
// reads the values; what they mean is the actions' (policymerits.h).
#ifndef MERITPOLICYSTORE_H
#define MERITPOLICYSTORE_H

#include "registryview.h"

#include <cstdint>
#include <string>
#include <vector>

// Below HKEY_LOCAL_MACHINE, without a trailing backslash.
extern const char meritPolicyKey64[];
extern const char meritPolicyKey32[];
// The key of the policy for the filters of `view`.
const char *meritPolicyKey(RegistryView view);

// One value of a policy key as it is stored.
struct PolicyValue {
    std::string name; // UTF-8
    uint32_t type = 0;
    std::string text; // UTF-8, up to the first terminator; REG_SZ only
};

// Every value of the policy for `view`'s filters, in the registry's order.
// `status`: 0, also when the key does not exist (no policy); else why the
// key or a value cannot be read, and the list is empty.
std::vector<PolicyValue> readPolicyValues(RegistryView view, int32_t *status);

#endif
