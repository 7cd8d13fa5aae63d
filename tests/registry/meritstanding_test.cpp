// Which filters DirectShow tries before a filter. The same tests run on the
// stand-in, where our registry mapper answers, and under Wine, where Wine's
// own IFilterMapper2 does: both must give the same answer on the same
// registrations, and under Wine our registry mapper must also agree with the
// system's mapper on every input type registered in the legacy category.
#include "directshowmapper.h"
#include "filterdata.h"
#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "meritstanding.h"
#include "registrationrunner.h"
#include "registrymapper.h"
#include "testkeys.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

const int huffyuvSlot = 15; // a video decoder with a server of its own; no system filter takes its type
const KnownFilterRow &huffyuv = knownFilterRows[huffyuvSlot];

PinMediaType inputOf(const KnownFilterRow &row)
{
    return samplePins(row).front().mediaTypes.front();
}

void writeRegistration(const char *clsid, const char *name, const std::vector<uint8_t> &blob)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, (std::string(legacyFilterInstancePrefix) + clsid).c_str(),
                                             0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr));
    RegSetValueExA(key, "CLSID", 0, REG_SZ, reinterpret_cast<const BYTE *>(clsid), DWORD(std::strlen(clsid) + 1));
    RegSetValueExA(key, "FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE *>(name), DWORD(std::strlen(name) + 1));
    RegSetValueExA(key, "FilterData", 0, REG_BINARY, blob.data(), DWORD(blob.size()));
    RegCloseKey(key);
}

// A decoder with one input pin of the given type and a video output.
void writeDecoder(const char *clsid, const char *name, uint32_t merit, const PinMediaType &input)
{
    std::vector<PinDescription> pins = samplePins(huffyuv);
    pins.front().mediaTypes = {input};
    writeRegistration(clsid, name, buildFilterData(merit, pins));
}

std::vector<std::string> names(const std::vector<MappedFilter> &filters)
{
    std::vector<std::string> out;
    for (const MappedFilter &filter : filters)
        out.push_back(filter.name);
    return out;
}

class MeritStandingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string server = testsupport::programFolder() + huffyuv.server + ".ax";
        ASSERT_EQ(0, runRegsvr32(nullptr, true, testsupport::widen(server).c_str(), true));
        for (int waited = 0; !isFilterRegistered(nullptr, huffyuv.clsid) && waited < 10000; waited += 50)
            testsupport::sleepMs(50);
        ASSERT_TRUE(isFilterRegistered(nullptr, huffyuv.clsid));

        const PinMediaType type = inputOf(huffyuv);
        writeDecoder(testkeys::aboveFilterClsid, "Test Decoder Above", huffyuv.defaultMerit + 1, type);
        writeDecoder(testkeys::belowFilterClsid, "Test Decoder Below", huffyuv.defaultMerit - 1, type);
        writeDecoder(testkeys::sameFilterClsid, "Test Decoder Same", huffyuv.defaultMerit, type);
        // The same subtype under another major type, and a blob of a layout
        // version the mapper does not read, both with the highest merit.
        PinMediaType audio = type;
        audio.major = inputOf(knownFilterRows[20]).major;
        writeDecoder(testkeys::otherFilterClsid, "Test Decoder Other Type", 0xFFFFFFFF, audio);
        std::vector<uint8_t> broken = buildFilterData(0xFFFFFFFF, samplePins(huffyuv));
        broken[0] = 3;
        writeRegistration(testkeys::brokenFilterClsid, "Test Decoder Broken", broken);
    }

    testsupport::ScopedRegistry registry;
};

TEST_F(MeritStandingTest, HigherMeritsComeFirstInTheMappersOrder)
{
    MeritStanding standing = meritStanding(huffyuv.clsid);
    ASSERT_EQ(MeritStanding::Read, standing.reading);
    EXPECT_TRUE(standing.type.major == inputOf(huffyuv).major && standing.type.minor == inputOf(huffyuv).minor);
    EXPECT_EQ(huffyuv.defaultMerit, standing.merit);
    EXPECT_EQ(std::vector<std::string>{"Test Decoder Above"}, names(standing.before));
    ASSERT_EQ(std::vector<std::string>{"Test Decoder Same"}, names(standing.tied));
    EXPECT_EQ(testkeys::sameFilterClsid, standing.tied[0].instance);
    EXPECT_EQ(huffyuv.defaultMerit, standing.tied[0].merit);
    EXPECT_FALSE(standing.system.present) << "no plug-in control on the stand-in nor in Wine";

    ASSERT_EQ(0, writeFilterMerit(huffyuv.defaultMerit - 2, nullptr, huffyuv.clsid));
    standing = meritStanding(huffyuv.clsid);
    EXPECT_EQ((std::vector<std::string>{"Test Decoder Above", "Test Decoder Same", "Test Decoder Below"}),
              names(standing.before));
    EXPECT_TRUE(standing.tied.empty());

    // Neither the other major type nor the unreadable blob counts.
    ASSERT_EQ(0, writeFilterMerit(0xFFFFFFFE, nullptr, huffyuv.clsid));
    standing = meritStanding(huffyuv.clsid);
    EXPECT_TRUE(standing.before.empty());
    EXPECT_TRUE(standing.tied.empty());

    EXPECT_EQ(MeritStanding::Unreadable, meritStanding(testkeys::brokenFilterClsid).reading);
    EXPECT_EQ(MeritStanding::NotRegistered, meritStanding(testkeys::testFilterClsid).reading);
}

int32_t mapperThatCannotBeAsked(const PinMediaType &, std::vector<MappedFilter> &filters)
{
    filters.clear();
    return int32_t(0x80040154); // REGDB_E_CLASSNOTREG
}

TEST_F(MeritStandingTest, AMapperThatCannotBeAskedIsNoAnswer)
{
    const MeritStanding standing = meritStanding(huffyuv.clsid, mapperThatCannotBeAsked);
    EXPECT_EQ(MeritStanding::MapperFailed, standing.reading);
    EXPECT_EQ(int32_t(0x80040154), standing.mapperStatus);
    EXPECT_TRUE(standing.before.empty() && standing.tied.empty());
}

// A FriendlyName in other scripts, written as a user's rename writes it
// (through the wide functions), reaches the standing whole, in UTF-8:
// through our mapper natively and through DirectShow's under Wine.
TEST_F(MeritStandingTest, NamesInAnyScriptReachTheStandingWhole)
{
    const wchar_t wide[] = L"\u0414\u0435\u043A\u043E\u0434\u0435\u0440 Kestrane \u0391\u0392\u0393 "
                           L"\u89E3\u7801\u5668 \u2713";
    const std::string utf8 = "\xD0\x94\xD0\xB5\xD0\xBA\xD0\xBE\xD0\xB4\xD0\xB5\xD1\x80 Kestrane "
                             "\xCE\x91\xCE\x92\xCE\x93 \xE8\xA7\xA3\xE7\xA0\x81\xE5\x99\xA8 \xE2\x9C\x93";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT,
                                           (std::string(legacyFilterInstancePrefix) + testkeys::aboveFilterClsid).c_str(),
                                           0, KEY_READ | KEY_WRITE, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE *>(wide),
                                            DWORD(sizeof wide)));
    RegCloseKey(key);
    EXPECT_EQ(utf8, registeredFilterName(testkeys::aboveFilterClsid));
    const MeritStanding standing = meritStanding(huffyuv.clsid);
    ASSERT_EQ(MeritStanding::Read, standing.reading);
    ASSERT_EQ(1u, standing.before.size());
    EXPECT_EQ(utf8, standing.before[0].name);
    // The renamed filter's own standing reads as any other.
    EXPECT_EQ(MeritStanding::Read, meritStanding(testkeys::aboveFilterClsid).reading);
}

// Filters of equal merit in a set of their own: DirectShow fixes no order
// among them.
std::vector<std::set<std::string>> meritGroups(const std::vector<MappedFilter> &filters)
{
    std::vector<std::set<std::string>> groups;
    for (size_t i = 0; i < filters.size(); ++i) {
        if (i == 0 || filters[i].merit != filters[i - 1].merit)
            groups.emplace_back();
        groups.back().insert(filters[i].instance + " " + filters[i].name + " " + std::to_string(filters[i].merit));
    }
    return groups;
}

TEST_F(MeritStandingTest, RegistryMapperAgreesWithTheSystemsOnEveryRegisteredInputType)
{
    for (const KnownFilterRow &row : knownFilterRows)
        if (!isFilterRegistered(nullptr, row.clsid))
            writeRegistration(row.clsid, row.name, buildFilterData(row.defaultMerit, samplePins(row)));
    // Every input type of every readable registration in the category, and
    // each with a wildcard subtype; nothing at all stands for every type.
    std::vector<PinMediaType> types = {PinMediaType{}};
    HKEY category = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, legacyFilterInstancePrefix, 0, KEY_READ, &category));
    char name[260];
    DWORD length = sizeof name;
    for (DWORD i = 0; RegEnumKeyExA(category, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name) {
        FilterDataContents contents;
        if (readFilterRegistration(name, contents) != ERROR_SUCCESS)
            continue;
        for (const PinDescription &pin : contents.pins)
            for (const PinMediaType &type : pin.mediaTypes)
                for (PinMediaType query : {type, PinMediaType{type.major, Guid{}}})
                    if (std::none_of(types.begin(), types.end(), [&](const PinMediaType &t) {
                            return t.major == query.major && t.minor == query.minor;
                        }))
                        types.push_back(query);
    }
    RegCloseKey(category);
    ASSERT_GE(types.size(), 30u);
    size_t offered = 0;
    for (const PinMediaType &type : types) {
        SCOPED_TRACE(guidText(type.major) + " " + guidText(type.minor));
        const std::vector<MappedFilter> ours = registryMatchingFilters(type);
        std::vector<MappedFilter> system;
        ASSERT_EQ(0, mapperMatchingFilters(type, system));
        EXPECT_EQ(meritGroups(system), meritGroups(ours));
        offered += system.size();
        EXPECT_TRUE(std::is_sorted(ours.begin(), ours.end(),
                                   [](const MappedFilter &a, const MappedFilter &b) { return a.merit > b.merit; }));
    }
    std::printf("%zu input types compared, %zu filters offered for them\n", types.size(), offered);
}

} // namespace
