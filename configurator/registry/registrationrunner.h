// Registering and unregistering filter servers with the system's
// regsvr32.exe, removing a filter's registration keys outright, and the
// file-existence test that decides whether a server path is shown as valid.
#ifndef REGISTRATIONRUNNER_H
#define REGISTRATIONRUNNER_H

#include "filtercatalogue.h"
#include "registryview.h"
#include "win32api.h"

#include <cstdint>

// The table shows a server path whose file is missing behind this prefix
// (16 characters, the last a blank); runRegsvr32 strips it again.
extern const wchar_t invalidPathPrefix[];
const int invalidPathPrefixLength = 16;

const int statusPathHasQuote = 123;   // ERROR_INVALID_NAME: a quote, or a backslash at the end
const int statusPathTooLong = 206;    // ERROR_FILENAME_EXCED_RANGE
const DWORD regsvr32WaitMs = 3000;
// ERROR_MOD_NOT_FOUND: the view's regsvr32.exe is not there (SysWOW64's on
// a system that runs no 32-bit programs).
const int statusRegistrationToolMissing = 126;
// ERROR_BAD_EXE_FORMAT: the file is no program image, so no server.
const int statusNotAServer = 193;

// Runs the regsvr32.exe of `view` (regsvr32Path) on a server file and waits
// for it up to regsvr32WaitMs. Returns 160 for a null path,
// statusRegistrationToolMissing when that regsvr32.exe does not exist, 2 when the file does not open for reading,
// 123 for a path holding a double quote or ending in a backslash (either
// would break the quoting of the parameter text), 206 for a path of 260
// characters or more, which regsvr32.exe cannot load, -1 when the shell
// failed, the
// shell's error (32 or less) when it left one, and 0 once regsvr32.exe was
// started. 0 says nothing about what the server did: callers look at the
// registry, or at regsvr32's exit code in `exitCode` when given: 0 success,
// 1 bad arguments, 3 the file could not be loaded, 4 it has no registration
// entry point, 5 its registration failed; STILL_ACTIVE (259) when the tool
// still ran after the wait, or was not started.
int runRegsvr32(HWND owner, bool registerServer, const wchar_t *path, bool silent, DWORD *exitCode = nullptr,
                RegistryView view = RegistryView::Bits64);

// Deletes the filter's instance key, then its class key, each with its whole
// subtree, in `view`. 160 without a usable CLSID, else the registry's own status.
int32_t removeFilterRegistration(const KnownFilter *entry, const char *clsid = nullptr,
                                 RegistryView view = RegistryView::Bits64);

// True when a file (not a folder) is there by that name.
bool fileExists(const wchar_t *path);

#endif
