// Reading FilterData back: what the sample servers write reads back whole,
// and a blob that does not fit its own counts and offsets is refused
// without reading outside it.
#include "filterdata.h"
#include "filterdatareader.h"

#include <gtest/gtest.h>

namespace {

void put(std::vector<uint8_t> &blob, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        blob[at + i] = uint8_t(value >> (8 * i));
}

bool samePins(const std::vector<PinDescription> &a, const std::vector<PinDescription> &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].flags != b[i].flags || a[i].instances != b[i].instances ||
            a[i].mediaTypes.size() != b[i].mediaTypes.size())
            return false;
        for (size_t j = 0; j < a[i].mediaTypes.size(); ++j)
            if (a[i].mediaTypes[j].major != b[i].mediaTypes[j].major ||
                a[i].mediaTypes[j].minor != b[i].mediaTypes[j].minor)
                return false;
    }
    return true;
}

TEST(FilterDataReader, WhatTheSampleServersWriteReadsBack)
{
    for (const KnownFilterRow &row : knownFilterRows) {
        const std::vector<PinDescription> pins = samplePins(row);
        const std::vector<uint8_t> blob = buildFilterData(row.defaultMerit, pins);
        FilterDataContents contents;
        ASSERT_TRUE(readFilterData(blob.data(), blob.size(), contents)) << row.name;
        EXPECT_EQ(row.defaultMerit, contents.merit);
        EXPECT_TRUE(samePins(pins, contents.pins)) << row.name;
        PinMediaType input;
        ASSERT_TRUE(firstInputType(contents, input));
        EXPECT_TRUE(input.minor == pins[0].mediaTypes[0].minor);
    }
}

TEST(FilterDataReader, PinCategoriesAndMediumsAreSteppedOver)
{
    // One input pin with a category and one medium, then an output pin:
    // records 16 + (24 + 4 + 16 + 4) + (24 + 16), then the pool.
    std::vector<uint8_t> blob(104 + 16 * 3 + 24, 0);
    put(blob, 0, 2);
    put(blob, 4, 0x600000);
    put(blob, 8, 2);
    const size_t pool = 104;
    put(blob, 16 + 12, 1);        // media types
    put(blob, 16 + 16, 1);        // mediums
    put(blob, 16 + 20, 1);        // has a category
    put(blob, 16 + 24, pool);     // the category
    put(blob, 44 + 8, pool + 16); // major
    put(blob, 44 + 12, pool + 32);
    put(blob, 60, pool + 48);     // the medium
    put(blob, 64 + 4, pinFlagOutput);
    put(blob, 64 + 12, 1);
    put(blob, 88 + 8, pool + 16);
    put(blob, 88 + 12, pool + 16);
    blob[pool + 32] = 0x42;
    FilterDataContents contents;
    ASSERT_TRUE(readFilterData(blob.data(), blob.size(), contents));
    ASSERT_EQ(2u, contents.pins.size());
    PinMediaType input;
    ASSERT_TRUE(firstInputType(contents, input));
    EXPECT_EQ(0x42u, input.minor.data1);
    EXPECT_EQ(pinFlagOutput, contents.pins[1].flags);
}

TEST(FilterDataReader, BlobsThatDoNotFitAreRefused)
{
    const std::vector<uint8_t> good = buildFilterData(0x800000, samplePins(knownFilterRows[0]));
    FilterDataContents contents;
    // Every cut short of the whole blob loses a record or a GUID.
    for (size_t size = 0; size < good.size(); ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + long(size));
        EXPECT_FALSE(readFilterData(cut.data(), cut.size(), contents)) << size;
    }
    const struct {
        size_t at;
        uint32_t value;
        const char *what;
    } damage[] = {{0, 1, "layout version 1"},          {0, 3, "layout version 3"},
                  {8, 0xFFFFFFFF, "pin count"},        {16 + 12, 0x10000000, "media type count"},
                  {16 + 16, 0xFFFFFFFF, "medium count"}, {16 + 20, 1, "category beyond the blob"},
                  {40 + 8, 0xFFFFFFF8, "offset wrapping around"}, {40 + 12, uint32_t(good.size()) - 15,
                                                                   "subtype reaching past the end"}};
    for (const auto &d : damage) {
        std::vector<uint8_t> bad = good;
        put(bad, d.at, d.value);
        EXPECT_FALSE(readFilterData(bad.data(), bad.size(), contents)) << d.what;
    }
    EXPECT_FALSE(readFilterData(nullptr, 64, contents));
}

} // namespace
