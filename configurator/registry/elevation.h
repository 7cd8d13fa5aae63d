// Administrator rights: whether this process has them, whether the filters'
// registrations can be changed with the rights it has, and starting a
// program with them ("runas": on Windows with UAC the user is asked). One
// header; processElevated() comes from elevation_windows.cpp (the process
// token) or elevation_standin.cpp, chosen by the build file.
#ifndef ELEVATION_H
#define ELEVATION_H

#include "registryview.h"

#include <cstdint>
#include <string>

bool processElevated();

// False when write access to DirectShow's legacy filter category (its
// Instance key) in `view` is refused.
bool filterCategoryWritable(RegistryView view = RegistryView::Bits64);

// ERROR_CANCELLED: the user declined the prompt for administrator rights.
const int32_t statusDeclined = 1223;

// Starts `program` with administrator rights. 0 once it has started,
// statusDeclined when the user declined, otherwise the system's error number.
int32_t startElevated(const std::wstring &program, const std::wstring &parameters);

#endif
