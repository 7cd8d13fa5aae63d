// Test support over the Win32 stand-in: each ScopedRegistry is a file of its
// own, write access is the file's owner-write bit, and debug output and
// message boxes are the lines the stand-in writes to standard error.
#include "testsupport.h"

#include "regfile.h"
#include "textconv.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

ScopedRegistry::ScopedRegistry()
{
    const std::string folder = makeTempFolder();
    registryFile = folder + "registry.reg";
    setEnvironment("WIN32_STANDIN_REGISTRY", registryFile.c_str());
}

namespace {

// Writes a key of an export and everything below it through the API, as
// regedit does, in the 64-bit view, where the export's paths name keys.
bool importKey(HKEY root, const std::string &path, const standin::RegKey &key)
{
    HKEY opened = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                        &opened, nullptr) != ERROR_SUCCESS)
        return false;
    bool done = true;
    for (const standin::RegValue &value : key.values) {
        std::vector<BYTE> data(value.data.begin(), value.data.end());
        if (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ) {
            const std::wstring wide = standin::utf8ToWide(
                standin::utf16ToUtf8(standin::utf16FromBytes(value.data.data(), value.data.size())));
            const BYTE *bytes = reinterpret_cast<const BYTE *>(wide.data());
            data.assign(bytes, bytes + wide.size() * sizeof(wchar_t));
        }
        done = done && RegSetValueExW(opened, standin::utf8ToWide(value.name).c_str(), 0, value.type, data.data(),
                                      DWORD(data.size())) == ERROR_SUCCESS;
    }
    RegCloseKey(opened);
    for (const auto &child : key.children)
        done = done && importKey(root, path.empty() ? child.second->name : path + "\\" + child.second->name,
                                 *child.second);
    return done;
}

} // namespace

bool ScopedRegistry::importRegFile(const std::string &path)
{
    standin::RegHive hive;
    if (!standin::parseRegFile(readTextFile(path), hive, nullptr))
        return false;
    bool done = true;
    for (const auto &root : hive.roots) {
        const bool machine = standin::sameName(root.second->name, "HKEY_LOCAL_MACHINE");
        if (!machine && !standin::sameName(root.second->name, "HKEY_CLASSES_ROOT"))
            return false; // the stand-in has no other root
        const HKEY key = machine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
        for (const auto &child : root.second->children)
            done = done && importKey(key, child.second->name, *child.second);
    }
    return done;
}

ScopedRegistry::~ScopedRegistry()
{
    removeTree(registryFile.substr(0, registryFile.rfind('/') + 1));
}

bool ScopedRegistry::setWritable(bool writable)
{
    // A missing file is an empty registry; make it exist so it has a mode.
    if (access(registryFile.c_str(), F_OK) != 0)
        if (FILE *f = fopen(registryFile.c_str(), "w"))
            fclose(f);
    return chmod(registryFile.c_str(), writable ? 0644 : 0444) == 0;
}

bool ScopedRegistry::setFiltersWritable(bool writable)
{
    return setWritable(writable);
}

std::string ScopedRegistry::file() const
{
    return registryFile;
}

bool regsvr32Traces()
{
    return true;
}

std::string programFolder()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe(buf, n > 0 ? size_t(n) : 0);
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string makeTempFolder()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/kestrane-test-XXXXXX";
    char *made = mkdtemp(&pattern[0]);
    return made ? std::string(made) + "/" : std::string();
}

void removeTree(const std::string &folder)
{
    if (folder.size() < 6)
        return;
    nftw(folder.c_str(), [](const char *path, const struct stat *, int, struct FTW *) { return remove(path); }, 16,
         FTW_DEPTH | FTW_PHYS);
}

void setEnvironment(const char *name, const char *value)
{
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

bool processRunning(long pid)
{
    return pid > 0 && kill(pid_t(pid), 0) == 0;
}

struct UiCapture::State {
};

UiCapture::UiCapture() : captureState(new State)
{
    testing::internal::CaptureStderr();
}

// Debug lines are the lines of standard error; a message box is a line
// "caption: text" whose caption is one of the boxes the system raises.
void UiCapture::finish()
{
    finished = true;
    delete captureState;
    captureState = nullptr;
    const std::string err = testing::internal::GetCapturedStderr();
    size_t start = 0;
    while (start < err.size()) {
        size_t end = err.find('\n', start);
        if (end == std::string::npos)
            end = err.size();
        const std::string line = err.substr(start, end - start);
        start = end + 1;
        static const char *const captions[] = {"Control Panel Error", "RegSvr32"};
        bool box = false;
        for (const char *caption : captions) {
            const std::string prefix = std::string(caption) + ": ";
            if (line.compare(0, prefix.size(), prefix) == 0) {
                seenBoxes.push_back(MessageBoxSeen{caption, line.substr(prefix.size())});
                box = true;
            }
        }
        if (!box)
            seenLines.push_back(line);
    }
}

} // namespace testsupport
