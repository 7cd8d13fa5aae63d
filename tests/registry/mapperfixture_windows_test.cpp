// Records what Wine's (or Windows') filter mapper offers for the sample
// servers' input types into the fixture of the native check. Run on demand,
// in the bin folder of a Windows build, with the file to write:
//   KESTRANE_MAPPER_FIXTURE=<file> wine directshow_tests.exe
//       --gtest_also_run_disabled_tests --gtest_filter='MapperFixture.*'
#include "directshowmapper.h"
#include "filterregistrystore.h"
#include "mapperfixture.h"
#include "registrationrunner.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

TEST(MapperFixture, DISABLED_RecordTheSystemMappersOrder)
{
    const char *file = std::getenv("KESTRANE_MAPPER_FIXTURE");
    ASSERT_TRUE(file && *file) << "KESTRANE_MAPPER_FIXTURE names the file to write";
    std::set<std::string> servers;
    for (const KnownFilterRow &row : knownFilterRows) {
        if (servers.insert(row.server).second) {
            const std::string server = testsupport::programFolder() + row.server + ".ax";
            ASSERT_EQ(0, runRegsvr32(nullptr, true, testsupport::widen(server).c_str(), true));
        }
    }
    FILE *out = std::fopen(file, "w");
    ASSERT_TRUE(out);
    for (int slot = 0; slot < knownFilterRowCount; ++slot) {
        for (int waited = 0; !isFilterRegistered(nullptr, knownFilterRows[slot].clsid) && waited < 10000; waited += 50)
            testsupport::sleepMs(50);
        ASSERT_EQ(0, writeFilterMerit(fixtureMerit(slot), nullptr, knownFilterRows[slot].clsid));
        std::fprintf(out, "merit %s 0x%08X\n", knownFilterRows[slot].clsid, fixtureMerit(slot));
    }
    for (const PinMediaType &type : fixtureTypes()) {
        std::vector<MappedFilter> offered;
        ASSERT_EQ(0, mapperMatchingFilters(type, offered));
        std::fprintf(out, "type %s %s\n", guidText(type.major).c_str(), guidText(type.minor).c_str());
        for (const MappedFilter &filter : offered)
            if (knownDefaultMerit(filter.instance.c_str()) != 0) // the system's own filters are not ours to check
                std::fprintf(out, "offer %s 0x%08X\n", filter.instance.c_str(), filter.merit);
    }
    std::fclose(out);
}
