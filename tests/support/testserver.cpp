// A minimal filter server for the registration runner's tests. Registering
// counts up "Registrations" under the test server key and records the module
// path; unregistering deletes the key. TESTSERVER_SLEEP_MS makes the
// registration take that long, as a hanging server would.
#include "testkeys.h"
#include "win32api.h"

#include <chrono>
#include <cstdlib>
#include <thread>

extern "C" HRESULT WINAPI DllRegisterServer(void)
{
    if (const char *sleep = std::getenv("TESTSERVER_SLEEP_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(sleep)));
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, testkeys::testServerKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    DWORD count = 0, size = sizeof count, type = 0;
    RegQueryValueExA(key, "Registrations", nullptr, &type, reinterpret_cast<BYTE *>(&count), &size);
    ++count;
    const LONG rc = RegSetValueExA(key, "Registrations", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&count),
                                   sizeof count);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? S_OK : E_FAIL;
}

extern "C" HRESULT WINAPI DllUnregisterServer(void)
{
    const DWORD rc = SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::testServerKey);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}
