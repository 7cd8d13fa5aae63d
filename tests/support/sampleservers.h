// The sample filter servers beside the test programs: their paths, a copy
// made as a user copies a file, and a silent registration through the
// registration runner. Header-only: the tests that include it link the
// registry layer themselves.
#ifndef SAMPLESERVERS_H
#define SAMPLESERVERS_H

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

#endif
