// Stand-in for the system's regsvr32.exe: registers or unregisters a filter
// server (a shared library here) by calling its DllRegisterServer or
// DllUnregisterServer.
//
// Command line as the real tool's: "/s" silent, "/u" unregister (switches in
// either case, with '/' or '-'), then the server path. Exit codes are the real
// tool's: 0 success, 1 bad arguments, 3 cannot load, 4 entry point missing,
// 5 the call failed. Without /s the outcome is shown in a message box.
//
// When REGSVR32_TRACE names a file, one line per run is appended to it with
// the raw parameter text the tool was started with, so tests can check the
// exact command line their caller built.
//
// Built a second time as the 32-bit tool of SysWOW64: REGSVR32_PROCESS_BITS
// makes it a 32-bit process of the stand-in, so a server it loads writes
// into the 32-bit registry view, as under 64-bit Windows.
#include "win32api.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>

namespace {

enum ExitCode { Success = 0, FailArgs = 1, FailLoad = 3, FailEntry = 4, FailCall = 5 };

const char kCaption[] = "RegSvr32";

void trace()
{
    const char *file = std::getenv("REGSVR32_TRACE");
    if (!file || !*file)
        return;
    std::string line = "params=";
    if (const char *commandLine = std::getenv("WIN32_STANDIN_COMMAND_LINE")) {
        // The raw command line is the quoted program name, then the parameters.
        std::string raw = commandLine;
        size_t close = raw[0] == '"' ? raw.find('"', 1) : raw.find(' ');
        if (close != std::string::npos) {
            size_t start = raw[0] == '"' ? close + 1 : close;
            if (start < raw.size() && raw[start] == ' ')
                ++start;
            line += raw.substr(start);
        }
    }
    if (FILE *f = std::fopen(file, "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

int finish(bool silent, ExitCode code, const std::string &message)
{
    if (!silent)
        MessageBoxA(nullptr, message.c_str(), kCaption, MB_OK);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef REGSVR32_PROCESS_BITS
    ::setenv("WIN32_STANDIN_PROCESS_BITS", REGSVR32_PROCESS_BITS, 1);
#endif
    trace();
    bool silent = false, unregister = false;
    const char *server = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if ((arg[0] == '/' || arg[0] == '-') && arg[1] && !arg[2]) {
            switch (arg[1]) {
            case 's': case 'S': silent = true; continue;
            case 'u': case 'U': unregister = true; continue;
            default: break;
            }
        }
        if (server)
            return finish(silent, FailArgs, "Unrecognized flag or more than one server: " + std::string(arg));
        server = arg;
    }
    if (!server)
        return finish(silent, FailArgs,
                      "To register a module, you must provide a binary name.\n\nUsage: regsvr32 [/u] [/s] dllname");

    void *module = ::dlopen(server, RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return finish(silent, FailLoad, "The module \"" + std::string(server) + "\" failed to load.\n\n" + ::dlerror());
    const char *entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    typedef HRESULT (*ServerEntry)();
    ServerEntry call = reinterpret_cast<ServerEntry>(::dlsym(module, entry));
    if (!call)
        return finish(silent, FailEntry, "The module \"" + std::string(server) + "\" was loaded but the entry-point "
                      + entry + " was not found.");
    const HRESULT hr = call();
    if (hr < 0) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08x", unsigned(hr));
        return finish(silent, FailCall, "The module \"" + std::string(server) + "\" was loaded but the call to "
                      + entry + " failed with error code " + code + ".");
    }
    return finish(silent, Success, std::string(entry) + " in " + server + " succeeded.");
}
