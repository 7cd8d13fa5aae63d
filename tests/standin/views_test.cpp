// The stand-in's two registry views: where the file keeps the 32-bit view,
// the 32-bit regsvr32 of syswow64, and the process and Windows bitness its
// environment sets.
#include "regfile.h"
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kH264Class[] = "CLSID\\{6513270E-269E-4D37-B2A7-4DE452E6B438}"; // the KestraneH264 server's filter
const char kH264Instance[] =
    "CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\\{6513270E-269E-4D37-B2A7-4DE452E6B438}";

bool opens(const char *subKey, REGSAM view, HKEY root = HKEY_CLASSES_ROOT)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Runs regsvr32 from `folder` silently on a server beside the tests; its exit code.
DWORD regsvr32(const std::wstring &folder, const char *parameters)
{
    const std::wstring tool = folder + L"\\regsvr32.exe";
    const std::wstring text = testsupport::widen(parameters) + L" " +
                              testsupport::widen(testsupport::programFolder()) + L"KestraneH264.ax";
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = tool.c_str();
    info.lpParameters = text.c_str();
    if (!ShellExecuteExW(&info))
        return 0xFFFFFFFFu;
    WaitForSingleObject(info.hProcess, 30000);
    DWORD code = 0xFFFFFFFFu;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return code;
}

std::wstring folder(UINT (*query)(LPWSTR, UINT))
{
    WCHAR buffer[MAX_PATH + 1] = {};
    return query(buffer, MAX_PATH + 1) ? std::wstring(buffer) : std::wstring();
}

TEST(RegistryViews, Wow64Regsvr32RegistersIntoThe32BitViewOnly)
{
    testsupport::ScopedRegistry registry;
    const std::wstring system = folder(GetSystemDirectoryW), wow64 = folder(GetSystemWow64DirectoryW);
    ASSERT_EQ(system + L"/syswow64", wow64);

    ASSERT_EQ(0u, regsvr32(wow64, "/s"));
    EXPECT_TRUE(opens(kH264Class, KEY_WOW64_32KEY));
    EXPECT_TRUE(opens(kH264Instance, KEY_WOW64_32KEY));
    EXPECT_FALSE(opens(kH264Class, KEY_WOW64_64KEY));
    EXPECT_FALSE(opens(kH264Instance, KEY_WOW64_64KEY));

    // Registered in both views, unregistered from the 32-bit one alone.
    ASSERT_EQ(0u, regsvr32(system, "/s"));
    ASSERT_EQ(0u, regsvr32(wow64, "/s /u"));
    EXPECT_FALSE(opens(kH264Class, KEY_WOW64_32KEY));
    EXPECT_FALSE(opens(kH264Instance, KEY_WOW64_32KEY));
    EXPECT_TRUE(opens(kH264Class, KEY_WOW64_64KEY));
    EXPECT_TRUE(opens(kH264Instance, KEY_WOW64_64KEY));
}

TEST(RegistryViews, FileKeepsThe32BitViewWhereWindowsExportsShowIt)
{
    testsupport::ScopedRegistry registry;
    std::ofstream(registry.file(), std::ios::binary)
        << "REGEDIT4\r\n\r\n"
           "[HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\{6513270E-269E-4D37-B2A7-4DE452E6B438}]\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Kestrane]\r\n\r\n";
    EXPECT_TRUE(opens(kH264Class, KEY_WOW64_32KEY));
    EXPECT_FALSE(opens(kH264Class, KEY_WOW64_64KEY));
    EXPECT_TRUE(opens("Software\\Kestrane", KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(opens("Software\\Kestrane", KEY_WOW64_64KEY, HKEY_LOCAL_MACHINE));

    // Keys the 32-bit view creates land beside those.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Other", 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
    RegCloseKey(key);
    std::stringstream bytes;
    bytes << std::ifstream(registry.file(), std::ios::binary).rdbuf();
    standin::RegHive hive;
    ASSERT_TRUE(standin::parseRegFile(bytes.str(), hive, nullptr));
    const standin::RegKey *software = hive.root("HKEY_LOCAL_MACHINE", false)->child("SOFTWARE");
    ASSERT_NE(nullptr, software);
    ASSERT_EQ(2u, software->children.size());
    EXPECT_NE(nullptr, software->child("WOW6432Node")->child("Kestrane"));
    EXPECT_NE(nullptr, software->child("WOW6432Node")->child("Other"));
    EXPECT_NE(nullptr, software->child("New"));
    EXPECT_EQ(nullptr, software->child("Other"));
}

TEST(RegistryViews, ProcessAndWindowsBitnessChooseTheView)
{
    testsupport::ScopedRegistry registry;
    HKEY key = nullptr;
    testsupport::setEnvironment("WIN32_STANDIN_PROCESS_BITS", "32");
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kH264Class, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                             nullptr));
    RegCloseKey(key);
    EXPECT_TRUE(opens(kH264Class, 0));
    EXPECT_FALSE(opens(kH264Class, KEY_WOW64_64KEY));
    // SHDeleteKeyA has no view of its own: the process's.
    EXPECT_EQ(DWORD(ERROR_SUCCESS), SHDeleteKeyA(HKEY_CLASSES_ROOT, kH264Class));
    EXPECT_TRUE(opens("WOW6432Node\\CLSID", KEY_WOW64_64KEY));
    testsupport::setEnvironment("WIN32_STANDIN_PROCESS_BITS", nullptr);

    // 32-bit Windows: one registry, both flags ignored, no WOW64 folder.
    testsupport::setEnvironment("WIN32_STANDIN_WINDOWS_BITS", "32");
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, kH264Class, 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_TRUE(opens(kH264Class, KEY_WOW64_64KEY));
    EXPECT_FALSE(opens("WOW6432Node\\CLSID\\{6513270E-269E-4D37-B2A7-4DE452E6B438}", 0));
    WCHAR buffer[MAX_PATH + 1];
    SetLastError(0);
    EXPECT_EQ(0u, GetSystemWow64DirectoryW(buffer, MAX_PATH + 1));
    EXPECT_EQ(DWORD(ERROR_CALL_NOT_IMPLEMENTED), GetLastError());
    testsupport::setEnvironment("WIN32_STANDIN_WINDOWS_BITS", nullptr);
}

} // namespace
