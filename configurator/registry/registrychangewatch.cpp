#include "registrychangewatch.h"

#include "knownfilterrows.h"
#include "meritrecords.h"
#include "registryview.h"

namespace {

const DWORD kWhatChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

} // namespace

RegistryChangeWatch::RegistryChangeWatch() : event(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    const struct {
        HKEY root;
        const char *path;
    } watched[] = {{HKEY_CLASSES_ROOT, legacyFilterInstancePrefix}, {HKEY_LOCAL_MACHINE, meritRecordsKey}};
    for (RegistryView view : {RegistryView::Bits64, RegistryView::Bits32}) {
        for (const auto &w : watched) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(w.root, w.path, 0, KEY_NOTIFY | viewAccess(view), &key) == ERROR_SUCCESS)
                keys.push_back(key);
        }
    }
}

RegistryChangeWatch::~RegistryChangeWatch()
{
    for (HKEY key : keys)
        RegCloseKey(key);
    if (event)
        CloseHandle(event);
}

bool RegistryChangeWatch::arm()
{
    bool watching = false;
    for (HKEY key : keys)
        if (event && RegNotifyChangeKeyValue(key, TRUE, kWhatChanges, event, TRUE) == ERROR_SUCCESS)
            watching = true;
    return watching;
}

bool RegistryChangeWatch::changed(DWORD milliseconds)
{
    return event && WaitForSingleObject(event, milliseconds) == WAIT_OBJECT_0;
}
