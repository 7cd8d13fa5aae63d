// What pivora-cli prints: the merit names, the outcome words and reasons,
// the lines of `list` in its three formats and the line of each filter an
// action touched. Texts only; writing them is the commands' business.
#ifndef CLIOUTPUT_H
#define CLIOUTPUT_H

#include "cliarguments.h"
#include "filteractions.h"

#include <QString>

#include <cstdint>
#include <vector>

// A merit column with nothing to show: "-".
const int64_t noMerit = -1;

// "Default" when the merit is the filter's default, else "Disable", "High"
// or the hexadecimal form, tested in that order.
QString meritName(uint32_t merit, uint32_t defaultMerit);

// "changed", "unchanged", "refused", "server-missing", "not-registered",
// "removed" or "failed"; "kept-by-policy" for a filter the action left at
// the policy's merit (changed or unchanged).
QString outcomeWord(const FilterResult &result);
// Why a filter was not done, for standard error.
QString reasonText(const FilterResult &result);
// What regsvr32.exe's exit code says of a server file.
QString registrationFailureText(RegistrationFailure failure, uint32_t exitCode);
// A Windows status in words, with its number (statustext.h).
QString statusWords(int32_t status);
// "0x" and eight upper-case hexadecimal digits.
QString hexText(uint32_t merit);

// `CLSID <tab> name <tab> outcome <tab> merit before <tab> merit after`.
QString resultLine(const QString &clsid, const QString &name, const QString &outcome, int64_t before,
                   int64_t after);

// One registered filter as `list` shows it.
struct ListedFilter {
    QString clsid;
    QString name;
    uint32_t merit = 0;
    uint32_t defaultMerit = 0;
    QString server; // empty when the registration names none
    bool serverExists = false;
    bool recorded = false; // a choice is recorded for the filter
    uint32_t recordedMerit = 0;
    QString chosen;        // when, in UTC; may be empty
    bool undone = false;   // the registry no longer holds the recorded merit
    bool policySet = false; // the organisation's policy sets its merit
    uint32_t policyMerit = 0;
};

// The whole output of `list`, lines ending in a line feed.
QString formatList(const std::vector<ListedFilter> &filters, ListFormat format, RegistryView view);

#endif
