#include "policymerits.h"

#include "meritpolicystore.h"
#include "win32api.h"

#include <algorithm>
#include <map>

const PolicyMerit *MeritPolicy::find(int slot) const
{
    for (const PolicyMerit &merit : merits)
        if (merit.slot == slot)
            return &merit;
    return nullptr;
}

MeritPolicy readMeritPolicy(const FilterCatalogue *catalogue, RegistryView view)
{
    MeritPolicy policy;
    const std::vector<PolicyValue> values = readPolicyValues(view, &policy.status);
    std::map<int, std::vector<PolicyMerit>> bySlot; // every value that reads, by the filter it names
    std::map<int, std::vector<std::string>> namesBySlot;
    for (const PolicyValue &value : values) {
        PolicyProblem problem;
        problem.valueName = value.name;
        PolicyMerit merit;
        if (value.type != REG_SZ) {
            problem.fault = PolicyFault::NotText;
            problem.data = std::to_string(value.type);
        } else if (!parseClsid(value.name, &merit.clsid)) {
            problem.fault = PolicyFault::NotAClsid;
        } else if (!parseMeritChoice(value.text, &merit.choice)) {
            problem.fault = PolicyFault::NotAMerit;
            problem.data = value.text;
        } else {
            for (int slot = 0; const KnownFilter *entry = catalogueEntry(catalogue, slot); ++slot)
                if (merit.clsid == entry->clsid) {
                    merit.slot = slot;
                    merit.merit = merit.choice.isDefault ? entry->defaultMerit : merit.choice.value;
                }
            if (merit.slot < 0) {
                problem.fault = PolicyFault::UnknownFilter;
            } else {
                merit.word = meritWord(merit.choice);
                bySlot[merit.slot].push_back(merit);
                namesBySlot[merit.slot].push_back(value.name);
                continue;
            }
        }
        policy.problems.push_back(problem);
    }
    // A filter named by two values has no one merit: neither is applied.
    for (const auto &filter : bySlot) {
        if (filter.second.size() == 1) {
            policy.merits.push_back(filter.second.front());
            continue;
        }
        for (const std::string &name : namesBySlot[filter.first]) {
            PolicyProblem problem;
            problem.valueName = name;
            problem.fault = PolicyFault::Twice;
            policy.problems.push_back(problem);
        }
    }
    std::sort(policy.problems.begin(), policy.problems.end(),
              [](const PolicyProblem &a, const PolicyProblem &b) { return a.valueName < b.valueName; });
    return policy;
}

std::string policyFaultText(const PolicyProblem &problem)
{
    switch (problem.fault) {
    case PolicyFault::NotText:
        return "not a string value (type " + problem.data + ")";
    case PolicyFault::NotAClsid:
        return "the value name is no CLSID";
    case PolicyFault::UnknownFilter:
        return "no Kestrane filter this program knows has this CLSID";
    case PolicyFault::NotAMerit:
        return "\"" + problem.data + "\" is no merit: give default, disable, high or 0x with 1 to 8 hexadecimal digits";
    case PolicyFault::Twice:
        return "another value names the same filter";
    }
    return std::string();
}
