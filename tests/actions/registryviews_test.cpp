// The two registry views of 64-bit Windows through the filter actions: each
// view lists its own filters, an action in one view never writes the other,
// and a server file goes to the view of its bitness. A filter is put into the
// 32-bit view by copying its 64-bit registration there, so these tests need
// no 32-bit program; those that need SysWOW64's regsvr32.exe say so and are
// skipped where it does not exist.
#include "filteractions.h"
#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "registrymapper.h"
#include "sampleservers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const int h264 = 0, hevc = 2, mpeg2Video = 40, mpeg2VideoTwin = 42;
const RegistryView view64 = RegistryView::Bits64, view32 = RegistryView::Bits32;
const uint32_t high = 0xFFFFFFFFu, disable = 0x00200000u;

std::string instancePath(int slot)
{
    return std::string(legacyFilterInstancePrefix) + knownFilterRows[slot].clsid;
}

std::string classPath(int slot)
{
    return std::string("CLSID\\") + knownFilterRows[slot].clsid;
}

// One value as bytes, or "-" when the key or the value is missing.
std::string valueBytes(RegistryView view, const std::string &path, const char *name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
        return "-";
    BYTE data[4096];
    DWORD size = sizeof data, type = REG_NONE;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::to_string(type) + ":" + std::string(reinterpret_cast<char *>(data), size) : "-";
}

// Everything a registration of the known filters holds in one view.
std::string snapshot(RegistryView view)
{
    std::string all;
    for (int slot = 0; slot < knownFilterRowCount; ++slot) {
        all += valueBytes(view, instancePath(slot), "FriendlyName") + valueBytes(view, instancePath(slot), "FilterData");
        all += valueBytes(view, instancePath(slot), "CLSID") + valueBytes(view, classPath(slot), "");
        all += valueBytes(view, classPath(slot) + "\\InprocServer32", "");
        all += valueBytes(view, classPath(slot) + "\\InprocServer32", "ThreadingModel") + "\n";
    }
    return all;
}

std::vector<int> slotsOf(const std::vector<FilterRow> &rows)
{
    std::vector<int> slots;
    for (const FilterRow &row : rows)
        slots.push_back(row.slot);
    return slots;
}

// A file of `size` bytes holding a PE header whose optional header has `magic`.
std::string writePeFile(const std::string &path, unsigned magic)
{
    std::string bytes(512, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = char(0x80);
    bytes.replace(0x80, 4, std::string("PE\0\0", 4));
    bytes[0x80 + 24] = char(magic & 0xFF);
    bytes[0x80 + 25] = char(magic >> 8);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

bool hasThirtyTwoBitTool()
{
    return fileExists(regsvr32Path(view32).c_str());
}

class RegistryViewsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(buildCatalogue(catalogue));
        actions64 = new FilterActions(catalogue, view64);
        actions32 = new FilterActions(catalogue, view32);
        if (!systemHasTwoViews())
            GTEST_SKIP() << "this system keeps one registry view";
        // 64-bit only: H.264. 32-bit only: HEVC. Both, with other merits in
        // the 32-bit view: the MPEG-2 video pair.
        for (int slot : {h264, hevc, mpeg2Video})
            ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[slot].server), true));
        ASSERT_TRUE(copyTo32BitView(hevc, 0x00500000));
        ASSERT_TRUE(copyTo32BitView(mpeg2Video, 0x00300000));
        ASSERT_TRUE(copyTo32BitView(mpeg2VideoTwin, 0x00300001));
        ASSERT_EQ(0, removeFilterRegistration(nullptr, knownFilterRows[hevc].clsid, view64));
    }
    void TearDown() override
    {
        delete actions64;
        delete actions32;
        releaseCatalogue(catalogue);
        if (!folder.empty())
            testsupport::removeTree(folder);
    }

    testsupport::ScopedRegistry registry;
    FilterCatalogue *catalogue = nullptr;
    FilterActions *actions64 = nullptr;
    FilterActions *actions32 = nullptr;
    std::string folder;
};

TEST_F(RegistryViewsTest, EachViewListsItsOwnFiltersAndMerits)
{
    EXPECT_EQ((std::vector<int>{h264, mpeg2Video, mpeg2VideoTwin}), slotsOf(actions64->registeredFilters()));
    EXPECT_EQ((std::vector<int>{hevc, mpeg2Video, mpeg2VideoTwin}), slotsOf(actions32->registeredFilters()));
    EXPECT_EQ(3, actions64->registeredCount(view32));
    EXPECT_EQ(0x00300000u, actions32->row(mpeg2Video).merit);
    EXPECT_EQ(knownFilterRows[mpeg2Video].defaultMerit, actions64->row(mpeg2Video).merit);
    EXPECT_TRUE(actions32->row(hevc).serverExists);

    // Our mapper reads the view it is asked about.
    FilterDataContents contents;
    ASSERT_EQ(0, readFilterRegistration(knownFilterRows[hevc].clsid, contents, view32));
    EXPECT_EQ(int32_t(ERROR_FILE_NOT_FOUND), readFilterRegistration(knownFilterRows[hevc].clsid, contents, view64));
    PinMediaType type = {};
    ASSERT_TRUE(firstInputType(contents, type));
    const std::vector<MappedFilter> offered = registryMatchingFilters(type, view32);
    ASSERT_EQ(1u, offered.size());
    EXPECT_EQ(0x00500000u, offered[0].merit);
    EXPECT_TRUE(registryMatchingFilters(type, view64).empty());
}

TEST_F(RegistryViewsTest, ChangesInOneViewLeaveTheOtherViewsBytesAlone)
{
    const std::string before64 = snapshot(view64);
    // Merit changes with the linked partner rule, a stale registration's
    // removal and an unregistration, all in the 32-bit view.
    const std::vector<FilterResult> raised = actions32->setMerit(mpeg2Video, high);
    if (hasThirtyTwoBitTool()) {
        EXPECT_EQ(FilterOutcome::Changed, raised.front().outcome);
        EXPECT_EQ(high, actions32->row(mpeg2Video).merit);
        EXPECT_EQ(0x00300001u, actions32->row(mpeg2VideoTwin).merit) << "the partner keeps its merit";
    } else {
        EXPECT_EQ(statusRegistrationToolMissing, raised.front().status);
        EXPECT_EQ(0x00300000u, actions32->row(mpeg2Video).merit);
    }
    ASSERT_EQ(0, writeFilterMerit(0x00123456, nullptr, knownFilterRows[mpeg2VideoTwin].clsid, view32));
    EXPECT_EQ(FilterOutcome::Removed, actions32->removeRegistration(hevc).outcome);
    EXPECT_FALSE(actions32->isRegistered(hevc));
    const std::vector<FilterResult> removed = actions32->unregister(mpeg2Video);
    EXPECT_EQ(hasThirtyTwoBitTool() ? int32_t(ERROR_SUCCESS) : int32_t(statusRegistrationToolMissing),
              removed.front().status);
    EXPECT_EQ(before64, snapshot(view64));

    // And the other way round: the 64-bit view's actions keep off the 32-bit one.
    const std::string before32 = snapshot(view32);
    EXPECT_EQ(FilterOutcome::Changed, actions64->setMerit(mpeg2Video, disable).front().outcome);
    EXPECT_EQ(FilterOutcome::Removed, actions64->unregister(h264).front().outcome);
    EXPECT_EQ(before32, snapshot(view32));
}

TEST_F(RegistryViewsTest, AServerFileGoesToTheViewOfItsBitness)
{
    folder = testsupport::makeTempFolder();
    const std::string pe32 = writePeFile(folder + "Kestrane32.ax", 0x10B);
    const std::string pe64 = writePeFile(folder + "Kestrane64.ax", 0x20B);
    const std::string text = folder + "NotAServer.ax";
    std::ofstream(text) << "not a server";
    const std::string empty = folder + "Empty.ax";
    std::ofstream(empty).flush();
    EXPECT_EQ(ServerImage::Windows32, readServerImage(testsupport::widen(pe32)));
    EXPECT_EQ(ServerImage::Windows64, readServerImage(testsupport::widen(pe64)));
    EXPECT_EQ(ServerImage::NotAnImage, readServerImage(testsupport::widen(text)));
    EXPECT_EQ(ServerImage::NotAnImage, readServerImage(testsupport::widen(empty)));
    EXPECT_EQ(ServerImage::Unreadable, readServerImage(testsupport::widen(folder + "Missing.ax")));

    const std::string before64 = snapshot(view64), before32 = snapshot(view32);
    testsupport::UiCapture regsvr32Reports; // without /s regsvr32 may report in a box of its own
    const RegistrationReport report = actions64->registerServers(
        {testsupport::widen(pe32), testsupport::widen(pe64), testsupport::widen(text)}, ActionCallbacks());
    regsvr32Reports.finish();
    ASSERT_EQ(3u, report.files.size());
    EXPECT_EQ(view32, report.files[0].view) << "a 32-bit server chosen in the 64-bit view";
    if (!hasThirtyTwoBitTool()) {
        EXPECT_EQ(statusRegistrationToolMissing, report.files[0].status);
    }
    EXPECT_EQ(view64, report.files[1].view);
    EXPECT_EQ(0, report.files[1].status) << "regsvr32 ran (and cannot load a header alone)";
    EXPECT_EQ(statusNotAServer, report.files[2].status) << "never given to regsvr32";
    EXPECT_EQ(before64, snapshot(view64));
    EXPECT_EQ(before32, snapshot(view32));

    // In the 32-bit view, a path in System32 is the file in SysWOW64.
    const std::wstring system32 = regsvr32Path(view64);
    const std::wstring wow64 = regsvr32Path(view32);
    EXPECT_EQ(wow64, pathInView(system32, view32));
    EXPECT_EQ(system32, pathInView(system32, view64));
}

TEST_F(RegistryViewsTest, WithoutSysWow64sRegsvr32NothingIsResetInThe32BitView)
{
    if (hasThirtyTwoBitTool())
        GTEST_SKIP() << "this system has SysWOW64's regsvr32.exe";
    // A stale registration in the 32-bit view is not removed on the way either.
    ASSERT_TRUE(copyTo32BitView(h264, 0x00100000));
    HKEY server = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, (classPath(h264) + "\\InprocServer32").c_str(), 0,
                                           KEY_ALL_ACCESS | KEY_WOW64_32KEY, &server));
    const char gone[] = "C:\\Kestrane\\Gone\\KestraneH264.ax";
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(server, "", 0, REG_SZ, reinterpret_cast<const BYTE *>(gone), sizeof gone));
    RegCloseKey(server);
    const std::string before32 = snapshot(view32);
    bool asked = false;
    ActionCallbacks callbacks;
    callbacks.removeStaleRegistration = [&](const FilterRow &) { return asked = true; };
    EXPECT_FALSE(actions32->missingRegistrationTool().empty());
    const ResetReport report = actions32->reset(slotsOf(actions32->registeredFilters()), callbacks);
    ASSERT_EQ(4u, report.filters.size());
    for (const FilterResult &result : report.filters)
        EXPECT_EQ(statusRegistrationToolMissing, result.status);
    EXPECT_FALSE(asked);
    EXPECT_EQ(before32, snapshot(view32));
}

TEST_F(RegistryViewsTest, ThirtyTwoBitServersRegisterWithSysWow64sRegsvr32)
{
    if (!hasThirtyTwoBitTool())
        GTEST_SKIP() << "no SysWOW64 regsvr32.exe: this system runs no 32-bit programs";
    const std::string before64 = snapshot(view64);
    ASSERT_EQ(0, removeFilterRegistration(nullptr, knownFilterRows[hevc].clsid, view32));
    const ResetReport report = actions32->reset({mpeg2Video, mpeg2VideoTwin}, ActionCallbacks());
    ASSERT_EQ(2u, report.filters.size());
    EXPECT_EQ(FilterOutcome::Changed, report.filters[0].outcome);
    EXPECT_EQ(knownFilterRows[mpeg2Video].defaultMerit, actions32->row(mpeg2Video).merit);
    EXPECT_EQ(0, runRegsvr32(0, true, testsupport::widen(serverFile(knownFilterRows[hevc].server)).c_str(), true,
                             nullptr, view32));
    EXPECT_TRUE(actions32->isRegistered(hevc));
    EXPECT_EQ(before64, snapshot(view64));
}

} // namespace
