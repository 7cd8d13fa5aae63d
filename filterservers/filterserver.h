// What every sample server does, whatever the platform: find its filters in
// the known-filter table and register or unregister them. The platform part
// (filterserver_standin.cpp or filterserver_windows.cpp, chosen by the build
// file) knows the module's own path and writes the instance key.
#ifndef FILTERSERVER_H
#define FILTERSERVER_H

#include "knownfilterrows.h"
#include "win32api.h"

#include <string>

// Platform part.
std::wstring serverModulePath();
HRESULT registerInstance(const KnownFilterRow &row);
// Removes the filter from the legacy filter category; S_OK when it was not there.
HRESULT unregisterInstance(const KnownFilterRow &row);

// Common part.
HRESULT registerServerFilters(const char *server);
HRESULT unregisterServerFilters(const char *server);

#endif
