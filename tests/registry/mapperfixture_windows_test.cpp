// Records what Wine's (or Windows') filter mapper offers for the sample
// servers' input types into the fixture of the native check, and compares
// our reading of the 32-bit registry view with the mapper. Records on demand,
// in the bin folder of a Windows build, with the file to write:
//   KESTRANE_MAPPER_FIXTURE=<file> wine directshow_tests.exe
//       --gtest_also_run_disabled_tests --gtest_filter='MapperFixture.*'
#include "directshowmapper.h"
#include "filterregistrystore.h"
#include "meritstanding.h"
#include "mapperfixture.h"
#include "registrationrunner.h"
#include "sampleservers.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

// Every sample server registered, each known filter given its fixture merit.
void registerWithFixtureMerits()
{
    std::set<std::string> servers;
    for (const KnownFilterRow &row : knownFilterRows) {
        if (servers.insert(row.server).second) {
            const std::string server = testsupport::programFolder() + row.server + ".ax";
            ASSERT_EQ(0, runRegsvr32(nullptr, true, testsupport::widen(server).c_str(), true));
        }
    }
    for (int slot = 0; slot < knownFilterRowCount; ++slot) {
        for (int waited = 0; !isFilterRegistered(nullptr, knownFilterRows[slot].clsid) && waited < 10000; waited += 50)
            testsupport::sleepMs(50);
        ASSERT_EQ(0, writeFilterMerit(fixtureMerit(slot), nullptr, knownFilterRows[slot].clsid));
    }
}

std::vector<std::pair<std::string, uint32_t>> ourFilters(const std::vector<MappedFilter> &offered)
{
    std::vector<std::pair<std::string, uint32_t>> ours;
    for (const MappedFilter &filter : offered)
        if (knownDefaultMerit(filter.instance.c_str()) != 0) // the system's own filters are not ours to check
            ours.emplace_back(filter.instance, filter.merit);
    return ours;
}

} // namespace

// A 64-bit program cannot ask the 32-bit view's mapper: our reading of that
// view stands in for it. Judged on the same registrations in both views
// against the mapper of the 64-bit view, for every sample media type.
TEST(MapperViews, OurReadingOfThe32BitViewOrdersAsTheMapperDoes)
{
    testsupport::ScopedRegistry registry;
    registerWithFixtureMerits();
    for (int slot = 0; slot < knownFilterRowCount; ++slot)
        ASSERT_TRUE(copyTo32BitView(slot, fixtureMerit(slot)));
    size_t offered = 0;
    for (const PinMediaType &type : fixtureTypes()) {
        SCOPED_TRACE(guidText(type.major) + " " + guidText(type.minor));
        std::vector<MappedFilter> mapper;
        ASSERT_EQ(0, mapperMatchingFilters(type, mapper));
        const auto expected = ourFilters(mapper);
        EXPECT_EQ(meritGroups(expected), meritGroups(ourFilters(registryMatchingFilters(type, RegistryView::Bits32))));
        offered += expected.size();
    }
    EXPECT_GT(offered, fixtureTypes().size());
    // The standing of a filter in the 32-bit view says so, and lists the
    // filters tried before it there.
    const MeritStanding standing = meritStanding(knownFilterRows[0].clsid, RegistryView::Bits32);
    EXPECT_EQ(MeritStanding::Read, standing.reading);
    EXPECT_EQ(RegistryView::Bits32, standing.view);
}

TEST(MapperFixture, DISABLED_RecordTheSystemMappersOrder)
{
    const char *file = std::getenv("KESTRANE_MAPPER_FIXTURE");
    ASSERT_TRUE(file && *file) << "KESTRANE_MAPPER_FIXTURE names the file to write";
    registerWithFixtureMerits();
    FILE *out = std::fopen(file, "w");
    ASSERT_TRUE(out);
    for (int slot = 0; slot < knownFilterRowCount; ++slot)
        std::fprintf(out, "merit %s 0x%08X\n", knownFilterRows[slot].clsid, fixtureMerit(slot));
    for (const PinMediaType &type : fixtureTypes()) {
        std::vector<MappedFilter> offered;
        ASSERT_EQ(0, mapperMatchingFilters(type, offered));
        std::fprintf(out, "type %s %s\n", guidText(type.major).c_str(), guidText(type.minor).c_str());
        for (const auto &filter : ourFilters(offered))
            std::fprintf(out, "offer %s 0x%08X\n", filter.first.c_str(), filter.second);
    }
    std::fclose(out);
}
