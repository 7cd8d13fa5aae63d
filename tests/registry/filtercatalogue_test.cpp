#include "failingallocator.h"
#include "filtercatalogue.h"
#include "knownfilterrows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

using testsupport::allocateFailingAt;
using testsupport::failingSlot;

class CatalogueTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        releaseCatalogue(catalogue);
        knownFilterAllocator = saved;
    }
    FilterCatalogue *catalogue = nullptr;
    KnownFilterAllocator saved = knownFilterAllocator;
};

TEST_F(CatalogueTest, BuildFillsFiftyTwoSlotsWithoutNames)
{
    ASSERT_TRUE(buildCatalogue(catalogue));
    int walked = 0;
    for (int i = 0; i < filterCatalogueSlots && catalogue->slot[i]; ++i, ++walked) {
        EXPECT_EQ(nullptr, catalogue->slot[i]->friendlyName);
        EXPECT_STREQ(knownFilterRows[i].clsid, catalogue->slot[i]->clsid);
        EXPECT_EQ(knownFilterRows[i].defaultMerit, catalogue->slot[i]->defaultMerit);
    }
    EXPECT_EQ(52, walked);
    EXPECT_EQ(nullptr, catalogue->slot[52]);
    EXPECT_EQ(nullptr, catalogue->slot[255]);
    EXPECT_EQ(nullptr, catalogueEntry(catalogue, 256));
    EXPECT_EQ(nullptr, catalogueEntry(catalogue, -1));
}

TEST_F(CatalogueTest, ClsidsAreDistinctUpperCaseRegistryForm)
{
    std::set<std::string> seen;
    for (const KnownFilterRow &row : knownFilterRows) {
        const std::string id = row.clsid;
        ASSERT_EQ(38u, id.size()) << id;
        EXPECT_EQ('{', id.front());
        EXPECT_EQ('}', id.back());
        for (size_t i = 1; i < 37; ++i) {
            if (i == 9 || i == 14 || i == 19 || i == 24)
                EXPECT_EQ('-', id[i]) << id;
            else
                EXPECT_TRUE(std::strchr("0123456789ABCDEF", id[i])) << id;
        }
        EXPECT_TRUE(seen.insert(id).second) << "duplicate " << id;
    }
}

TEST_F(CatalogueTest, DefaultMeritsFollowTheirPairRule)
{
    int oneLess = 0;
    for (int i = 0; i < knownFilterRowCount; i += 2) {
        EXPECT_LE(knownFilterRows[i + 1].defaultMerit, knownFilterRows[i].defaultMerit) << i;
        oneLess += knownFilterRows[i + 1].defaultMerit + 1 == knownFilterRows[i].defaultMerit;
    }
    EXPECT_EQ(19, oneLess);
    // Each linked pair shares one server; every other filter has its own.
    EXPECT_STREQ(knownFilterRows[40].server, knownFilterRows[42].server);
    EXPECT_STREQ(knownFilterRows[41].server, knownFilterRows[43].server);
    std::set<std::string> servers;
    for (const KnownFilterRow &row : knownFilterRows)
        servers.insert(row.server);
    EXPECT_EQ(50u, servers.size());
}

TEST_F(CatalogueTest, RebuildFreesCachedNamesAndStartsFresh)
{
    ASSERT_TRUE(buildCatalogue(catalogue));
    for (int i : {0, 7, 51}) {
        catalogue->slot[i]->friendlyName = static_cast<char *>(std::malloc(8));
        std::strcpy(catalogue->slot[i]->friendlyName, "cached");
    }
    ASSERT_TRUE(buildCatalogue(catalogue)); // leak checkers see a lost name here
    for (int i = 0; i < 52; ++i)
        EXPECT_EQ(nullptr, catalogue->slot[i]->friendlyName);
    EXPECT_EQ(52, releaseCatalogue(catalogue));
    EXPECT_EQ(nullptr, catalogue);
    EXPECT_EQ(0, releaseCatalogue(catalogue));
}

TEST_F(CatalogueTest, AllocationFailureKeepsTheSlotsBeforeIt)
{
    knownFilterAllocator = allocateFailingAt;
    for (int k : {0, 1, 17, 51}) {
        failingSlot = k;
        EXPECT_FALSE(buildCatalogue(catalogue)) << k;
        ASSERT_NE(nullptr, catalogue);
        for (int i = 0; i < filterCatalogueSlots; ++i)
            EXPECT_EQ(i < k, catalogue->slot[i] != nullptr) << "slot " << i << " after failing at " << k;
        EXPECT_EQ(k, releaseCatalogue(catalogue));
    }
}

} // namespace
