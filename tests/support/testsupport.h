// What the tests need from the platform besides the Win32 API itself: a
// registry of their own, a way to take away write access, the folder of the
// test programs, and capture of debug output and message boxes. One header,
// two implementations chosen by the build file (testsupport_standin.cpp,
// testsupport_windows.cpp), so the test sources stay the same on both sides.
#ifndef TESTSUPPORT_H
#define TESTSUPPORT_H

#include <string>
#include <vector>

namespace testsupport {

// Gives the calling test a registry without filters of its own. With the
// stand-in that is a fresh file; on Windows the test keys are deleted.
class ScopedRegistry {
public:
    ScopedRegistry();
    ~ScopedRegistry();
    ScopedRegistry(const ScopedRegistry &) = delete;
    ScopedRegistry &operator=(const ScopedRegistry &) = delete;

    // Takes away (or gives back) the right to write the registry. False where
    // the platform cannot do that for a test (Windows, Wine).
    bool setWritable(bool writable);
    // Takes away (or gives back) the right to change what registers the known
    // filters and the tests' own: their class and instance keys and the
    // filter category. With the stand-in that is setWritable; on Windows each
    // of those keys gets an access list entry that refuses setting values and
    // creating subkeys to everybody, administrators included. False where
    // that cannot be done.
    bool setFiltersWritable(bool writable);
    // The stand-in's registry file; empty on Windows.
    std::string file() const;
    // Imports a registry export file as `regedit /s` does: its keys and
    // values are added, its deletions made. False when it did not import.
    bool importRegFile(const std::string &path);

    struct Lock; // Windows: the keys refused, with their own access lists

private:
    std::string registryFile;
    Lock *keyLocks = nullptr;
};

// True where regsvr32 appends its parameter text to $REGSVR32_TRACE (the
// stand-in tool does; the system's own does not).
bool regsvr32Traces();

// Folder of the running test program, with a trailing separator.
std::string programFolder();
// A fresh, empty temporary folder, with a trailing separator.
std::string makeTempFolder();
void removeTree(const std::string &folder);
std::string readTextFile(const std::string &path);
bool waitForFile(const std::string &path, int timeoutMs);
// What a file another process writes holds once it holds a whole line (a
// file that exists may not be written yet), or after `timeoutMs`.
std::string readWrittenLine(const std::string &path, int timeoutMs);
// Narrow text as wide text, byte by byte (ASCII and Latin-1).
std::wstring widen(const std::string &text);
void setEnvironment(const char *name, const char *value);
void sleepMs(int ms);
// True while the process (from a probe's pid file) still runs.
bool processRunning(long pid);

struct MessageBoxSeen {
    std::string caption;
    std::string text;
};

// Records the debug output lines and the message boxes raised while it
// lives; boxes are dismissed with OK.
class UiCapture {
public:
    UiCapture();
    ~UiCapture();
    UiCapture(const UiCapture &) = delete;
    UiCapture &operator=(const UiCapture &) = delete;

    // Stops capturing and returns what was seen; call once.
    void finish();
    const std::vector<std::string> &debugLines() const { return seenLines; }
    const std::vector<MessageBoxSeen> &messageBoxes() const { return seenBoxes; }

    struct State; // the platform's capture machinery

private:
    State *captureState;        // deleted by finish()
    bool finished = false;
    std::vector<std::string> seenLines;
    std::vector<MessageBoxSeen> seenBoxes;
};

} // namespace testsupport

#endif
