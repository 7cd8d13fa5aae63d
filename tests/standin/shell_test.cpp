// Where the stand-in's shell finds a program named by its bare file name:
// beside the calling program, then in the system folder, then on PATH.
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

// A program that writes `answer` to the file named by $PROBE_OUT.
void makeTool(const std::string &file, const std::string &answer)
{
    FILE *f = std::fopen(file.c_str(), "w");
    ASSERT_NE(nullptr, f);
    std::fprintf(f, "#!/bin/sh\necho %s > \"$PROBE_OUT\"\n", answer.c_str());
    std::fclose(f);
    ASSERT_EQ(0, chmod(file.c_str(), 0755));
}

class ShellSearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::makeTempFolder();
        output = folder + "answer";
        const char *path = std::getenv("PATH");
        oldPath = path ? path : "";
        ASSERT_EQ(0, mkdir((folder + "system").c_str(), 0755));
        ASSERT_EQ(0, mkdir((folder + "path").c_str(), 0755));
        testsupport::setEnvironment("PROBE_OUT", output.c_str());
        testsupport::setEnvironment("WIN32_STANDIN_SYSTEM_DIR", (folder + "system").c_str());
        testsupport::setEnvironment("PATH", (folder + "path:" + oldPath).c_str());
    }
    void TearDown() override
    {
        testsupport::setEnvironment("PATH", oldPath.c_str());
        testsupport::setEnvironment("WIN32_STANDIN_SYSTEM_DIR", nullptr);
        testsupport::setEnvironment("PROBE_OUT", nullptr);
        testsupport::removeTree(folder);
    }

    // Starts `name` by its bare name, waits for it and returns what it wrote.
    std::string run(const wchar_t *name)
    {
        std::remove(output.c_str());
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = L"open";
        info.lpFile = name;
        info.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&info))
            return "not started";
        WaitForSingleObject(info.hProcess, 10000);
        CloseHandle(info.hProcess);
        std::string text = testsupport::readTextFile(output);
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    std::string folder, output, oldPath;
};

TEST_F(ShellSearch, SystemFolderComesAfterTheCallersFolderAndBeforePath)
{
    makeTool(folder + "path/kestrane-tool", "path");
    makeTool(folder + "system/kestrane-tool", "system");
    EXPECT_EQ("system", run(L"kestrane-tool.exe"));
    std::remove((folder + "system/kestrane-tool").c_str());
    EXPECT_EQ("path", run(L"kestrane-tool.exe"));

    // The probe beside the tests wins over one in the system folder.
    makeTool(folder + "system/probe", "system");
    EXPECT_EQ("pid=", run(L"probe.exe").substr(0, 4));
}

} // namespace
