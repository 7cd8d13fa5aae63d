// The Win32 behaviours this system relies on, stated once. The same source
// runs against the stand-in and, built for Windows, against Wine's real API:
// where the two differ, the stand-in is wrong.
#include "testkeys.h"
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

namespace {

const BYTE kSentinel = 0xA5;

// A key below the tests' sandbox key.
std::string sandboxPath(const char *below)
{
    return std::string(testkeys::sandboxKey) + "\\" + below;
}

// The sandbox key's name in upper or lower case only.
std::string sandboxInCase(bool upper)
{
    std::string name = testkeys::sandboxKey;
    for (char &c : name)
        c = char(upper ? std::toupper(static_cast<unsigned char>(c)) : std::tolower(static_cast<unsigned char>(c)));
    return name;
}

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override { SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey); }
    void TearDown() override { SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey); }

    HKEY createKey(const char *subKey, REGSAM sam = KEY_READ | KEY_WRITE)
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 sam, nullptr, &key, &disposition));
        return key;
    }

    void setValue(HKEY key, const char *name, DWORD type, const void *data, DWORD size)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
    }

    testsupport::ScopedRegistry registry;
};

TEST_F(RegistryContract, CreateReportsDispositionAndNamesIgnoreCase)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, sandboxPath("Inner").c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition));
    EXPECT_EQ(DWORD(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(key);
    const std::string lowerInner = sandboxInCase(false) + "\\INNER", upperInner = sandboxInCase(true) + "\\inner";
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, lowerInner.c_str(), 0, nullptr,
                                             REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, &disposition));
    EXPECT_EQ(DWORD(REG_OPENED_EXISTING_KEY), disposition);
    setValue(key, "FilterData", REG_DWORD, "\x01\x02\x03\x04", 4);
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, upperInner.c_str(), 0, KEY_READ, &key));
    DWORD value = 0, size = sizeof value, type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "filterDATA", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size));
    EXPECT_EQ(DWORD(REG_DWORD), type);
    EXPECT_EQ(0x04030201u, value);
    RegCloseKey(key);

    HKEY wide = nullptr;
    const std::wstring wideInner = testsupport::widen(sandboxPath("Inner"));
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CLASSES_ROOT, wideInner.c_str(), 0, KEY_READ, &wide));
    RegCloseKey(wide);
}

// A change notification is asynchronous and once per request: the event is
// set by the next change of the key's subtree (this process's own included)
// and stays quiet until then.
TEST_F(RegistryContract, ChangeNotificationSetsItsEventOncePerRequest)
{
    HKEY key = createKey(testkeys::sandboxKey);
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(nullptr, event);
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegNotifyChangeKeyValue(key, TRUE, filter, nullptr, TRUE));
    ASSERT_EQ(ERROR_SUCCESS, RegNotifyChangeKeyValue(key, TRUE, filter, event, TRUE));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 150));
    HKEY below = createKey(sandboxPath("Below").c_str());
    const DWORD value = 7;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(below, "V", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), 4));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 3000));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(event, 150)) << "an auto-reset event lets one wait through";
    EXPECT_TRUE(SetEvent(event));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(event, 0));
    RegCloseKey(below);
    RegCloseKey(key);
    EXPECT_TRUE(CloseHandle(event));
}

TEST_F(RegistryContract, SubkeysEnumerateInNameOrderWithoutCase)
{
    for (const char *name : {"b2", "A1", "c3", "B1"})
        RegCloseKey(createKey(sandboxPath(name).c_str()));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_READ, &key));
    std::vector<std::string> names;
    char name[16];
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name) {
        EXPECT_EQ(std::strlen(name), size_t(length));
        names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"A1", "B1", "b2", "c3"}), names);
    length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExA(key, 4, name, &length, nullptr, nullptr, nullptr, nullptr));
    length = 2; // "A1" needs its terminator too
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    // A key added meanwhile takes its place in the order.
    RegCloseKey(createKey(sandboxPath("a2").c_str()));
    length = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("a2", name);
    RegCloseKey(key);
}

TEST_F(RegistryContract, MissingKeysAndValuesAreFileNotFound)
{
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    const std::string missing = sandboxPath("Missing");
    const std::wstring wideSandbox = testsupport::widen(testkeys::sandboxKey);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, missing.c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CLASSES_ROOT, wideSandbox.c_str(), 0, KEY_READ, &key));

    key = createKey(testkeys::sandboxKey);
    BYTE data[8];
    std::memset(data, kSentinel, sizeof data);
    DWORD size = sizeof data, type = 0xDEAD;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Missing", nullptr, &type, data, &size));
    EXPECT_EQ(kSentinel, data[0]);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"Missing", nullptr, &type, data, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, nullptr, nullptr, &type, data, &size)); // no default value
    RegCloseKey(key);
}

TEST_F(RegistryContract, NarrowStringQuerySizesAndBuffers)
{
    HKEY key = createKey(testkeys::sandboxKey);
    setValue(key, "FriendlyName", REG_SZ, "Filter", 7);

    DWORD type = 0, size = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FriendlyName", nullptr, &type, nullptr, &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(7u, size); // the terminator counts

    char small[6];
    std::memset(small, kSentinel, sizeof small);
    size = sizeof small;
    type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "FriendlyName", nullptr, &type, reinterpret_cast<BYTE *>(small), &size));
    EXPECT_EQ(7u, size);

    char exact[8];
    std::memset(exact, kSentinel, sizeof exact);
    size = 7;
    type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FriendlyName", nullptr, &type, reinterpret_cast<BYTE *>(exact), &size));
    EXPECT_EQ(7u, size);
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_STREQ("Filter", exact);
    EXPECT_EQ(char(kSentinel), exact[7]); // nothing written past the value

    char large[64];
    std::memset(large, kSentinel, sizeof large);
    size = sizeof large;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FriendlyName", nullptr, nullptr, reinterpret_cast<BYTE *>(large), &size));
    EXPECT_EQ(7u, size);
    EXPECT_STREQ("Filter", large);
    RegCloseKey(key);
}

TEST_F(RegistryContract, BinaryQueryLeavesSmallBufferUntouched)
{
    HKEY key = createKey(testkeys::sandboxKey);
    const BYTE blob[10] = {2, 0, 0, 0, 1, 0, 0x60, 0, 9, 8};
    setValue(key, "FilterData", REG_BINARY, blob, sizeof blob);

    BYTE small[4];
    std::memset(small, kSentinel, sizeof small);
    DWORD size = sizeof small, type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "FilterData", nullptr, &type, small, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(DWORD(REG_BINARY), type);
    for (BYTE b : small)
        EXPECT_EQ(kSentinel, b);

    BYTE exact[11];
    std::memset(exact, kSentinel, sizeof exact);
    size = 10;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FilterData", nullptr, &type, exact, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(0, std::memcmp(blob, exact, sizeof blob));
    EXPECT_EQ(kSentinel, exact[10]);

    // Setting again replaces type and length.
    setValue(key, "FilterData", REG_BINARY, blob, 3);
    size = sizeof exact;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FilterData", nullptr, &type, exact, &size));
    EXPECT_EQ(3u, size);
    RegCloseKey(key);
}

TEST_F(RegistryContract, WideQueryCountsWideCharacters)
{
    HKEY key = createKey(testkeys::sandboxKey);
    const WCHAR path[] = L"C:\\Filters\\demo.ax";
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path));
    const char expand[] = "%SystemRoot%\\x.ax";
    setValue(key, "Expand", REG_EXPAND_SZ, expand, sizeof expand);

    const DWORD expected = DWORD(sizeof path); // 19 characters and the terminator
    WCHAR buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), WCHAR(0x2A2A));
    DWORD size = 0, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"", nullptr, &type, nullptr, &size));
    EXPECT_EQ(expected, size);

    size = expected - sizeof(WCHAR);
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(expected, size);

    size = expected;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(expected, size);
    EXPECT_EQ(std::wstring(path), std::wstring(buffer));
    EXPECT_EQ(WCHAR(0x2A2A), buffer[20]);

    // The narrow value reads back wide, with its type.
    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Expand", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(DWORD(REG_EXPAND_SZ), type);
    EXPECT_EQ(DWORD(sizeof expand * sizeof(WCHAR)), size);
    EXPECT_EQ(std::wstring(L"%SystemRoot%\\x.ax"), std::wstring(buffer));
    RegCloseKey(key);
}

// Each value once, with its name, type and size; the order is the
// registry's own (Wine sorts, Windows keeps the order of setting).
TEST_F(RegistryContract, ValuesEnumerateWideWithTheirTypesAndSizes)
{
    HKEY key = createKey(testkeys::sandboxKey);
    const WCHAR high[] = L"high";
    const DWORD merit = 0x00600000;
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"{6513270E-269E-4D37-B2A7-4DE452E6B438}", 0, REG_SZ,
                                            reinterpret_cast<const BYTE *>(high), sizeof high));
    setValue(key, "Merit", REG_DWORD, &merit, sizeof merit);
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Z\u00e9", 0, REG_SZ, reinterpret_cast<const BYTE *>(high), sizeof high));

    std::vector<std::wstring> seen;
    for (DWORD index = 0;; ++index) {
        WCHAR name[64];
        DWORD length = 64, type = 0, size = 0;
        const LONG rc = RegEnumValueW(key, index, name, &length, nullptr, &type, nullptr, &size);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        ASSERT_EQ(ERROR_SUCCESS, rc);
        ASSERT_EQ(std::wcslen(name), size_t(length));
        seen.push_back(name);
        EXPECT_EQ(DWORD(seen.back() == L"Merit" ? REG_DWORD : REG_SZ), type);
        EXPECT_EQ(DWORD(seen.back() == L"Merit" ? sizeof merit : sizeof high), size);
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::vector<std::wstring>({L"Merit", L"Z\u00e9", L"{6513270E-269E-4D37-B2A7-4DE452E6B438}"}), seen);

    // A name or data that does not fit.
    WCHAR name[64];
    BYTE data[64];
    DWORD length = 3, type = 0, size = sizeof data;
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, 0, name, &length, nullptr, &type, data, &size));
    for (DWORD index = 0; index < 3; ++index) {
        length = 64;
        size = 2;
        EXPECT_EQ(ERROR_MORE_DATA, RegEnumValueW(key, index, name, &length, nullptr, &type, data, &size));
        EXPECT_GE(size, DWORD(sizeof merit));
    }
    RegCloseKey(key);
}

TEST_F(RegistryContract, CharactersBeyondTheBmpRoundTripWide)
{
    HKEY key = createKey(testkeys::sandboxKey);
    // U+1F3AC: a surrogate pair in 16-bit wide text, one unit in 32-bit.
    const WCHAR path[] = L"C:\\\U0001F3AC\\f.ax";
    const WCHAR name[] = L"n\U0001F3ACm";
    const WCHAR lone[] = {L'a', WCHAR(0xD800), L'b', 0}; // no character, yet kept
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE *>(path), sizeof path));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"Lone", 0, REG_SZ, reinterpret_cast<const BYTE *>(lone), sizeof lone));

    WCHAR buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), WCHAR(0x2A2A));
    DWORD size = sizeof buffer, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(DWORD(sizeof path), size);
    EXPECT_EQ(std::wstring(path), std::wstring(buffer));
    EXPECT_EQ(WCHAR(0x2A2A), buffer[sizeof path / sizeof(WCHAR)]);
    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Lone", nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size));
    EXPECT_EQ(DWORD(sizeof lone), size);
    EXPECT_EQ(std::wstring(lone), std::wstring(buffer));

    // The narrow functions show each 16-bit unit the code page lacks as '?'.
    char narrow[32];
    std::memset(narrow, kSentinel, sizeof narrow);
    size = sizeof narrow;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE *>(narrow), &size));
    EXPECT_EQ(11u, size);
    EXPECT_STREQ("C:\\??\\f.ax", narrow);
    RegCloseKey(key);
}

TEST_F(RegistryContract, NamesWithLineBreaksReadBackOrAreRefused)
{
    HKEY key = createKey(testkeys::sandboxKey);
    setValue(key, "v\nw", REG_SZ, "lf", 3);
    setValue(key, "v\rw", REG_SZ, "cr", 3);
    for (const char *name : {"v\nw", "v\rw"}) {
        char data[8];
        DWORD size = sizeof data;
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE *>(data), &size));
        EXPECT_EQ(3u, size);
        EXPECT_STREQ(name[1] == '\n' ? "lf" : "cr", data);
    }
    RegCloseKey(key);
    RegCloseKey(createKey(sandboxPath("c\rd").c_str()));
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, sandboxPath("c\rd").c_str(), 0, KEY_READ, &opened));
    RegCloseKey(opened);

    // Windows (and Wine) take a line feed in a key name. The stand-in's file
    // cannot hold one and refuses it as a bad path. Either way the registry
    // keeps working.
    const std::string lineFeedKey = sandboxPath("a\nb");
    const LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, lineFeedKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_WRITE, nullptr, &opened, nullptr);
#ifdef _WIN32
    ASSERT_EQ(ERROR_SUCCESS, rc);
    RegCloseKey(opened);
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, lineFeedKey.c_str(), 0, KEY_READ, &opened));
    RegCloseKey(opened);
#else
    EXPECT_EQ(ERROR_BAD_PATHNAME, rc);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, lineFeedKey.c_str(), 0, KEY_READ, &opened));
#endif
    key = createKey(sandboxPath("After").c_str());
    setValue(key, "FilterData", REG_BINARY, "\x02\x00", 2);
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, sandboxPath("After").c_str(), 0, KEY_READ, &opened));
    RegCloseKey(opened);
}

TEST_F(RegistryContract, KeyOpenedForReadingCannotWrite)
{
    RegCloseKey(createKey(testkeys::sandboxKey));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegSetValueExA(key, "x", 0, REG_BINARY, reinterpret_cast<const BYTE *>("a"), 1));
    RegCloseKey(key);
}

TEST_F(RegistryContract, SHDeleteKeyRemovesTheWholeSubtree)
{
    RegCloseKey(createKey(sandboxPath("A\\B\\C").c_str()));
    HKEY a = createKey(sandboxPath("A").c_str());
    setValue(a, "v", REG_SZ, "x", 2);
    RegCloseKey(a);
    RegCloseKey(createKey(sandboxPath("Sibling").c_str()));

    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_ALL_ACCESS, &parent));
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SHDeleteKeyA(parent, "a"));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), SHDeleteKeyA(parent, "A"));
    RegCloseKey(parent);

    HKEY key = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, sandboxPath("A\\B\\C").c_str(), 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, sandboxPath("A").c_str(), 0, KEY_READ, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, sandboxPath("Sibling").c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryContract, WriteOpenIsRefusedWithoutRights)
{
    HKEY key = createKey(testkeys::sandboxKey);
    setValue(key, "FilterData", REG_BINARY, "\x02\x00\x00\x00\x00\x00\x60\x00", 8);
    RegCloseKey(key);
    if (!registry.setWritable(false))
        GTEST_SKIP() << "this platform cannot take write access away from a test";

    key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_READ | KEY_WRITE, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_CLASSES_ROOT, sandboxPath("New").c_str(), 0, nullptr,
                                                   REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
    EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey));
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::sandboxKey, 0, KEY_READ, &key)); // reading still works
    BYTE data[8];
    DWORD size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FilterData", nullptr, nullptr, data, &size));
    RegCloseKey(key);
    registry.setWritable(true);
}

// --- The 32-bit and 64-bit registry views ----------------------------------

// The tests' keys in both views, seen from this 64-bit program: the 32-bit
// view's copies lie below WOW6432Node.
const std::string kClass32 = std::string("WOW6432Node\\") + testkeys::viewTestClassKey;
const std::string kSoftware32 = "SOFTWARE\\WOW6432Node\\KestraneContractTest";

class RegistryViewContract : public ::testing::Test {
protected:
    void SetUp() override { wipe(); }
    void TearDown() override { wipe(); }

    static void wipe()
    {
        SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::viewTestClassKey);
        SHDeleteKeyA(HKEY_CLASSES_ROOT, kClass32.c_str());
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, testkeys::viewTestSoftwareKey);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kSoftware32.c_str());
    }

    static void write(HKEY root, const std::string &subKey, REGSAM view, const char *text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_READ | KEY_WRITE | view, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "View", 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                                                DWORD(std::strlen(text) + 1)));
        RegCloseKey(key);
    }

    // The "View" value of a key, or "error <n>" when the key cannot be opened.
    static std::string read(HKEY root, const std::string &subKey, REGSAM view)
    {
        HKEY key = nullptr;
        const LONG rc = RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | view, &key);
        if (rc != ERROR_SUCCESS)
            return "error " + std::to_string(rc);
        char text[32] = {};
        DWORD size = sizeof text - 1;
        const LONG queried = RegQueryValueExA(key, "View", nullptr, nullptr, reinterpret_cast<BYTE *>(text), &size);
        RegCloseKey(key);
        return queried == ERROR_SUCCESS ? std::string(text) : "value error " + std::to_string(queried);
    }

    testsupport::ScopedRegistry registry;
};

TEST_F(RegistryViewContract, EachViewHoldsItsOwnClassKey)
{
    const std::string classKey = testkeys::viewTestClassKey;
    write(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_32KEY, "32");
    EXPECT_EQ("error 2", read(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_64KEY));
    write(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_64KEY, "64");
    EXPECT_EQ("32", read(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_32KEY));
    EXPECT_EQ("64", read(HKEY_CLASSES_ROOT, classKey, KEY_WOW64_64KEY));
    EXPECT_EQ("64", read(HKEY_CLASSES_ROOT, classKey, 0)); // this program's own view
    // The 64-bit view shows the 32-bit one's key below WOW6432Node.
    EXPECT_EQ("32", read(HKEY_CLASSES_ROOT, kClass32, KEY_WOW64_64KEY));
    EXPECT_EQ("32", read(HKEY_CLASSES_ROOT, "wow6432node\\" + classKey, 0));
}

TEST_F(RegistryViewContract, HandleOpenedInAViewKeepsItForWhatLiesBelow)
{
    const std::string guid = std::string(testkeys::viewTestClassKey).substr(6);
    write(HKEY_CLASSES_ROOT, testkeys::viewTestClassKey, KEY_WOW64_64KEY, "64");
    HKEY classes32 = nullptr;
    // Created, not opened: the stand-in's fresh registry has no CLSID key yet.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &classes32, nullptr));
    write(classes32, guid + "\\Sub", 0, "32 below");
    EXPECT_EQ("32 below", read(HKEY_CLASSES_ROOT, kClass32 + "\\Sub", KEY_WOW64_64KEY));
    EXPECT_EQ("error 2", read(HKEY_CLASSES_ROOT, std::string(testkeys::viewTestClassKey) + "\\Sub", KEY_WOW64_64KEY));
    // Even the other view's flag does not take a handle out of its view.
    EXPECT_EQ("value error 2", read(classes32, guid, KEY_WOW64_64KEY));

    bool listed = false;
    char name[64];
    DWORD length = sizeof name;
    for (DWORD i = 0; !listed && RegEnumKeyExA(classes32, i, name, &length, nullptr, nullptr, nullptr, nullptr)
                                     == ERROR_SUCCESS;
         ++i, length = sizeof name)
        listed = guid == name;
    EXPECT_TRUE(listed);

    EXPECT_EQ(DWORD(ERROR_SUCCESS), SHDeleteKeyA(classes32, guid.c_str()));
    RegCloseKey(classes32);
    EXPECT_EQ("error 2", read(HKEY_CLASSES_ROOT, kClass32, KEY_WOW64_64KEY));
    EXPECT_EQ("64", read(HKEY_CLASSES_ROOT, testkeys::viewTestClassKey, KEY_WOW64_64KEY));
}

TEST_F(RegistryViewContract, LocalMachineSoftwareIsRedirected)
{
    const std::string software = testkeys::viewTestSoftwareKey;
    write(HKEY_LOCAL_MACHINE, software, KEY_WOW64_32KEY, "32");
    EXPECT_EQ("error 2", read(HKEY_LOCAL_MACHINE, software, KEY_WOW64_64KEY));
    EXPECT_EQ("32", read(HKEY_LOCAL_MACHINE, kSoftware32, KEY_WOW64_64KEY));
    write(HKEY_LOCAL_MACHINE, software, KEY_WOW64_64KEY, "64");
    EXPECT_EQ("64", read(HKEY_LOCAL_MACHINE, "software\\KestraneContractTest", KEY_WOW64_64KEY));

    HKEY software32 = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ | KEY_WOW64_32KEY, &software32));
    EXPECT_EQ("32", read(software32, "KestraneContractTest", 0));
    RegCloseKey(software32);
}

TEST(SystemFolderContract, FoldersAnswerWithWindowsLengthConventions)
{
    for (auto query : {GetSystemDirectoryW, GetSystemWow64DirectoryW}) {
        WCHAR folder[MAX_PATH + 1];
        SetLastError(0xDEAD);
        const UINT length = query(folder, MAX_PATH + 1);
        ASSERT_GT(length, 0u);
        EXPECT_EQ(size_t(length), std::wcslen(folder));
        EXPECT_EQ(DWORD(0xDEAD), GetLastError());
        EXPECT_EQ(length + 1, query(nullptr, 0));
        WCHAR small[MAX_PATH + 1];
        std::fill(std::begin(small), std::end(small), WCHAR(0x2A2A));
        EXPECT_EQ(length + 1, query(small, length)); // no room for the terminator
        EXPECT_EQ(WCHAR(0x2A2A), small[0]);
        EXPECT_EQ(length, query(small, length + 1));
        EXPECT_EQ(std::wstring(folder), std::wstring(small));
    }
    WCHAR system[MAX_PATH + 1], wow64[MAX_PATH + 1];
    GetSystemDirectoryW(system, MAX_PATH + 1);
    GetSystemWow64DirectoryW(wow64, MAX_PATH + 1);
    EXPECT_NE(std::wstring(system), std::wstring(wow64));
}

// --- Shell, processes, files and user output --------------------------------

std::vector<std::string> probeArguments(const std::string &output)
{
    std::vector<std::string> args;
    const std::string text = testsupport::readTextFile(output);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.compare(0, 4, "arg=") == 0)
            args.push_back(line.substr(4));
        start = end + 1;
    }
    return args;
}

long probePid(const std::string &output)
{
    const std::string text = testsupport::readTextFile(output);
    return text.compare(0, 4, "pid=") == 0 ? std::stol(text.substr(4)) : -1;
}

class ShellContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::makeTempFolder();
        output = folder + "probe.txt";
        testsupport::setEnvironment("PROBE_OUT", output.c_str());
        testsupport::setEnvironment("PROBE_SLEEP_MS", nullptr);
    }
    void TearDown() override
    {
        testsupport::setEnvironment("PROBE_OUT", nullptr);
        testsupport::setEnvironment("PROBE_SLEEP_MS", nullptr);
        testsupport::removeTree(folder);
    }

    // Starts a program by its bare name, keeping its process handle.
    static BOOL start(const wchar_t *file, const wchar_t *parameters, SHELLEXECUTEINFOW &info)
    {
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = L"open";
        info.lpFile = file;
        info.lpParameters = parameters;
        info.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&info);
    }
    static BOOL startProbe(const wchar_t *parameters, SHELLEXECUTEINFOW &info)
    {
        return start(L"probe.exe", parameters, info);
    }

    std::string folder;
    std::string output;
};

TEST_F(ShellContract, StartsAProgramBesideTheCallerWithWindowsArgumentRules)
{
    SHELLEXECUTEINFOW info;
    ASSERT_TRUE(startProbe(L"one \"two three\" a\\\"b x\\\\y \"q\\\\\"", info));
    EXPECT_GT(reinterpret_cast<INT_PTR>(info.hInstApp), 32);
    ASSERT_NE(nullptr, info.hProcess);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 10000));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    ASSERT_TRUE(testsupport::waitForFile(output, 5000));
    const std::vector<std::string> expected = {"one", "two three", "a\"b", "x\\\\y", "q\\"};
    EXPECT_EQ(expected, probeArguments(output));
}

TEST_F(ShellContract, WaitTimesOutWhileTheProgramRunsAndClosingLeavesItRunning)
{
    testsupport::setEnvironment("PROBE_SLEEP_MS", "1500");
    SHELLEXECUTEINFOW info;
    ASSERT_TRUE(startProbe(nullptr, info));
    ASSERT_NE(nullptr, info.hProcess);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(info.hProcess, 100));
    ASSERT_TRUE(testsupport::waitForFile(output, 5000));
    const long pid = probePid(output);
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_TRUE(testsupport::processRunning(pid));
    // It ends on its own, and nothing of it is left behind.
    for (int i = 0; i < 250 && testsupport::processRunning(pid); ++i)
        testsupport::sleepMs(20);
    EXPECT_FALSE(testsupport::processRunning(pid));
}

TEST_F(ShellContract, WaitReturnsAtOnceWhenTheProgramHasEnded)
{
    SHELLEXECUTEINFOW info;
    ASSERT_TRUE(startProbe(nullptr, info));
    ASSERT_TRUE(testsupport::waitForFile(output, 5000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 5000));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 0));
    CloseHandle(info.hProcess);
}

TEST_F(ShellContract, MissingProgramFailsWithFileNotFound)
{
    SHELLEXECUTEINFOW info;
    EXPECT_FALSE(start(L"kestrane-no-such-program.exe", nullptr, info));
    EXPECT_EQ(SE_ERR_FNF, reinterpret_cast<INT_PTR>(info.hInstApp));
    EXPECT_EQ(nullptr, info.hProcess);
}

TEST_F(ShellContract, SystemFolderAndBackslashNameTheSystemRegsvr32)
{
    WCHAR system[MAX_PATH + 1];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH + 1), 0u);
    const std::wstring tool = std::wstring(system) + L"\\regsvr32.exe";
    SHELLEXECUTEINFOW info;
    ASSERT_TRUE(start(tool.c_str(), L"/s kestrane-no-such-server.ax", info));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(info.hProcess, 30000));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_NE(0u, code); // it ran, and could not load what does not exist
    CloseHandle(info.hProcess);
}

TEST_F(ShellContract, ShellExecuteAReportsStartAndFailure)
{
    testsupport::UiCapture capture; // dismisses a box the shell may raise
    EXPECT_GT(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "probe.exe", "alpha", nullptr, SW_SHOWNORMAL)), 32);
    ASSERT_TRUE(testsupport::waitForFile(output, 5000));
    EXPECT_EQ(std::vector<std::string>{"alpha"}, probeArguments(output));
    EXPECT_LE(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "kestrane-no-such-program.exe", nullptr,
                                                     nullptr, SW_SHOWNORMAL)), 32);
    capture.finish();
}

TEST(FileContract, WideOpenReadsFilesButNotFolders)
{
    const std::string folder = testsupport::makeTempFolder();
    const std::string file = folder + "server.ax";
    FILE *f = std::fopen(file.c_str(), "w");
    ASSERT_NE(nullptr, f);
    std::fclose(f);
    const std::wstring wideFile(file.begin(), file.end());
    const std::wstring wideFolder(folder.begin(), folder.end() - 1);
    const std::wstring backslashed = wideFolder + L"\\server.ax"; // Windows takes both separators

    f = reinterpret_cast<FILE *>(0x1);
    EXPECT_EQ(0, _wfopen_s(&f, wideFile.c_str(), L"r"));
    ASSERT_NE(nullptr, f);
    std::fclose(f);

    f = nullptr;
    EXPECT_EQ(0, _wfopen_s(&f, backslashed.c_str(), L"r"));
    ASSERT_NE(nullptr, f);
    std::fclose(f);

    f = reinterpret_cast<FILE *>(0x1);
    EXPECT_NE(0, _wfopen_s(&f, (wideFile + L".missing").c_str(), L"r"));
    EXPECT_EQ(nullptr, f);
    f = reinterpret_cast<FILE *>(0x1);
    EXPECT_NE(0, _wfopen_s(&f, wideFolder.c_str(), L"r"));
    EXPECT_EQ(nullptr, f);
    testsupport::removeTree(folder);
}

TEST(FileContract, AttributesTellFilesFromFoldersAndMissingOnes)
{
    const std::string folder = testsupport::makeTempFolder();
    const std::string file = folder + "server.ax";
    std::fclose(std::fopen(file.c_str(), "w"));
    const std::wstring wideFolder = testsupport::widen(folder.substr(0, folder.size() - 1));

    const DWORD fileAttributes = GetFileAttributesW((wideFolder + L"\\server.ax").c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, fileAttributes);
    EXPECT_EQ(0u, fileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    const DWORD folderAttributes = GetFileAttributesW(wideFolder.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, folderAttributes);
    EXPECT_NE(0u, folderAttributes & FILE_ATTRIBUTE_DIRECTORY);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wideFolder + L"\\missing.ax").c_str()));
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((wideFolder + L"\\missing\\server.ax").c_str()));
    EXPECT_EQ(DWORD(ERROR_PATH_NOT_FOUND), GetLastError());
    testsupport::removeTree(folder);
}

TEST(FileContract, WideOpenTakesCharactersBeyondTheBmp)
{
    const std::string folder = testsupport::makeTempFolder();
    const std::wstring file = testsupport::widen(folder) + L"\U0001F3AC server.ax";
    FILE *f = nullptr;
    ASSERT_EQ(0, _wfopen_s(&f, file.c_str(), L"w"));
    ASSERT_NE(nullptr, f);
    std::fputs("MZ", f);
    std::fclose(f);
    f = nullptr;
    ASSERT_EQ(0, _wfopen_s(&f, file.c_str(), L"r"));
    ASSERT_NE(nullptr, f);
    char text[4] = {};
    EXPECT_EQ(2u, std::fread(text, 1, 3, f));
    EXPECT_STREQ("MZ", text);
    std::fclose(f);
    testsupport::removeTree(folder);
}

TEST(UserOutputContract, DebugOutputAndMessageBoxesCanBeCaptured)
{
    testsupport::UiCapture capture;
    OutputDebugStringA("Kestrane contract line");
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "Failed to launch fenwarl.exe", "Control Panel Error", MB_OK));
    capture.finish();
    ASSERT_EQ(1u, capture.messageBoxes().size());
    EXPECT_EQ("Control Panel Error", capture.messageBoxes()[0].caption);
    EXPECT_EQ("Failed to launch fenwarl.exe", capture.messageBoxes()[0].text);
    bool seen = false;
    for (const std::string &line : capture.debugLines())
        seen = seen || line == "Kestrane contract line";
    EXPECT_TRUE(seen);
}

// The user's own settings: HKEY_CURRENT_USER holds keys as the other roots
// do, and the high-contrast setting is asked with the structure's own size.
// A user without a high-contrast theme gets flags without
// HCF_HIGHCONTRASTON, which is Wine's answer whatever its registry says.
TEST(UserSettingsContract, CurrentUserKeysAndTheHighContrastSetting)
{
    testsupport::ScopedRegistry registry;
    const std::string path = std::string("Software\\") + testkeys::sandboxKey;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
    const char flags[] = "126";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE *>(flags), sizeof flags));
    char read[8] = {};
    DWORD size = sizeof read;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Flags", nullptr, nullptr, reinterpret_cast<BYTE *>(read), &size));
    EXPECT_STREQ(flags, read);
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, SHDeleteKeyA(HKEY_CURRENT_USER, path.c_str()));

    HIGHCONTRASTW setting = {};
    setting.cbSize = sizeof setting;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0));
    EXPECT_EQ(0u, setting.dwFlags & HCF_HIGHCONTRASTON);
    setting.cbSize = sizeof setting - 1;
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, 0, nullptr, 0));
}

// Named mutexes, as the action lock uses them: one object per name, owned
// by a thread and counted, released only by its owner; another thread waits.
TEST(MutexContract, NamedMutexIsOneObjectOwnedPerThreadAndCounted)
{
    const wchar_t name[] = L"Local\\KestraneContractMutex";
    const DWORD access = SYNCHRONIZE | MUTEX_MODIFY_STATE;
    HANDLE first = CreateMutexExW(nullptr, name, 0, access);
    ASSERT_NE(nullptr, first);
    SetLastError(0xDEADBEEF);
    HANDLE second = CreateMutexExW(nullptr, name, 0, access);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(DWORD(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(first, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second, 0)); // the owner's second hold, through the other handle

    DWORD othersWait = WAIT_FAILED, othersRelease = TRUE, othersError = 0;
    const auto other = [&](DWORD ms) {
        std::thread([&] {
            othersRelease = ReleaseMutex(second);
            othersError = GetLastError();
            othersWait = WaitForSingleObject(second, ms);
            if (othersWait == WAIT_OBJECT_0)
                ReleaseMutex(second);
        }).join();
    };
    other(50);
    EXPECT_EQ(WAIT_TIMEOUT, othersWait);
    EXPECT_FALSE(othersRelease);
    EXPECT_EQ(DWORD(ERROR_NOT_OWNER), othersError);
    ASSERT_TRUE(ReleaseMutex(first));
    other(50); // one hold is left
    EXPECT_EQ(WAIT_TIMEOUT, othersWait);
    ASSERT_TRUE(ReleaseMutex(first));
    other(1000);
    EXPECT_EQ(WAIT_OBJECT_0, othersWait);
    EXPECT_FALSE(ReleaseMutex(first)); // released by the other thread, owned by nobody
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(first));
}

} // namespace
