// The stand-in's registry file shared between processes: what another
// process wrote is seen at once, concurrent writers lose nothing, a killed
// writer never leaves a torn file, and an unreadable file is never replaced.
#include "regfile.h"
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kKey[] = "KestraneStoreTest";

LONG setDword(const char *name, DWORD value)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                              nullptr);
    if (rc != ERROR_SUCCESS)
        return rc;
    rc = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
    RegCloseKey(key);
    return rc;
}

LONG getDword(const char *name, DWORD &value)
{
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    DWORD size = sizeof value;
    rc = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return rc;
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(SharedStore, ChangesOfAnotherWriterAreSeenAtOnce)
{
    testsupport::ScopedRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, setDword("Value", 1));
    DWORD value = 0;
    ASSERT_EQ(ERROR_SUCCESS, getDword("Value", value));
    EXPECT_EQ(1u, value);
    // Another process rewrites the file in place, same length, same second.
    for (DWORD next : {7u, 8u, 9u}) {
        char text[128];
        std::snprintf(text, sizeof text, "REGEDIT4\n\n[HKEY_CLASSES_ROOT\\%s]\n\"Value\"=dword:%08x\n", kKey, next);
        writeFile(registry.file(), text);
        ASSERT_EQ(ERROR_SUCCESS, getDword("Value", value));
        EXPECT_EQ(next, value);
    }
}

TEST(SharedStore, MissingFileIsAnEmptyRegistryAndUnreadableOneIsNeverReplaced)
{
    testsupport::ScopedRegistry registry;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key));

    const std::string garbage = "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=hex:nonsense\n";
    writeFile(registry.file(), garbage);
    EXPECT_EQ(ERROR_BADDB, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BADDB, setDword("Value", 1));
    EXPECT_EQ(DWORD(ERROR_BADDB), SHDeleteKeyA(HKEY_CLASSES_ROOT, "x"));
    EXPECT_EQ(garbage, testsupport::readTextFile(registry.file()));

    // Something there that cannot be read as a file is no empty registry either.
    std::remove(registry.file().c_str());
    ASSERT_EQ(0, mkdir(registry.file().c_str(), 0755));
    EXPECT_EQ(ERROR_BADDB, setDword("Value", 1));
    struct stat st;
    ASSERT_EQ(0, stat(registry.file().c_str(), &st));
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    rmdir(registry.file().c_str());
}

TEST(SharedStore, WritesKeepTheFileModeAndReadOnlyRefuses)
{
    testsupport::ScopedRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, setDword("Value", 1));
    ASSERT_EQ(0, chmod(registry.file().c_str(), 0640));
    ASSERT_EQ(ERROR_SUCCESS, setDword("Value", 2));
    struct stat st;
    ASSERT_EQ(0, stat(registry.file().c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);

    // A key opened for writing before the rights went away cannot write either.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_WRITE, &key));
    ASSERT_TRUE(registry.setWritable(false));
    const DWORD three = 3;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&three), 4));
    RegCloseKey(key);
    DWORD value = 0;
    ASSERT_EQ(ERROR_SUCCESS, getDword("Value", value));
    EXPECT_EQ(2u, value);
    registry.setWritable(true);
}

TEST(SharedStore, KeyDeletedByAnotherWriterIsReported)
{
    testsupport::ScopedRegistry registry;
    ASSERT_EQ(ERROR_SUCCESS, setDword("Value", 1));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ | KEY_WRITE, &key));
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SHDeleteKeyA(HKEY_CLASSES_ROOT, kKey));
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size));
    EXPECT_EQ(ERROR_KEY_DELETED, RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), 4));
    RegCloseKey(key);
}

TEST(SharedStore, WhatItTakesReadsBackFromTheFileAndWhatItCannotHoldIsRefused)
{
    testsupport::ScopedRegistry registry;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Line\nFeed", 0, REG_SZ, reinterpret_cast<const BYTE *>("x"), 2));
    const std::wstring path = L"/tmp/\U0001F3AC/f.ax";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path.c_str()),
                                            DWORD((path.size() + 1) * sizeof(WCHAR))));
    RegCloseKey(key);
    const std::string before = testsupport::readTextFile(registry.file());
    EXPECT_EQ(ERROR_BAD_PATHNAME, RegCreateKeyExA(HKEY_CLASSES_ROOT, "KestraneStoreTest\\Line\nFeed", 0, nullptr,
                                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
    EXPECT_EQ(before, testsupport::readTextFile(registry.file()));

    // A process that reads the file afresh sees every name and character.
    const std::string copy = registry.file() + ".copy";
    writeFile(copy, before);
    testsupport::setEnvironment("WIN32_STANDIN_REGISTRY", copy.c_str());
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key));
    char text[4] = {};
    DWORD size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Line\nFeed", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size));
    EXPECT_STREQ("x", text);
    WCHAR wide[32] = {};
    size = sizeof wide;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Path", nullptr, nullptr, reinterpret_cast<BYTE *>(wide), &size));
    EXPECT_EQ(path, std::wstring(wide));
    RegCloseKey(key);
    testsupport::setEnvironment("WIN32_STANDIN_REGISTRY", registry.file().c_str());
}

TEST(SharedStore, ConcurrentWritersLoseNothing)
{
    testsupport::ScopedRegistry registry;
    const int writers = 4, writes = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0; i < writes; ++i) {
                const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
                if (setDword(name.c_str(), DWORD(i)) != ERROR_SUCCESS)
                    _exit(1);
            }
            _exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < writers; ++w)
        for (int i = 0; i < writes; ++i) {
            const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
            DWORD value = 0xFFFF;
            ASSERT_EQ(ERROR_SUCCESS, getDword(name.c_str(), value)) << name;
            EXPECT_EQ(DWORD(i), value);
        }
}

TEST(SharedStore, AWriterKilledAtAnyMomentLeavesOldOrNewContent)
{
    testsupport::ScopedRegistry registry;
    // A large hive makes each write take long enough to be interrupted.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                             nullptr, &key, nullptr));
    const std::vector<BYTE> blob(60000, 0x5A);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Bulk", 0, REG_BINARY, blob.data(), DWORD(blob.size())));
    RegCloseKey(key);

    std::mt19937 random(12345);
    DWORD lastSeen = 0;
    for (int round = 0; round < 20; ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (DWORD i = lastSeen + 1;; ++i)
                setDword("Sequence", i);
        }
        usleep(useconds_t(2000 + random() % 40000));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);

        standin::RegHive hive;
        std::string error;
        ASSERT_TRUE(standin::parseRegFile(testsupport::readTextFile(registry.file()), hive, &error))
            << "round " << round << ": " << error;
        DWORD value = 0;
        const LONG rc = getDword("Sequence", value);
        ASSERT_TRUE(rc == ERROR_SUCCESS || (rc == ERROR_FILE_NOT_FOUND && lastSeen == 0)) << rc;
        EXPECT_GE(value, lastSeen);
        lastSeen = value;
        DWORD size = 0;
        ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, kKey, 0, KEY_READ, &key));
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Bulk", nullptr, nullptr, nullptr, &size));
        EXPECT_EQ(blob.size(), size);
        RegCloseKey(key);
    }
    EXPECT_GT(lastSeen, 0u);
}

} // namespace
