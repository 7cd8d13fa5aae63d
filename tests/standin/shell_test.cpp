// Where the stand-in's shell finds a program named by its bare file name:
// beside the calling program, then in the system folder, then on PATH.
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Installs a program `name` in `folder` that writes `answer` to $PROBE_OUT.
void makeTool(const std::string &folder, const char *name, const char *answer)
{
    mkdir(folder.c_str(), 0755);
    const std::string file = folder + "/" + name;
    FILE *f = std::fopen(file.c_str(), "w");
    ASSERT_NE(nullptr, f);
    std::fprintf(f, "#!/bin/sh\necho %s > \"$PROBE_OUT\"\n", answer);
    std::fclose(f);
    ASSERT_EQ(0, chmod(file.c_str(), 0755));
}

// Starts a program by its bare name, waits for it and returns what it wrote.
std::string run(const wchar_t *name, const std::string &output)
{
    std::remove(output.c_str());
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = name;
    if (!ShellExecuteExW(&info))
        return "not started";
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    const std::string text = testsupport::readTextFile(output);
    return text.substr(0, text.find('\n'));
}

TEST(ShellSearch, SystemFolderComesAfterTheCallersFolderAndBeforePath)
{
    const std::string folder = testsupport::makeTempFolder(), output = folder + "answer";
    const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    testsupport::setEnvironment("PROBE_OUT", output.c_str());
    testsupport::setEnvironment("WIN32_STANDIN_SYSTEM_DIR", (folder + "system").c_str());
    testsupport::setEnvironment("PATH", (folder + "path:" + oldPath).c_str());
    makeTool(folder + "path", "kestrane-tool", "path");
    makeTool(folder + "system", "kestrane-tool", "system");
    EXPECT_EQ("system", run(L"kestrane-tool.exe", output));
    std::remove((folder + "system/kestrane-tool").c_str());
    EXPECT_EQ("path", run(L"kestrane-tool.exe", output));
    // The probe beside the tests wins over one in the system folder.
    makeTool(folder + "system", "probe", "system");
    EXPECT_EQ("pid=", run(L"probe.exe", output).substr(0, 4));

    testsupport::setEnvironment("PATH", oldPath.c_str());
    testsupport::setEnvironment("WIN32_STANDIN_SYSTEM_DIR", nullptr);
    testsupport::setEnvironment("PROBE_OUT", nullptr);
    testsupport::removeTree(folder);
}

// A process that dies holding a named mutex leaves it abandoned: the next
// waiter in another process takes it over with WAIT_ABANDONED, and the one
// after that finds it plainly free. A live holder keeps it from others.
TEST(StandinMutex, AHolderThatDiesLeavesItAbandonedToTheNextWaiter)
{
    testsupport::ScopedRegistry registry; // the lock files lie beside its file
    const wchar_t name[] = L"Global\\KestraneStandinTest";
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        HANDLE held = CreateMutexExW(nullptr, name, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
        const bool taken = held && WaitForSingleObject(held, 0) == WAIT_OBJECT_0;
        (void)!write(ready[1], taken ? "1" : "0", 1);
        sleep(30); // until killed
        _exit(0);
    }
    char taken = 0;
    ASSERT_EQ(1, read(ready[0], &taken, 1));
    ASSERT_EQ('1', taken);
    HANDLE mutex = CreateMutexExW(nullptr, name, 0, SYNCHRONIZE | MUTEX_MODIFY_STATE);
    ASSERT_NE(nullptr, mutex);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(mutex, 50));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(WAIT_ABANDONED, WaitForSingleObject(mutex, 1000));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(mutex, 0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
    close(ready[0]);
    close(ready[1]);
}

} // namespace
