// The platform part of a sample server on Windows: the module path is the
// DLL's own file, and DirectShow's filter mapper writes the instance key.
#include "filtermapper_windows.h"
#include "filterserver.h"

namespace {

HINSTANCE serverModule = nullptr;

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        serverModule = instance;
    return TRUE;
}

std::wstring serverModulePath()
{
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(serverModule, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

HRESULT registerInstance(const KnownFilterRow &row)
{
    return registerWithFilterMapper(row.clsid, row.name, row.defaultMerit, samplePins(row));
}

HRESULT unregisterInstance(const KnownFilterRow &row)
{
    return unregisterFromFilterMapper(row.clsid);
}
