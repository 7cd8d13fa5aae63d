#include "windowsversion.h"

#include <cstdlib>

// Without Windows there is no version to ask: WIN32_STANDIN_WINDOWS_VERSION
// (a QSysInfo::WinVersion number, e.g. 0x0030 for XP) chooses one, and a
// current Windows (10, 0x00c0; 0x00a0 would be Windows 8) is assumed otherwise.
int windowsVersion()
{
    if (const char *version = std::getenv("WIN32_STANDIN_WINDOWS_VERSION"))
        if (*version)
            return int(std::strtol(version, 0, 0));
    return 0x00c0;
}
