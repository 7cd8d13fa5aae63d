// The entry points of one sample server; the build names the server, and
// with it the filters of the known-filter table that it registers.
#include "filterserver.h"

extern "C" HRESULT WINAPI DllRegisterServer(void)
{
    return registerServerFilters(KESTRANE_SERVER_NAME);
}

extern "C" HRESULT WINAPI DllUnregisterServer(void)
{
    return unregisterServerFilters(KESTRANE_SERVER_NAME);
}
