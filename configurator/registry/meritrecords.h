// The merits the user chose, remembered, so that a re-registration of a
// server (which writes its built-in merit again) can be seen and undone:
//   HKEY_LOCAL_MACHINE\SOFTWARE\Kestrane\Pivora\Merits\<CLSID>
//     "Merit"        REG_DWORD  the merit chosen
//     "FriendlyName" REG_SZ     the filter's name when it was chosen (UTF-8 on the wide side)
//     "Chosen"       REG_SZ     when, in UTC: "YYYY-MM-DDTHH:MM:SSZ"
//     "Policy"       REG_DWORD  1: the organisation's policy set the merit, not
//                               the user; 0 or absent (records written
//                               before policies were read): the user's choice
// in the registry view of the filter (on 64-bit Windows the 32-bit view's
// records are under SOFTWARE\WOW6432Node). Statuses are the registry's.
#ifndef MERITRECORDS_H
#define MERITRECORDS_H

#include "registryview.h"

#include <cstdint>
#include <string>
#include <vector>

extern const char meritRecordsKey[]; // below HKEY_LOCAL_MACHINE

struct MeritRecord {
    std::string clsid;  // registry form
    uint32_t merit = 0;
    std::string name;   // UTF-8; empty when unknown
    std::string chosen; // UTC, as above; empty when unknown
    bool policy = false; // the organisation's merit, not the user's choice
};

// Writes (or replaces) the record of one filter.
int32_t writeMeritRecord(const MeritRecord &record, RegistryView view);
// Removes the record of one filter; 0 also when there was none.
int32_t removeMeritRecord(const std::string &clsid, RegistryView view);
// Every record of the view, in the registry's order of their keys; a key
// without a readable "Merit" is left out. `status`: 0, or why the records
// could not be read (no records at all is 0).
std::vector<MeritRecord> readMeritRecords(RegistryView view, int32_t *status = nullptr);

// Now, in UTC, in the records' form.
std::string currentUtcTime();

#endif
