// What Windows itself reads of Dralvic.cpl: its resources, its one export,
// and the Control Panel loading it.
#include "testsupport.h"
#include "winresources.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

HMODULE applet()
{
    return GetModuleHandleA("Dralvic.cpl");
}


TEST(DralvicResources, StringsAndIconLoadFromTheModule)
{
    ASSERT_NE(nullptr, applet());
    char text[128];
    ASSERT_GT(LoadStringA(applet(), 108, text, sizeof text), 0);
    EXPECT_STREQ("Kestrane Decoder Control", text);
    ASSERT_GT(LoadStringA(applet(), 109, text, sizeof text), 0);
    EXPECT_STREQ("Configures Kestrane Decoder Settings", text);
    EXPECT_NE(nullptr, LoadIconA(applet(), MAKEINTRESOURCEA(101)));

    const winresources::IconDirectory *directory =
        winresources::iconGroup(applet(), MAKEINTRESOURCEA(101), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(nullptr, directory);
    ASSERT_EQ(6, directory->count);
    const int expected[6][2] = {{48, 8}, {32, 8}, {16, 8}, {48, 32}, {32, 24}, {16, 32}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(expected[i][0], directory->entries[i].width) << i;
        EXPECT_EQ(expected[i][1], directory->entries[i].bitCount) << i;
    }
    EXPECT_NE(nullptr, FindResourceExA(applet(), MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(2),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
}

TEST(DralvicResources, VersionBlockReadsBack)
{
    winresources::VersionInfo version(applet());
    ASSERT_NE(nullptr, version.fixed);
    EXPECT_EQ(DWORD(VFT_DLL), version.fixed->dwFileType);
    EXPECT_EQ(0x00020000u, version.fixed->dwFileVersionMS);
    EXPECT_EQ(0x00020000u, version.fixed->dwProductVersionMS);
    EXPECT_EQ("Kestrane Decoder Control Panel", version.text("FileDescription"));
    EXPECT_EQ("Dralvic", version.text("InternalName"));
    EXPECT_EQ("Dralvic.cpl", version.text("OriginalFilename"));
    EXPECT_EQ("2.0.0", version.text("ProductVersion"));
}

TEST(DralvicResources, CPlAppletIsTheOnlyExport)
{
    const BYTE *base = reinterpret_cast<const BYTE *>(applet());
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, entry.VirtualAddress);
    const IMAGE_EXPORT_DIRECTORY *exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + entry.VirtualAddress);
    ASSERT_EQ(1u, exports->NumberOfNames);
    EXPECT_EQ(1u, exports->NumberOfFunctions);
    const DWORD *names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    EXPECT_STREQ("CPlApplet", reinterpret_cast<const char *>(base + names[0]));
}

TEST(DralvicControlPanel, ControlExeLoadsTheAppletAndStartsFenwarl)
{
    const std::string folder = testsupport::makeTempFolder();
    const std::string marker = folder + "fenwarl.txt";
    testsupport::setEnvironment("FENWARL_MARKER", marker.c_str());
    char path[MAX_PATH];
    GetModuleFileNameA(applet(), path, MAX_PATH);
    std::string commandLine = std::string("control.exe \"") + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Wine's control.exe looks for fenwarl.exe in the current folder and on PATH.
    const std::string current = testsupport::programFolder();
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, current.c_str(),
                               &startup, &process));
    const bool ran = testsupport::waitForFile(marker, 30000);
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    testsupport::setEnvironment("FENWARL_MARKER", nullptr);
    EXPECT_TRUE(ran) << "fenwarl did not run";
    if (ran) {
        const std::string text = testsupport::readWrittenLine(marker, 10000);
        EXPECT_EQ(0u, text.find("arguments=0 ")) << text;
    }
    testsupport::removeTree(folder);
}

} // namespace
