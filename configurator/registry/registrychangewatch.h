// Tells when the filters' registrations or the remembered merit choices
// change, by this program or another: RegNotifyChangeKeyValue on DirectShow's
// legacy filter category and on the records key, with their subtrees, in both
// registry views, all setting one event. Windows sets it once per request,
// so the watch is armed again after each change seen.
#ifndef REGISTRYCHANGEWATCH_H
#define REGISTRYCHANGEWATCH_H

#include "win32api.h"

#include <vector>

class RegistryChangeWatch
{
public:
    RegistryChangeWatch();
    ~RegistryChangeWatch();
    RegistryChangeWatch(const RegistryChangeWatch &) = delete;
    RegistryChangeWatch &operator=(const RegistryChangeWatch &) = delete;

    // Asks again to be told of the next change; false when no key could be
    // watched (none exists yet, say).
    bool arm();
    // True when a change came since arm(), waiting up to `milliseconds`.
    bool changed(DWORD milliseconds);

private:
    HANDLE event;
    std::vector<HKEY> keys;
};

#endif
