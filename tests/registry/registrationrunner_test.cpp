// The registration runner with the platform's regsvr32 and a real server
// file. Natively the stand-in regsvr32 also records the exact parameter
// text it was started with.
#include "filterregistrystore.h"
#include "registrationrunner.h"
#include "testkeys.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

using testsupport::widen;

DWORD testServerRegistrations()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::testServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, size = sizeof count;
    RegQueryValueExA(key, "Registrations", nullptr, nullptr, reinterpret_cast<BYTE *>(&count), &size);
    RegCloseKey(key);
    return count;
}

bool waitForRegistrations(DWORD count, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        if (testServerRegistrations() == count)
            return true;
        testsupport::sleepMs(50);
    }
    return testServerRegistrations() == count;
}

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::makeTempFolder();
        trace = folder + "regsvr32.trace";
        testsupport::setEnvironment("REGSVR32_TRACE", trace.c_str());
        testsupport::setEnvironment("TESTSERVER_SLEEP_MS", nullptr);
        SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey);
        server = testsupport::programFolder() + "TestServer.ax";
    }
    void TearDown() override
    {
        testsupport::setEnvironment("REGSVR32_TRACE", nullptr);
        testsupport::setEnvironment("TESTSERVER_SLEEP_MS", nullptr);
        SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey);
        testsupport::removeTree(folder);
    }

    // Where regsvr32 records its parameter text, the last run's must be this.
    void expectParameters(const std::string &expected)
    {
        if (testsupport::regsvr32Traces()) {
            EXPECT_EQ(expected, lastParameters());
        }
    }

    // The parameter text of the last regsvr32 run, from its trace.
    std::string lastParameters()
    {
        std::string text = testsupport::readTextFile(trace);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const size_t line = text.rfind('\n');
        text = line == std::string::npos ? text : text.substr(line + 1);
        return text.compare(0, 7, "params=") == 0 ? text.substr(7) : std::string();
    }

    testsupport::ScopedRegistry registry;
    std::string folder, trace, server;
};

TEST_F(RunnerTest, RegistersAndUnregistersSilently)
{
    ASSERT_EQ(0, runRegsvr32(nullptr, true, widen(server).c_str(), true));
    EXPECT_TRUE(waitForRegistrations(1, 5000));
    expectParameters("/s \"" + server + "\"");

    ASSERT_EQ(0, runRegsvr32(nullptr, false, widen(server).c_str(), true));
    EXPECT_TRUE(waitForRegistrations(0, 5000));
    expectParameters("/u /s \"" + server + "\"");
}

TEST_F(RunnerTest, WithoutTheSilentSwitchRegsvr32ShowsItsResult)
{
    testsupport::UiCapture capture;
    ASSERT_EQ(0, runRegsvr32(nullptr, true, widen(server).c_str(), false));
    EXPECT_TRUE(waitForRegistrations(1, 5000));
    expectParameters("\"" + server + "\"");
    ASSERT_EQ(0, runRegsvr32(nullptr, false, widen(server).c_str(), false));
    EXPECT_TRUE(waitForRegistrations(0, 5000));
    expectParameters("/u \"" + server + "\"");
    testsupport::sleepMs(300);
    capture.finish();
    if (testsupport::regsvr32Traces()) {
        EXPECT_EQ(2u, capture.messageBoxes().size()); // natively the boxes show on standard error
    }
}

TEST_F(RunnerTest, DisplayPrefixIsStrippedFromTheLocation)
{
    const std::wstring cell = std::wstring(invalidPathPrefix) + widen(server);
    ASSERT_EQ(0, runRegsvr32(nullptr, true, cell.c_str(), true));
    EXPECT_TRUE(waitForRegistrations(1, 5000));
    expectParameters("/s \"" + server + "\"");
}

TEST_F(RunnerTest, BadPathsAreRefusedBeforeAnythingStarts)
{
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, runRegsvr32(nullptr, true, nullptr, true));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, runRegsvr32(nullptr, true, L"", true));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, runRegsvr32(nullptr, true, L"<Unknown>", true));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, runRegsvr32(nullptr, true, widen(server + ".missing").c_str(), true));
    const std::wstring prefixedMissing = std::wstring(invalidPathPrefix) + widen(server + ".missing");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, runRegsvr32(nullptr, false, prefixedMissing.c_str(), true));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, runRegsvr32(nullptr, true, widen(folder).c_str(), true)); // a folder
    testsupport::sleepMs(200);
    EXPECT_FALSE(testsupport::waitForFile(trace, 0));
    EXPECT_EQ(0u, testServerRegistrations());
}

TEST_F(RunnerTest, PathThatWouldBreakItsQuotesIsRefused)
{
    // A quote would smuggle switches in; a trailing backslash would escape
    // the closing quote.
    const std::string sneaky = folder + "evil\" \\u \"x.ax";
    const std::string escaping = folder + "x.ax\\";
    for (const std::string &p : {sneaky, escaping}) {
        FILE *f = std::fopen(p.c_str(), "w");
        if (!f)
            GTEST_SKIP() << "this file system forbids quotes and trailing backslashes in file names";
        std::fclose(f);
        EXPECT_EQ(statusPathHasQuote, runRegsvr32(nullptr, true, widen(p).c_str(), true)) << p;
    }
    testsupport::sleepMs(200);
    EXPECT_FALSE(testsupport::waitForFile(trace, 0));
}

TEST_F(RunnerTest, PathsUpToTheSystemLimitAreRunAndLongerOnesRefused)
{
    // regsvr32 loads servers of fewer than 260 characters; the parameter
    // text around such a path is longer than that, and must not cut it.
    std::string made = folder;
    while (made.size() < 200)
        made += "d123456789/";
    std::error_code error;
    std::filesystem::create_directories(made, error);
    const std::string longest = made + std::string(259 - made.size(), 'f');
    const std::string tooLong = made + std::string(260 - made.size(), 'g');
    EXPECT_EQ(statusPathTooLong, runRegsvr32(nullptr, false, widen(tooLong).c_str(), true));
    FILE *f = std::fopen(longest.c_str(), "w");
    if (!f)
        GTEST_SKIP() << "this platform cannot create a path of 259 characters";
    std::fclose(f);
    EXPECT_EQ(0, runRegsvr32(nullptr, false, widen(longest).c_str(), true));
    expectParameters("/u /s \"" + longest + "\"");
}

TEST_F(RunnerTest, ToolStillRunningAfterThreeSecondsIsLeftRunning)
{
    testsupport::setEnvironment("TESTSERVER_SLEEP_MS", "4500");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0, runRegsvr32(nullptr, true, widen(server).c_str(), true));
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(elapsed.count(), 2900);
    EXPECT_LT(elapsed.count(), 4400);
    // The server has not finished yet, and finishes on its own afterwards.
    EXPECT_EQ(0u, testServerRegistrations());
    EXPECT_TRUE(waitForRegistrations(1, 8000));
}

TEST(FileExists, OnlyFilesNotFolders)
{
    EXPECT_FALSE(fileExists(nullptr));
    EXPECT_FALSE(fileExists(L""));
    const std::string folder = testsupport::makeTempFolder();
    EXPECT_FALSE(fileExists(widen(folder).c_str()));
    const std::string file = folder + "a.ax";
    std::fclose(std::fopen(file.c_str(), "w"));
    EXPECT_TRUE(fileExists(widen(file).c_str()));
    testsupport::removeTree(folder);
}

class RemoveRegistrationTest : public ::testing::Test {
protected:
    void createKey(const std::string &path)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        RegCloseKey(key);
    }
    bool keyExists(const std::string &path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
    void registerFilter(const char *clsid)
    {
        createKey(std::string(legacyFilterInstancePrefix) + clsid + "\\Sub");
        createKey(std::string("CLSID\\") + clsid + "\\InprocServer32");
    }

    testsupport::ScopedRegistry registry;
};

TEST_F(RemoveRegistrationTest, RemovesInstanceAndClassKeysWithTheirSubtrees)
{
    registerFilter(testkeys::testFilterClsid);
    registerFilter(testkeys::otherFilterClsid);
    KnownFilter entry = {};
    std::strcpy(entry.clsid, testkeys::testFilterClsid);
    EXPECT_EQ(0, removeFilterRegistration(&entry, testkeys::otherFilterClsid)); // the entry wins
    EXPECT_FALSE(keyExists(std::string(legacyFilterInstancePrefix) + testkeys::testFilterClsid));
    EXPECT_FALSE(keyExists(std::string("CLSID\\") + testkeys::testFilterClsid));
    EXPECT_TRUE(keyExists(std::string(legacyFilterInstancePrefix) + testkeys::otherFilterClsid));
    EXPECT_TRUE(keyExists(std::string("CLSID\\") + testkeys::otherFilterClsid + "\\InprocServer32"));
    EXPECT_EQ(0, removeFilterRegistration(nullptr, testkeys::otherFilterClsid));
    EXPECT_FALSE(keyExists(std::string("CLSID\\") + testkeys::otherFilterClsid));
}

TEST_F(RemoveRegistrationTest, MissingInstanceKeyKeepsTheClassKey)
{
    createKey(std::string(legacyFilterInstancePrefix) + testkeys::otherFilterClsid);
    createKey(std::string("CLSID\\") + testkeys::testFilterClsid + "\\InprocServer32");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, removeFilterRegistration(nullptr, testkeys::testFilterClsid));
    EXPECT_TRUE(keyExists(std::string("CLSID\\") + testkeys::testFilterClsid + "\\InprocServer32"));
}

TEST_F(RemoveRegistrationTest, UnusableClsidsOpenNoKey)
{
    registerFilter(testkeys::testFilterClsid);
    // An unreadable registry would fail any open: these fail before one.
    const std::string file = registry.file();
    if (!file.empty()) {
        FILE *f = std::fopen(file.c_str(), "wb");
        std::fputs("not a registry file\n", f);
        std::fclose(f);
    }
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, removeFilterRegistration(nullptr, nullptr));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, removeFilterRegistration(nullptr, ""));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, removeFilterRegistration(nullptr, "..\\CLSID"));
    if (!file.empty()) {
        EXPECT_EQ(ERROR_BADDB, removeFilterRegistration(nullptr, testkeys::testFilterClsid));
    }
}

TEST_F(RemoveRegistrationTest, WithoutRightsNothingIsRemoved)
{
    registerFilter(testkeys::testFilterClsid);
    if (!registry.setWritable(false))
        GTEST_SKIP() << "this platform cannot take write access away from a test";
    EXPECT_EQ(ERROR_ACCESS_DENIED, removeFilterRegistration(nullptr, testkeys::testFilterClsid));
    EXPECT_TRUE(keyExists(std::string(legacyFilterInstancePrefix) + testkeys::testFilterClsid));
    registry.setWritable(true);
}

} // namespace
