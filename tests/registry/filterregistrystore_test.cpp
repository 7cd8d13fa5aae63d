// The filter registry store against a registry the tests fill through the
// API itself, so the same tests run on the stand-in and on Wine.
#include "filterregistrystore.h"
#include "testkeys.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *const kClsid = testkeys::testFilterClsid;

std::string instanceKey(const char *clsid = kClsid)
{
    return std::string(legacyFilterInstancePrefix) + clsid;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&entry, 0, sizeof entry);
        std::strcpy(entry.clsid, kClsid);
        entry.defaultMerit = 0x600000;
    }
    void TearDown() override { std::free(entry.friendlyName); }

    void setInstanceValue(const char *name, DWORD type, const void *data, DWORD size, const char *clsid = kClsid)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, instanceKey(clsid).c_str(), 0, nullptr,
                                                 REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE *>(data), size));
        RegCloseKey(key);
    }

    void setFilterData(const std::vector<BYTE> &blob) { setInstanceValue("FilterData", REG_BINARY, blob.data(), DWORD(blob.size())); }

    std::vector<BYTE> filterData(DWORD *type = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, instanceKey().c_str(), 0, KEY_READ, &key));
        std::vector<BYTE> data(512);
        DWORD size = DWORD(data.size());
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FilterData", nullptr, type, data.data(), &size));
        RegCloseKey(key);
        data.resize(size);
        return data;
    }

    void setServerPath(const std::wstring &path, DWORD type = REG_SZ)
    {
        HKEY key = nullptr;
        const std::string classKey = std::string("CLSID\\") + kClsid + "\\InprocServer32";
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, classKey.c_str(), 0, nullptr,
                                                 REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE *>(path.c_str()),
                                                DWORD((path.size() + 1) * sizeof(WCHAR))));
        RegCloseKey(key);
    }

    // A blob with a recognisable byte at every offset.
    static std::vector<BYTE> patternBlob(size_t size)
    {
        std::vector<BYTE> blob(size);
        for (size_t i = 0; i < size; ++i)
            blob[i] = BYTE(0x30 + i);
        return blob;
    }

    testsupport::ScopedRegistry registry;
    KnownFilter entry;
};

TEST_F(StoreTest, MeritWritePatchesExactlyBytesFourToSeven)
{
    const std::vector<BYTE> before = patternBlob(96);
    setFilterData(before);
    ASSERT_EQ(0, writeFilterMerit(0x00600001, &entry));
    std::vector<BYTE> expected = before;
    expected[4] = 0x01; expected[5] = 0x00; expected[6] = 0x60; expected[7] = 0x00;
    DWORD type = 0;
    EXPECT_EQ(expected, filterData(&type));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_EQ(0x00600001u, readFilterMerit(&entry));

    for (uint32_t merit : {0xFFFFFFFFu, 0u, 0x00800001u, 0x00200000u}) {
        ASSERT_EQ(0, writeFilterMerit(merit, &entry));
        EXPECT_EQ(merit, readFilterMerit(&entry));
        const std::vector<BYTE> now = filterData();
        ASSERT_EQ(before.size(), now.size());
        EXPECT_EQ(BYTE(merit), now[4]);
        EXPECT_EQ(BYTE(merit >> 24), now[7]);
        EXPECT_TRUE(std::equal(before.begin() + 8, before.end(), now.begin() + 8));
        EXPECT_TRUE(std::equal(before.begin(), before.begin() + 4, now.begin()));
    }
}

TEST_F(StoreTest, MeritReadsLeastSignificantByteFirstByEntryOrClsid)
{
    std::vector<BYTE> blob = patternBlob(24);
    blob[4] = 0x01; blob[5] = 0x00; blob[6] = 0x80; blob[7] = 0x00;
    setFilterData(blob);
    EXPECT_EQ(0x00800001u, readFilterMerit(&entry));
    EXPECT_EQ(0x00800001u, readFilterMerit(nullptr, kClsid));
    // The entry wins over the string.
    EXPECT_EQ(0x00800001u, readFilterMerit(&entry, testkeys::otherFilterClsid));
    ASSERT_EQ(0, writeFilterMerit(0x1FFFFF, nullptr, kClsid));
    EXPECT_EQ(0x1FFFFFu, readFilterMerit(&entry));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, writeFilterMerit(0x1FFFFF, nullptr, testkeys::otherFilterClsid));
}

TEST_F(StoreTest, FilterDataOfTheWrongTypeIsNeitherReadNorWritten)
{
    setInstanceValue("FilterData", REG_SZ, "ABCDEFGHIJ", 11);
    EXPECT_EQ(0u, readFilterMerit(&entry));
    EXPECT_EQ(statusWrongValueType, writeFilterMerit(0x600000, &entry));
    DWORD type = 0;
    const std::vector<BYTE> now = filterData(&type);
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ(std::string("ABCDEFGHIJ"), std::string(reinterpret_cast<const char *>(now.data())));

    setInstanceValue("FilterData", REG_DWORD, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(0u, readFilterMerit(&entry));
    EXPECT_EQ(statusWrongValueType, writeFilterMerit(0x600000, &entry));

    // Text short enough for the merit's four bytes is still no merit.
    setInstanceValue("FilterData", REG_SZ, "abc", 4);
    EXPECT_EQ(0u, readFilterMerit(&entry));
    BYTE bytes[4] = {0xA5, 0xA5, 0xA5, 0xA5};
    DWORD size = sizeof bytes;
    EXPECT_EQ(statusWrongValueType, readRegistryValue(instanceKey().c_str(), "FilterData", REG_BINARY, bytes, &size));
    EXPECT_EQ(0xA5A5A5A5u, uint32_t(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24));
    EXPECT_EQ(statusWrongValueType, readRegistryValue(instanceKey().c_str(), "FilterData", REG_DWORD, bytes, &size));
}

TEST_F(StoreTest, ValueLargerThanTheLimitIsNeitherReadNorWritten)
{
    std::vector<BYTE> huge = patternBlob(maxRegistryValueSize + 1);
    setFilterData(huge);
    EXPECT_EQ(0u, readFilterMerit(&entry));
    EXPECT_EQ(statusValueTooLarge, writeFilterMerit(0x600000, &entry));
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, instanceKey().c_str(), 0, KEY_READ, &key));
    std::vector<BYTE> now(huge.size() + 1);
    DWORD size = DWORD(now.size());
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "FilterData", nullptr, nullptr, now.data(), &size));
    RegCloseKey(key);
    now.resize(size);
    EXPECT_TRUE(now == huge);

    huge.assign(maxRegistryValueSize + 1, 'n');
    huge.back() = 0;
    setInstanceValue("FriendlyName", REG_SZ, huge.data(), DWORD(huge.size()));
    EXPECT_FALSE(readFriendlyName(&entry));
}

TEST_F(StoreTest, FilterDataWithoutAMeritFieldIsLeftAlone)
{
    for (size_t size : {0u, 4u, 7u}) {
        const std::vector<BYTE> blob = patternBlob(size);
        setFilterData(blob);
        EXPECT_EQ(0u, readFilterMerit(&entry)) << size;
        EXPECT_EQ(statusNoMeritField, writeFilterMerit(0x600000, &entry)) << size;
        EXPECT_EQ(blob, filterData()) << size;
    }
    setFilterData(patternBlob(8)); // exactly the merit field
    EXPECT_EQ(0, writeFilterMerit(0x00ABCDEF, &entry));
    EXPECT_EQ(0x00ABCDEFu, readFilterMerit(&entry));
    EXPECT_EQ(8u, filterData().size());
}

TEST_F(StoreTest, MissingRegistrationReadsEmptyAndWritesNothing)
{
    EXPECT_FALSE(isFilterRegistered(&entry));
    EXPECT_EQ(0u, readFilterMerit(&entry));
    EXPECT_FALSE(readFriendlyName(&entry));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, writeFilterMerit(0x600000, &entry));
    EXPECT_TRUE(readServerPath(&entry).empty());

    setInstanceValue("FriendlyName", REG_SZ, "Named", 6); // key without FilterData
    EXPECT_TRUE(isFilterRegistered(&entry));
    EXPECT_TRUE(isFilterRegistered(nullptr, kClsid));
    EXPECT_EQ(0u, readFilterMerit(&entry));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, writeFilterMerit(0x600000, &entry));
}

TEST_F(StoreTest, NoUsableFilterReferenceIsABadArgument)
{
    setInstanceValue("FriendlyName", REG_SZ, "Named", 6);
    EXPECT_FALSE(isFilterRegistered(nullptr, nullptr));
    EXPECT_FALSE(readFriendlyName(nullptr));
    EXPECT_EQ(0u, readFilterMerit(nullptr, nullptr));
    EXPECT_TRUE(readServerPath(nullptr, nullptr).empty());
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, writeFilterMerit(0, nullptr, nullptr));
    // An empty CLSID would name the category's Instance key itself.
    EXPECT_FALSE(isFilterRegistered(nullptr, ""));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, writeFilterMerit(0, nullptr, ""));
    const std::string tooLong = std::string(kClsid) + "X";
    EXPECT_FALSE(isFilterRegistered(nullptr, tooLong.c_str()));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, writeFilterMerit(0, nullptr, tooLong.c_str()));

    BYTE buffer[4];
    DWORD size = sizeof buffer;
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, readRegistryValue(nullptr, "FilterData", REG_BINARY, buffer, &size));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, readRegistryValue("CLSID", nullptr, REG_BINARY, buffer, &size));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, readRegistryValue("CLSID", "x", REG_BINARY, nullptr, &size));
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, patchRegistryBlob("CLSID", "x", nullptr, 4));
}

TEST_F(StoreTest, FriendlyNameUpTo259CharactersIsCached)
{
    const std::string longest(259, 'n');
    setInstanceValue("FriendlyName", REG_SZ, longest.c_str(), DWORD(longest.size() + 1));
    ASSERT_TRUE(readFriendlyName(&entry));
    EXPECT_EQ(longest, entry.friendlyName);

    const std::string tooLong(260, 'm');
    setInstanceValue("FriendlyName", REG_SZ, tooLong.c_str(), DWORD(tooLong.size() + 1));
    EXPECT_FALSE(readFriendlyName(&entry));
    EXPECT_EQ(longest, entry.friendlyName); // the earlier name stays

    const std::string farTooLong(5000, 'f');
    setInstanceValue("FriendlyName", REG_SZ, farTooLong.c_str(), DWORD(farTooLong.size() + 1));
    EXPECT_FALSE(readFriendlyName(&entry));

    setInstanceValue("FriendlyName", REG_SZ, "", 1);
    ASSERT_TRUE(readFriendlyName(&entry));
    EXPECT_STREQ("", entry.friendlyName);

    setInstanceValue("FriendlyName", REG_BINARY, "Binary", 6);
    EXPECT_FALSE(readFriendlyName(&entry));
    EXPECT_STREQ("", entry.friendlyName);
    setInstanceValue("FriendlyName", REG_BINARY, "Binary name", 12); // long enough to hold a merit field
    EXPECT_FALSE(readFriendlyName(&entry));
    EXPECT_STREQ("", entry.friendlyName);
}

TEST_F(StoreTest, FriendlyNameWithoutTerminatorIsReadWhole)
{
    const std::string name(259, 'u');
    setInstanceValue("FriendlyName", REG_SZ, name.data(), DWORD(name.size())); // no terminator stored
    ASSERT_TRUE(readFriendlyName(&entry));
    EXPECT_EQ(name, entry.friendlyName);

    const std::string over(260, 'v');
    setInstanceValue("FriendlyName", REG_SZ, over.data(), DWORD(over.size()));
    EXPECT_FALSE(readFriendlyName(&entry));
}

TEST_F(StoreTest, TextValueLongerThanTheBufferReportsItsSize)
{
    setInstanceValue("FriendlyName", REG_SZ, "Kestrane", 9);
    char text[8];
    std::memset(text, 0x5A, sizeof text);
    DWORD size = sizeof text;
    EXPECT_EQ(ERROR_MORE_DATA, readRegistryValue(instanceKey().c_str(), "FriendlyName", REG_SZ, reinterpret_cast<BYTE *>(text), &size));
    EXPECT_EQ(9u, size);
    EXPECT_EQ(0x5A, text[0]);

    char fits[9];
    size = sizeof fits;
    EXPECT_EQ(0, readRegistryValue(instanceKey().c_str(), "FriendlyName", REG_SZ, reinterpret_cast<BYTE *>(fits), &size));
    EXPECT_EQ(9u, size);
    EXPECT_STREQ("Kestrane", fits);
}

TEST_F(StoreTest, ServerPathIsReadWideAndOnlyAsPlainText)
{
    const std::wstring path = L"C:\\Filters\\kestrane video.ax";
    setServerPath(path);
    EXPECT_EQ(path, readServerPath(&entry));
    EXPECT_EQ(path, readServerPath(nullptr, kClsid));

    const std::wstring film = L"C:\\Filme \U0001F3AC\\video.ax"; // beyond the BMP
    setServerPath(film);
    EXPECT_EQ(film, readServerPath(&entry));

    const std::wstring longest(259, L'p');
    setServerPath(longest);
    EXPECT_EQ(longest, readServerPath(&entry));

    setServerPath(std::wstring(260, L'q'));
    EXPECT_TRUE(readServerPath(&entry).empty());

    setServerPath(L"%ProgramFiles%\\Kestrane\\video.ax", REG_EXPAND_SZ);
    EXPECT_TRUE(readServerPath(&entry).empty());
}

TEST_F(StoreTest, WithoutWriteAccessTheMeritStaysAsItWas)
{
    std::vector<BYTE> blob = patternBlob(40);
    setFilterData(blob);
    if (!registry.setFiltersWritable(false))
        GTEST_SKIP() << "this platform cannot take write access away from a test";
    EXPECT_EQ(ERROR_ACCESS_DENIED, writeFilterMerit(0xFFFFFFFF, &entry));
    EXPECT_EQ(blob, filterData());
    EXPECT_TRUE(isFilterRegistered(&entry)); // reading needs no rights
    EXPECT_TRUE(registry.setFiltersWritable(true));
}

TEST(MeritBytes, HexTextConversions)
{
    BYTE bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(0, hexToMeritBytes("1fffff", bytes));
    EXPECT_EQ(0xFF, bytes[0]);
    EXPECT_EQ(0xFF, bytes[1]);
    EXPECT_EQ(0x1F, bytes[2]);
    EXPECT_EQ(0x00, bytes[3]);
    EXPECT_EQ(0, hexToMeritBytes("", bytes));
    EXPECT_EQ(0, bytes[0] | bytes[1] | bytes[2] | bytes[3]);
    EXPECT_EQ(1, hexToMeritBytes("12g4", bytes));
    EXPECT_EQ(1, hexToMeritBytes("123456789", bytes)); // more digits than a merit has

    const BYTE merit[4] = {0x00, 0x00, 0x60, 0x00};
    char text[9];
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(0, meritBytesToHex(merit, text));
    EXPECT_STREQ("00600000", text);
    const BYTE high[4] = {0xAB, 0xCD, 0xEF, 0xFF};
    meritBytesToHex(high, text);
    EXPECT_STREQ("FFEFCDAB", text);
}

} // namespace
