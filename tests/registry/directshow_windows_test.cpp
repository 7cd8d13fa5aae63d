// DirectShow itself reads the merits the registry layer writes: after every
// write, the system device enumerator's view of the legacy filter category
// and the filter mapper's enumeration by minimum merit agree with it. The
// sample server is registered by the system's own regsvr32.exe.
#include "filtercatalogue.h"
#include "filterdata.h"
#include "filterregistrystore.h"
#include "filterview_windows.h"
#include "knownfilterrows.h"
#include "testsupport.h"
#include "win32api.h"

#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

namespace {

const uint32_t meritHigh = 0xFFFFFFFF;
const uint32_t meritDisable = 0x200000;
const uint32_t meritCustom = 0x00C0FFEE;

// A video decoder with a server of its own and a default merit (0x5FFFFE)
// below that of the legacy filter category itself (0x600000): the filter
// mapper skips a whole category whose merit is below the minimum asked for,
// so only such a filter can be found above its old merit.
const int sampleSlot = 5;
// Wine's and Windows' AVI splitter, registered in the legacy category by the system.
const char systemFilterClsid[] = "{1B544C20-FD0B-11CE-8C63-00AA0044B51E}";

// The merit in the FilterData that DirectShow's system device enumerator
// reads for the filter through the moniker's property bag; nothing when the
// filter is not listed or its blob has no merit field.
std::optional<uint32_t> directShowMerit(const char *clsid)
{
    const FilterView view = directShowView(clsid);
    return view.hasMerit ? std::optional<uint32_t>(view.merit) : std::nullopt;
}

// Whether the filter mapper offers the filter for its own input type when
// asked for filters of at least minimumMerit.
bool mapperOffers(const KnownFilterRow &row, uint32_t minimumMerit)
{
    static_assert(sizeof(Guid) == sizeof(GUID), "Guid has GUID's layout");
    GUID types[2] = {};
    for (const PinDescription &pin : samplePins(row)) {
        if (!(pin.flags & pinFlagOutput) && !pin.mediaTypes.empty()) {
            std::memcpy(&types[0], &pin.mediaTypes[0].major, sizeof(GUID));
            std::memcpy(&types[1], &pin.mediaTypes[0].minor, sizeof(GUID));
            break;
        }
    }
    IFilterMapper2 *mapper = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void **>(&mapper))))
        return false;
    bool found = false;
    IEnumMoniker *monikers = nullptr;
    if (SUCCEEDED(mapper->EnumMatchingFilters(&monikers, 0, FALSE, minimumMerit, TRUE, 1, types, nullptr, nullptr,
                                              FALSE, FALSE, 0, nullptr, nullptr, nullptr)) && monikers) {
        const std::wstring wanted = testsupport::widen(row.clsid);
        IMoniker *moniker = nullptr;
        while (!found && monikers->Next(1, &moniker, nullptr) == S_OK) {
            found = _wcsicmp(monikerClsid(moniker).c_str(), wanted.c_str()) == 0;
            moniker->Release();
        }
        monikers->Release();
    }
    mapper->Release();
    return found;
}

// Runs the system's regsvr32.exe silently on a server and waits for its end.
DWORD runSystemRegsvr32(const std::string &server)
{
    std::string commandLine = "regsvr32.exe /s \"" + server + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    DWORD code = WAIT_TIMEOUT;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class DirectShowMerits : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        comStarted = true;
        ASSERT_TRUE(buildCatalogue(catalogue));
        ASSERT_EQ(0u, runSystemRegsvr32(server()));
        ASSERT_EQ(std::optional<uint32_t>(row().defaultMerit), directShowMerit(row().clsid));
    }
    void TearDown() override
    {
        releaseCatalogue(catalogue);
        if (comStarted)
            CoUninitialize();
    }

    static const KnownFilterRow &row() { return knownFilterRows[sampleSlot]; }
    static std::string server() { return testsupport::programFolder() + row().server + ".ax"; }
    KnownFilter *entry() const { return catalogueEntry(catalogue, sampleSlot); }

    testsupport::ScopedRegistry registry;
    FilterCatalogue *catalogue = nullptr;
    bool comStarted = false;
};

TEST_F(DirectShowMerits, EnumeratorReportsEachMeritWrittenByEntryOrClsid)
{
    // Every step writes a value other than the one before, so a write that
    // did nothing cannot pass.
    const struct {
        uint32_t merit;
        bool byEntry;
    } steps[] = {{meritHigh, true},  {meritDisable, false}, {meritCustom, true},
                 {meritHigh, false}, {meritDisable, true},  {meritCustom, false}};
    for (const auto &step : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << step.merit << (step.byEntry ? " by entry" : " by CLSID"));
        const int32_t status = step.byEntry ? writeFilterMerit(step.merit, entry())
                                            : writeFilterMerit(step.merit, nullptr, row().clsid);
        ASSERT_EQ(0, status);
        EXPECT_EQ(std::optional<uint32_t>(step.merit), directShowMerit(row().clsid));
    }
}

TEST_F(DirectShowMerits, ReRegisteringTheServerBringsBackItsDefault)
{
    ASSERT_EQ(0, writeFilterMerit(meritCustom, entry()));
    ASSERT_EQ(std::optional<uint32_t>(meritCustom), directShowMerit(row().clsid));
    ASSERT_EQ(0u, runSystemRegsvr32(server()));
    EXPECT_EQ(std::optional<uint32_t>(row().defaultMerit), directShowMerit(row().clsid));
    EXPECT_EQ(row().defaultMerit, readFilterMerit(entry()));
}

TEST_F(DirectShowMerits, MapperOffersTheFilterAboveItsOldMeritOnlyAfterHigh)
{
    const uint32_t aboveDefault = row().defaultMerit + 1;
    ASSERT_LE(aboveDefault, 0x600000u) << "the legacy category itself would be skipped";
    EXPECT_TRUE(mapperOffers(row(), row().defaultMerit));
    EXPECT_FALSE(mapperOffers(row(), aboveDefault));
    ASSERT_EQ(0, writeFilterMerit(meritHigh, entry()));
    EXPECT_TRUE(mapperOffers(row(), aboveDefault));
    ASSERT_EQ(0, writeFilterMerit(meritDisable, nullptr, row().clsid));
    EXPECT_FALSE(mapperOffers(row(), aboveDefault));
    ASSERT_EQ(0, writeFilterMerit(meritCustom, entry()));
    EXPECT_TRUE(mapperOffers(row(), aboveDefault));
}

// Puts a system filter's merit back however the test ends.
class MeritRestorer {
public:
    MeritRestorer(const char *clsid) : restoredClsid(clsid), savedMerit(readFilterMerit(nullptr, clsid)) {}
    ~MeritRestorer() { writeFilterMerit(savedMerit, nullptr, restoredClsid); }
    uint32_t merit() const { return savedMerit; }

private:
    const char *restoredClsid;
    uint32_t savedMerit;
};

TEST_F(DirectShowMerits, SystemFilterByClsidStringAndRestored)
{
    std::optional<uint32_t> original;
    {
        MeritRestorer restorer(systemFilterClsid);
        original = directShowMerit(systemFilterClsid);
        ASSERT_TRUE(original.has_value()) << "the system's AVI splitter is not registered";
        ASSERT_EQ(*original, restorer.merit());
        for (uint32_t merit : {meritHigh, meritDisable, meritCustom}) {
            ASSERT_EQ(0, writeFilterMerit(merit, nullptr, systemFilterClsid));
            EXPECT_EQ(std::optional<uint32_t>(merit), directShowMerit(systemFilterClsid)) << std::hex << merit;
        }
    }
    EXPECT_EQ(original, directShowMerit(systemFilterClsid));
}

} // namespace
