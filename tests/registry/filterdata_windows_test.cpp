// The blob our sample servers write must be byte for byte the one
// DirectShow's filter mapper writes for the same filter description.
#include "filterdata.h"
#include "filtermapper_windows.h"
#include "filterregistrystore.h"
#include "testkeys.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<BYTE> storedFilterData(const char *clsid)
{
    const std::string path = std::string(legacyFilterInstancePrefix) + clsid;
    HKEY key = nullptr;
    std::vector<BYTE> data;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return data;
    DWORD size = 0, type = 0;
    RegQueryValueExA(key, "FilterData", nullptr, &type, nullptr, &size);
    data.resize(size);
    RegQueryValueExA(key, "FilterData", nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    return data;
}

TEST(FilterDataLayout, SameBytesAsDirectShowsFilterMapper)
{
    testsupport::ScopedRegistry registry;
    // One filter of each kind: a video decoder, an audio decoder, a demultiplexer.
    for (int slot : {0, 20, 44, 46}) {
        const KnownFilterRow &row = knownFilterRows[slot];
        const std::vector<PinDescription> pins = samplePins(row);
        ASSERT_EQ(S_OK, registerWithFilterMapper(testkeys::testFilterClsid, row.name, row.defaultMerit, pins));
        const std::vector<uint8_t> ours = buildFilterData(row.defaultMerit, pins);
        const std::vector<BYTE> mapper = storedFilterData(testkeys::testFilterClsid);
        EXPECT_EQ(std::vector<BYTE>(ours.begin(), ours.end()), mapper) << row.name;
        EXPECT_EQ(row.defaultMerit, readFilterMerit(nullptr, testkeys::testFilterClsid));
    }
}

} // namespace
