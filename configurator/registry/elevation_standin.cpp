#include "elevation.h"

#include <cstdlib>
#include <cstring>

// The stand-in's "runas" starts a process with WIN32_STANDIN_ELEVATED=1.
bool processElevated()
{
    const char *flag = std::getenv("WIN32_STANDIN_ELEVATED");
    return flag && std::strcmp(flag, "1") == 0;
}
