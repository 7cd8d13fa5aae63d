// pivora.exe's resources, compiled into this test program: the icon group
// with its fourteen images, the version block and the manifest.
#include "win32api.h"
#include "winresources.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>


namespace {


TEST(PivoraResources, IconGroupHoldsFourteenImages)
{
    const winresources::IconDirectory *directory =
        winresources::iconGroup(nullptr, "IDI_ICON1", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(nullptr, directory);
    ASSERT_EQ(14, directory->count);
    const int expected[14][2] = {{256, 8}, {48, 8},  {32, 8},  {24, 8},  {16, 8},  {256, 32}, {128, 32},
                                 {96, 32}, {72, 32}, {64, 32}, {48, 32}, {32, 32}, {24, 32},  {16, 32}};
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(expected[i][0] % 256, directory->entries[i].width) << i; // 256 is written as 0
        EXPECT_EQ(expected[i][1], directory->entries[i].bitCount) << i;
    }
    EXPECT_NE(nullptr, FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)));
}

TEST(PivoraResources, VersionBlockNamesTheProgram)
{
    winresources::VersionInfo version(nullptr);
    ASSERT_NE(nullptr, version.fixed);
    EXPECT_EQ(0x00010000u, version.fixed->dwFileVersionMS);
    EXPECT_EQ(0x00010000u, version.fixed->dwProductVersionMS);
    EXPECT_EQ("pivora", version.text("InternalName"));
    EXPECT_EQ("pivora.exe", version.text("OriginalFilename"));
}

// Windows reads the settings from the manifest of the process's program,
// which is pivora.exe's manifest here, as it reads them for pivora.exe.
std::wstring manifestSetting(const wchar_t *ns, const wchar_t *name)
{
    wchar_t value[64];
    wmemset(value, L'#', 64);
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, ns, name, value, 64, &written) || written == 0 || written > 64)
        return L"(none)";
    return std::wstring(value, written - 1);
}

TEST(PivoraResources, ManifestDeclaresPerMonitorDpiAwarenessAndWindows7To11)
{
    EXPECT_EQ(L"true/pm", manifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"));
    EXPECT_EQ(L"PerMonitor",
              manifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"));

    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, found);
    const std::string manifest(static_cast<const char *>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    for (const char *id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(std::string::npos, manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>")) << id;
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << "no elevation is asked for";
}

} // namespace
