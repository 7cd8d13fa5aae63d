// The sample filter servers beside the test programs: their paths, a copy
// made as a user copies a file, a silent registration through the
// registration runner, and a registration copied into the 32-bit view. Header-only: the tests that include it link the
// registry layer themselves.
#ifndef SAMPLESERVERS_H
#define SAMPLESERVERS_H

#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "registrationrunner.h"
#include "testsupport.h"

#include <filesystem>
#include <string>

// Full path of a sample server (or another .ax name) beside the tests.
inline std::string serverFile(const char *server)
{
    return testsupport::programFolder() + server + ".ax";
}

// Registers or unregisters a server file silently; the runner's status.
inline int serverCall(const std::string &path, bool doRegister)
{
    return runRegsvr32(0, doRegister, testsupport::widen(path).c_str(), true);
}

// Copies a sample server to a new name.
inline bool copyServer(const char *server, const std::string &to)
{
    std::error_code error;
    return std::filesystem::copy_file(serverFile(server), to, error);
}

// The filter's 64-bit registration written into the 32-bit view, as a 32-bit
// build of its server would write it, with another merit there.
inline bool copyTo32BitView(int slot, uint32_t merit)
{
    bool copied = true;
    const std::string classKey = std::string("CLSID\\") + knownFilterRows[slot].clsid;
    const struct {
        std::string path;
        const char *names[3];
    } keys[] = {{std::string(legacyFilterInstancePrefix) + knownFilterRows[slot].clsid,
                 {"FriendlyName", "FilterData", "CLSID"}},
                {classKey, {"", nullptr, nullptr}},
                {classKey + "\\InprocServer32", {"", "ThreadingModel", nullptr}}};
    for (const auto &k : keys) {
        HKEY from = nullptr, to = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, k.path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &from) != ERROR_SUCCESS)
            return false;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, k.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            nullptr, &to, nullptr) != ERROR_SUCCESS) {
            RegCloseKey(from);
            return false;
        }
        for (const char *name : k.names) {
            BYTE data[4096];
            DWORD size = sizeof data, type = REG_NONE;
            if (name && RegQueryValueExA(from, name, nullptr, &type, data, &size) == ERROR_SUCCESS)
                copied = copied && RegSetValueExA(to, name, 0, type, data, size) == ERROR_SUCCESS;
        }
        RegCloseKey(from);
        RegCloseKey(to);
    }
    return copied && writeFilterMerit(merit, nullptr, knownFilterRows[slot].clsid, RegistryView::Bits32) == 0;
}

#endif
