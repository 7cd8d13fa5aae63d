// pivora.exe's resources, compiled into this test program: the icon group
// with its fourteen images, the version block and the manifest.
#include "win32api.h"
#include "winresources.h"

#include <gtest/gtest.h>


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

} // namespace
