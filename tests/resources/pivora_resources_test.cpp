// pivora.exe's resources, compiled into this test program: the icon group
// with its fourteen images, the version block and the manifest.
#include "win32api.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDirectory {
    WORD reserved, type, count;
    IconDirectoryEntry entries[1];
};
#pragma pack(pop)

TEST(PivoraResources, IconGroupHoldsFourteenImages)
{
    HRSRC group = FindResourceA(nullptr, "IDI_ICON1", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, group);
    const IconDirectory *directory = static_cast<const IconDirectory *>(LockResource(LoadResource(nullptr, group)));
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
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    for (const auto &entry : {std::make_pair("InternalName", "pivora"), std::make_pair("OriginalFilename", "pivora.exe")}) {
        char *value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + entry.first;
        ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void **>(&value), &length));
        EXPECT_STREQ(entry.second, value);
    }
}

} // namespace
