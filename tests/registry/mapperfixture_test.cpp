// Our filter mapper against Wine's, on the same registrations: the sample
// servers registered, the merits the recording wrote, and for every type the
// order Wine's mapper gave (recorded in fixtures/wine-mapper-order.txt).
// Among equal merits the mapper fixes no order: those compare as sets.
#include "filterregistrystore.h"
#include "mapperfixture.h"
#include "registrationrunner.h"
#include "registrymapper.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

Guid parseGuid(const std::string &text)
{
    Guid g{};
    unsigned int d[11] = {};
    std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d[0], &d[1], &d[2], &d[3], &d[4], &d[5],
                &d[6], &d[7], &d[8], &d[9], &d[10]);
    g.data1 = d[0];
    g.data2 = uint16_t(d[1]);
    g.data3 = uint16_t(d[2]);
    for (int i = 0; i < 8; ++i)
        g.data4[i] = uint8_t(d[3 + i]);
    return g;
}

MapperFixture readFixture(const std::string &path)
{
    MapperFixture fixture;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind, a, b;
        words >> kind >> a >> b;
        if (kind == "merit")
            fixture.merits.emplace_back(a, uint32_t(std::stoul(b, nullptr, 16)));
        else if (kind == "type")
            fixture.answers.push_back({PinMediaType{parseGuid(a), parseGuid(b)}, {}});
        else if (kind == "offer" && !fixture.answers.empty())
            fixture.answers.back().offered.emplace_back(a, uint32_t(std::stoul(b, nullptr, 16)));
    }
    return fixture;
}

} // namespace

TEST(WineMapperFixture, OurMapperOrdersTheSameRegistrationsAsWinesDid)
{
    testsupport::ScopedRegistry registry;
    const MapperFixture fixture = readFixture(KESTRANE_MAPPER_FIXTURE);
    ASSERT_EQ(size_t(knownFilterRowCount), fixture.merits.size());
    ASSERT_EQ(fixtureTypes().size(), fixture.answers.size());
    std::set<std::string> servers;
    for (const KnownFilterRow &row : knownFilterRows) {
        if (servers.insert(row.server).second) {
            const std::string server = testsupport::programFolder() + row.server + ".ax";
            ASSERT_EQ(0, runRegsvr32(nullptr, true, testsupport::widen(server).c_str(), true));
        }
    }
    for (const auto &merit : fixture.merits) {
        for (int waited = 0; !isFilterRegistered(nullptr, merit.first.c_str()) && waited < 10000; waited += 50)
            testsupport::sleepMs(50);
        ASSERT_EQ(0, writeFilterMerit(merit.second, nullptr, merit.first.c_str()));
    }
    size_t offered = 0;
    for (const MapperFixture::Answer &wine : fixture.answers) {
        SCOPED_TRACE(guidText(wine.type.major) + " " + guidText(wine.type.minor));
        std::vector<std::pair<std::string, uint32_t>> ours;
        for (const MappedFilter &filter : registryMatchingFilters(wine.type))
            ours.emplace_back(filter.instance, filter.merit);
        EXPECT_EQ(meritGroups(wine.offered), meritGroups(ours));
        offered += wine.offered.size();
    }
    EXPECT_GT(offered, fixture.answers.size()); // the recording offered filters at all
    std::printf("%zu types compared with Wine's answers, %zu filters offered\n", fixture.answers.size(), offered);
}
