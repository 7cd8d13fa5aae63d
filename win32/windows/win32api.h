// The Win32 API subset this system calls, on Windows: the real headers.
//
// The build file puts this directory on the include path for Windows builds
// and win32/standin/include everywhere else, so callers never test the
// platform themselves.
#ifndef WIN32API_H
#define WIN32API_H

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <sddl.h>
#include <cpl.h>
#include <cstdio>

#endif
