// Test support on Windows and Wine: the registry is the real one, so a
// ScopedRegistry deletes the keys the tests may create, and refuses writes to
// filter keys through their access lists; debug output is
// caught as the exception OutputDebugStringA raises, and message boxes are
// found by their window class, read and dismissed by a watcher thread.
#include "testsupport.h"

#include "knownfilterrows.h"
#include "testkeys.h"
#include "win32api.h"

#include <aclapi.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <iterator>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

// The known filters' and the tests' own keys and the remembered merits, in
// both registry views.
void deleteTestKeys()
{
    SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey);
    const std::string instance = std::string(legacyFilterInstancePrefix).substr(6); // below CLSID
    std::vector<std::string> clsids(std::begin(testkeys::testClsids), std::end(testkeys::testClsids));
    for (const KnownFilterRow &row : knownFilterRows)
        clsids.push_back(row.clsid);
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY classes = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_ALL_ACCESS | view, &classes) != ERROR_SUCCESS)
            continue;
        for (const std::string &clsid : clsids) {
            SHDeleteKeyA(classes, (instance + clsid).c_str());
            SHDeleteKeyA(classes, clsid.c_str());
        }
        RegCloseKey(classes);
        // The remembered merit choices and the organisation's policy.
        HKEY software = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
            SHDeleteKeyA(software, "Kestrane\\Pivora\\Merits");
            SHDeleteKeyA(software, "Policies\\Kestrane");
            RegCloseKey(software);
        }
    }
}

} // namespace

// Windows gives an administrator, as Wine's user always is, every right on
// the registry, but a deny entry in a key's access list binds everybody. Each
// key that registering a filter or writing its merit writes gets one, put in
// front of the key's own list, which is kept to be put back. Deleting stays
// allowed, so that the keys can still be wiped.
struct ScopedRegistry::Lock {
    struct Saved {
        std::string path;
        std::vector<BYTE> descriptor; // self-relative, the access list only
    };
    std::vector<Saved> keys;
};

namespace {

const DWORD refusedRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

std::vector<std::string> filterKeyPaths()
{
    const std::string instance = legacyFilterInstancePrefix;
    std::vector<std::string> paths{instance.substr(0, instance.size() - 1)};
    std::vector<const char *> clsids;
    for (const KnownFilterRow &row : knownFilterRows)
        clsids.push_back(row.clsid);
    clsids.insert(clsids.end(), std::begin(testkeys::testClsids), std::end(testkeys::testClsids));
    for (const char *clsid : clsids) {
        paths.push_back(instance + clsid);
        paths.push_back(std::string("CLSID\\") + clsid);
        paths.push_back(std::string("CLSID\\") + clsid + "\\InprocServer32");
    }
    return paths;
}

// The key's access list as a self-relative descriptor; empty when it cannot
// be read.
std::vector<BYTE> accessListOf(HKEY key)
{
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> descriptor(size);
    if (size == 0 || RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
        return {};
    return descriptor;
}

bool refuseWrites(HKEY key, const std::vector<BYTE> &own)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    if (!GetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR(own.data()), &present, &list, &defaulted))
        return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
        return false;
    EXPLICIT_ACCESS_A entries[2] = {};
    for (EXPLICIT_ACCESS_A &entry : entries) {
        entry.grfInheritance = NO_INHERITANCE;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        entry.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    }
    entries[0].grfAccessPermissions = refusedRights;
    entries[0].grfAccessMode = DENY_ACCESS;
    // A key without a list allows everything: keep allowing the rest.
    entries[1].grfAccessPermissions = KEY_ALL_ACCESS;
    entries[1].grfAccessMode = GRANT_ACCESS;
    const bool open = !present || !list;
    PACL locked = nullptr;
    bool done = false;
    if (SetEntriesInAclA(open ? 2 : 1, entries, open ? nullptr : list, &locked) == ERROR_SUCCESS) {
        SECURITY_DESCRIPTOR descriptor;
        done = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorDacl(&descriptor, TRUE, locked, FALSE) &&
               RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
        LocalFree(locked);
    }
    FreeSid(everyone);
    return done;
}

} // namespace

ScopedRegistry::ScopedRegistry()
{
    deleteTestKeys();
}

ScopedRegistry::~ScopedRegistry()
{
    setFiltersWritable(true);
    deleteTestKeys();
}

bool ScopedRegistry::setWritable(bool)
{
    return false;
}

bool ScopedRegistry::setFiltersWritable(bool writable)
{
    if (writable) {
        if (!keyLocks)
            return true;
        bool restored = true;
        for (auto saved = keyLocks->keys.rbegin(); saved != keyLocks->keys.rend(); ++saved) {
            HKEY key = nullptr;
            const LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, saved->path.c_str(), 0, WRITE_DAC, &key);
            if (rc == ERROR_FILE_NOT_FOUND)
                continue; // deleted meanwhile, and its list with it
            if (rc != ERROR_SUCCESS ||
                RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved->descriptor.data()) != ERROR_SUCCESS)
                restored = false;
            if (key)
                RegCloseKey(key);
        }
        delete keyLocks;
        keyLocks = nullptr;
        return restored;
    }
    if (keyLocks)
        return true;
    keyLocks = new Lock;
    for (const std::string &path : filterKeyPaths()) {
        HKEY key = nullptr;
        const LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key);
        if (rc == ERROR_FILE_NOT_FOUND)
            continue;
        std::vector<BYTE> own = rc == ERROR_SUCCESS ? accessListOf(key) : std::vector<BYTE>();
        const bool locked = !own.empty() && refuseWrites(key, own);
        if (key)
            RegCloseKey(key);
        if (!locked) {
            setFiltersWritable(true);
            return false;
        }
        keyLocks->keys.push_back(Lock::Saved{path, std::move(own)});
    }
    return true;
}

std::string ScopedRegistry::file() const
{
    return std::string();
}

bool ScopedRegistry::importRegFile(const std::string &path)
{
    std::string commandLine = "regedit.exe /s \"" + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended && exitCode == 0;
}

bool regsvr32Traces()
{
    return false;
}

std::string programFolder()
{
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string exe(buf, n);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
}

std::string makeTempFolder()
{
    std::random_device seed;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("kestrane-test-" + std::to_string(seed()));
    std::filesystem::create_directories(folder);
    return folder.string() + "\\";
}

void removeTree(const std::string &folder)
{
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

void setEnvironment(const char *name, const char *value)
{
    _putenv_s(name, value ? value : "");
    SetEnvironmentVariableA(name, value);
}

bool processRunning(long pid)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return false;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

struct UiCapture::State {
    PVOID handler = nullptr;
    std::thread watcher;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::vector<std::string> lines;
    std::vector<MessageBoxSeen> boxes;
};

namespace {

UiCapture::State *activeCapture = nullptr;

// OutputDebugStringA raises DBG_PRINTEXCEPTION_C with the text's length and
// address; taking it here is what a debugger does.
LONG CALLBACK debugOutputHandler(EXCEPTION_POINTERS *pointers)
{
    const EXCEPTION_RECORD *record = pointers->ExceptionRecord;
    if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2 || !activeCapture)
        return EXCEPTION_CONTINUE_SEARCH;
    const char *text = reinterpret_cast<const char *>(record->ExceptionInformation[1]);
    size_t length = size_t(record->ExceptionInformation[0]);
    std::string line(text, length);
    while (!line.empty() && (line.back() == '\0' || line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::lock_guard<std::mutex> lock(activeCapture->mutex);
    activeCapture->lines.push_back(line);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// Boxes of every process count: regsvr32.exe raises its own when it runs
// without /s, and in a test prefix nothing else runs.
BOOL CALLBACK collectBox(HWND window, LPARAM parameter)
{
    std::vector<HWND> *found = reinterpret_cast<std::vector<HWND> *>(parameter);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && IsWindowVisible(window))
        found->push_back(window);
    return TRUE;
}

void watchBoxes(UiCapture::State *state)
{
    std::set<HWND> seen;
    while (!state->stop) {
        std::vector<HWND> found;
        EnumWindows(collectBox, reinterpret_cast<LPARAM>(&found));
        for (HWND box : found) {
            if (seen.count(box))
                continue;
            seen.insert(box);
            char caption[256] = {}, text[1024] = {};
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text); // the message box's static text
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                state->boxes.push_back(MessageBoxSeen{caption, text});
            }
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(20);
    }
}

} // namespace

UiCapture::UiCapture() : captureState(new State)
{
    activeCapture = captureState;
    captureState->handler = AddVectoredExceptionHandler(1, debugOutputHandler);
    captureState->watcher = std::thread(watchBoxes, captureState);
}

void UiCapture::finish()
{
    finished = true;
    captureState->stop = true;
    captureState->watcher.join();
    RemoveVectoredExceptionHandler(captureState->handler);
    activeCapture = nullptr;
    seenLines = captureState->lines; // the watcher has ended: nothing else touches them
    seenBoxes = captureState->boxes;
    delete captureState;
    captureState = nullptr;
}

} // namespace testsupport
