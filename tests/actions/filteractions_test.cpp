// The filter actions without a window, on the platform's registry and
// regsvr32 with the sample servers: what each action changes, and that its
// results name every filter it touched with the right outcome.
#include "filteractions.h"
#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "meritpolicystore.h"
#include "meritrecords.h"
#include "sampleservers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int h264 = 0, hevc = 2, mpeg2Video = 40, mpeg2VideoTwin = 42, matroska = 46;
const uint32_t custom = 0x00123456;

class FilterActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(buildCatalogue(catalogue));
        actions = new FilterActions(catalogue, RegistryView::Bits64);
        for (int slot : {h264, hevc, mpeg2Video, matroska})
            ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[slot].server), true));
    }
    void TearDown() override
    {
        registry.setFiltersWritable(true);
        delete actions;
        releaseCatalogue(catalogue);
        if (!folder.empty())
            testsupport::removeTree(folder);
    }
    static uint32_t merit(int slot) { return readFilterMerit(nullptr, knownFilterRows[slot].clsid); }
    static void setMerit(int slot, uint32_t value)
    {
        ASSERT_EQ(0, writeFilterMerit(value, nullptr, knownFilterRows[slot].clsid));
    }
    // Registers a copy of a filter's server from a folder of its own, then
    // deletes the copy: the filter stays registered with a missing server.
    void registerStaleCopy(int slot)
    {
        folder = testsupport::makeTempFolder();
        const std::string copy = folder + knownFilterRows[slot].server + ".ax";
        ASSERT_TRUE(copyServer(knownFilterRows[slot].server, copy));
        ASSERT_EQ(0, serverCall(copy, true));
        ASSERT_EQ(0, std::remove(copy.c_str()));
    }
    static const FilterResult *resultOf(const std::vector<FilterResult> &results, int slot)
    {
        for (const FilterResult &result : results)
            if (result.slot == slot)
                return &result;
        return nullptr;
    }

    testsupport::ScopedRegistry registry;
    FilterCatalogue *catalogue = nullptr;
    FilterActions *actions = nullptr;
    std::string folder;
};

TEST_F(FilterActionsTest, RowsHoldTheRegistrysValues)
{
    setMerit(hevc, custom);
    registerStaleCopy(matroska);
    const std::vector<FilterRow> rows = actions->registeredFilters();
    ASSERT_EQ(5u, rows.size()); // the MPEG-2 video server registers both members of its pair
    EXPECT_EQ(hevc, rows[1].slot);
    EXPECT_EQ(custom, rows[1].merit);
    EXPECT_EQ(knownFilterRows[hevc].defaultMerit, rows[1].defaultMerit);
    EXPECT_EQ(std::string(knownFilterRows[hevc].name), rows[1].name);
    EXPECT_EQ(testsupport::widen(serverFile(knownFilterRows[hevc].server)), rows[1].serverPath);
    EXPECT_TRUE(rows[1].serverExists);
    EXPECT_EQ(rows[1].name, rows[1].nameUtf8);
    EXPECT_EQ(matroska, rows[4].slot);
    EXPECT_FALSE(rows[4].serverExists);
    EXPECT_FALSE(rows[4].serverPath.empty());
    EXPECT_EQ(-1, actions->row(knownFilterRowCount).slot); // the first empty slot

    // A class key outlives its category entry: the filter is no longer
    // listed, but its row still names the server to register again.
    const std::string instance = std::string(legacyFilterInstancePrefix) + knownFilterRows[hevc].clsid;
    ASSERT_EQ(ERROR_SUCCESS, LONG(SHDeleteKeyA(HKEY_CLASSES_ROOT, instance.c_str())));
    EXPECT_FALSE(actions->row(hevc).registered);
    EXPECT_EQ(rows[1].serverPath, actions->row(hevc).serverPath);
    EXPECT_EQ(rows.size() - 1, actions->registeredFilters().size());
}

TEST_F(FilterActionsTest, MeritChangesKeepTheLinkedPartnerAndNameTheServersOtherFilters)
{
    setMerit(mpeg2VideoTwin, custom);
    std::vector<FilterResult> results = actions->setMerit(mpeg2Video, 0xFFFFFFFF);
    ASSERT_EQ(2u, results.size());
    EXPECT_EQ(mpeg2Video, results[0].slot);
    EXPECT_EQ(FilterOutcome::Changed, results[0].outcome);
    EXPECT_EQ(0xFFFFFFFFu, results[0].meritAfter);
    EXPECT_EQ(0xFFFFFFFFu, merit(mpeg2Video));
    // The re-registration reset the twin; its merit was written back.
    EXPECT_EQ(mpeg2VideoTwin, results[1].slot);
    EXPECT_EQ(FilterOutcome::Unchanged, results[1].outcome);
    EXPECT_EQ(custom, merit(mpeg2VideoTwin));

    // Default on a filter already at its default is no refusal.
    results = actions->setDefaultMerit(h264);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(FilterOutcome::Unchanged, results[0].outcome);
    EXPECT_EQ(0, results[0].status);

    results = actions->setMerit(knownFilterRowCount, 1); // an empty slot
    EXPECT_EQ(FilterOutcome::Failed, results[0].outcome);
    EXPECT_EQ(ERROR_BAD_ARGUMENTS, results[0].status);
}

TEST_F(FilterActionsTest, RefusedWritesAreRefusalsAndChangeNothing)
{
    setMerit(hevc, custom);
    if (!registry.setFiltersWritable(false))
        GTEST_SKIP() << "write access cannot be taken away here";
    std::vector<FilterResult> results = actions->setMerit(h264, 0xFFFFFFFF);
    EXPECT_EQ(FilterOutcome::Refused, results[0].outcome);
    EXPECT_EQ(ERROR_ACCESS_DENIED, results[0].status);
    EXPECT_EQ(knownFilterRows[h264].defaultMerit, merit(h264));
    // A re-registration that left a custom merit as it was was refused.
    results = actions->setDefaultMerit(hevc);
    EXPECT_EQ(FilterOutcome::Refused, results[0].outcome);
    EXPECT_EQ(custom, merit(hevc));
    // So was an unregistration that left the filter registered. (Windows
    // refuses the removal of a key for want of the right to delete it, which
    // the tests' refusal does not take away there: the outcome says what the
    // registry holds either way.)
    results = actions->unregister(h264);
    ASSERT_FALSE(results.empty());
    EXPECT_EQ(actions->isRegistered(h264) ? FilterOutcome::Refused : FilterOutcome::Removed, results[0].outcome);
}

TEST_F(FilterActionsTest, ResetReportsProgressStopsWhenCancelledAndAsksAboutStaleServers)
{
    setMerit(h264, custom);
    setMerit(hevc, custom);
    std::vector<int> steps;
    ActionCallbacks callbacks;
    callbacks.progress = [&](int done, int total, int slot) {
        EXPECT_EQ(2, total);
        EXPECT_EQ(int(steps.size()), done);
        steps.push_back(slot);
    };
    callbacks.cancelled = [&] { return steps.size() == 1; };
    ResetReport report = actions->reset({h264, hevc}, callbacks);
    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(std::vector<int>{h264}, steps);
    ASSERT_EQ(1u, report.filters.size());
    EXPECT_EQ(FilterOutcome::Changed, report.filters[0].outcome);
    EXPECT_EQ(knownFilterRows[h264].defaultMerit, merit(h264));
    EXPECT_EQ(custom, merit(hevc)); // never reached

    registerStaleCopy(matroska);
    std::vector<int> asked;
    ActionCallbacks stale;
    stale.removeStaleRegistration = [&](const FilterRow &row) {
        asked.push_back(row.slot);
        return asked.size() > 1; // No the first time, Yes the second
    };
    report = actions->reset({matroska, hevc}, stale);
    ASSERT_EQ(2u, report.filters.size());
    EXPECT_EQ(FilterOutcome::ServerMissing, report.filters[0].outcome);
    EXPECT_EQ(FilterOutcome::Changed, report.filters[1].outcome);
    EXPECT_TRUE(actions->isRegistered(matroska));
    report = actions->reset({matroska}, stale);
    EXPECT_EQ(FilterOutcome::Removed, report.filters[0].outcome);
    EXPECT_FALSE(actions->isRegistered(matroska));
    EXPECT_EQ((std::vector<int>{matroska, matroska}), asked);
}

TEST_F(FilterActionsTest, RegisterAndUnregisterNameWhatTheyAddedAndRemoved)
{
    const std::wstring missing = testsupport::widen(serverFile("KestraneNoSuchServer"));
    const std::wstring vp9 = testsupport::widen(serverFile(knownFilterRows[11].server));
    testsupport::UiCapture regsvr32Reports; // without /s regsvr32 may report in a box of its own
    const RegistrationReport registration = actions->registerServers({missing, vp9}, ActionCallbacks());
    ASSERT_EQ(2u, registration.files.size());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, registration.files[0].status);
    EXPECT_EQ(0, registration.files[1].status);
    EXPECT_EQ(0u, registration.files[1].exitCode);
    EXPECT_TRUE(registration.files[0].added.empty());
    EXPECT_EQ(std::vector<int>{11}, registration.files[1].added);
    EXPECT_TRUE(registration.files[1].listed);
    // Registered again, it adds nothing, but its filter is listed all the same.
    const RegistrationReport again = actions->registerServers({vp9}, ActionCallbacks());
    ASSERT_EQ(1u, again.files.size());
    EXPECT_TRUE(again.files[0].added.empty());
    EXPECT_TRUE(again.files[0].listed);
    regsvr32Reports.finish();

    // One server, two listed filters: both are named.
    std::vector<FilterResult> results = actions->unregister(mpeg2VideoTwin);
    ASSERT_EQ(2u, results.size());
    EXPECT_EQ(mpeg2VideoTwin, results[0].slot);
    EXPECT_EQ(FilterOutcome::Removed, results[0].outcome);
    ASSERT_NE(nullptr, resultOf(results, mpeg2Video));
    EXPECT_EQ(FilterOutcome::Removed, resultOf(results, mpeg2Video)->outcome);
    EXPECT_FALSE(actions->isRegistered(mpeg2Video));

    // A filter whose server is gone is not unregistered: regsvr32 never runs.
    registerStaleCopy(matroska);
    results = actions->unregister(matroska);
    ASSERT_EQ(1u, results.size());
    EXPECT_EQ(FilterOutcome::ServerMissing, results[0].outcome);
    EXPECT_EQ(FilterOutcome::Removed, actions->removeRegistration(matroska).outcome);
    EXPECT_EQ(FilterOutcome::NotRegistered, actions->unregister(matroska)[0].outcome);

    // A merit change or an unregistration asks whether to remove it: No
    // keeps it, Yes removes it, and the result is the removal's.
    registerStaleCopy(matroska);
    ActionCallbacks answers;
    std::vector<int> asked;
    answers.removeStaleRegistration = [&](const FilterRow &row) {
        asked.push_back(row.slot);
        return asked.size() > 1;
    };
    EXPECT_EQ(FilterOutcome::ServerMissing, actions->setMerit(matroska, 0x00400000, answers)[0].outcome);
    EXPECT_TRUE(actions->isRegistered(matroska));
    results = actions->setDefaultMerit(matroska, answers);
    EXPECT_EQ(FilterOutcome::Removed, results[0].outcome);
    EXPECT_EQ(std::vector<int>({matroska, matroska}), asked);
    EXPECT_FALSE(actions->isRegistered(matroska));
}

// The user's choices are remembered where the registry keeps them, seen
// when a re-registration undid them, put back as chosen, and forgotten when
// the user chooses Default, Reset or Unregister.
TEST_F(FilterActionsTest, ChosenMeritsAreRememberedSeenWhenUndoneAndPutBack)
{
    const RegistryView view = RegistryView::Bits64;
    ASSERT_EQ(FilterOutcome::Changed, actions->setMerit(h264, custom).front().outcome);
    ASSERT_EQ(FilterOutcome::Changed, actions->setMerit(matroska, 0x00700000).front().outcome);
    std::vector<MeritRecord> records = readMeritRecords(view);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(knownFilterRows[h264].clsid, records[0].clsid);
    EXPECT_EQ(custom, records[0].merit);
    EXPECT_EQ(knownFilterRows[h264].name, records[0].name);
    EXPECT_EQ(20u, records[0].chosen.size()) << records[0].chosen;
    EXPECT_TRUE(actions->undoneChoices().empty());
    EXPECT_TRUE(readMeritRecords(RegistryView::Bits32).empty() || !systemHasTwoViews());

    // A re-registration from outside writes the built-in merits again; an
    // unregistration from outside leaves a choice for a filter that is gone.
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[h264].server), true));
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[matroska].server), false));
    std::vector<UndoneChoice> undone = actions->undoneChoices();
    ASSERT_EQ(2u, undone.size());
    EXPECT_EQ(h264, undone[0].slot);
    EXPECT_EQ(knownFilterRows[h264].defaultMerit, undone[0].merit);
    EXPECT_FALSE(undone[1].registered);
    const std::vector<FilterResult> putBack = actions->putBack();
    ASSERT_EQ(1u, putBack.size());
    EXPECT_EQ(FilterOutcome::Changed, putBack[0].outcome);
    EXPECT_EQ(custom, merit(h264));
    undone = actions->undoneChoices();
    ASSERT_EQ(1u, undone.size()) << "the gone filter's choice is kept";
    EXPECT_EQ(matroska, undone[0].slot);

    // Default and Unregister forget what they touch.
    actions->setDefaultMerit(h264);
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[matroska].server), true));
    ASSERT_EQ(FilterOutcome::Removed, actions->unregister(matroska).front().outcome);
    EXPECT_TRUE(readMeritRecords(view).empty());
    ASSERT_EQ(FilterOutcome::Changed, actions->setMerit(hevc, custom).front().outcome);
    actions->reset({hevc}, ActionCallbacks());
    EXPECT_TRUE(readMeritRecords(view).empty());
}

// A value of the organisation's policy for the 64-bit view, as Group
// Policy writes it.
void setPolicy(const std::wstring &name, DWORD type, const std::wstring &text)
{
    HKEY key = nullptr;
    ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, meritPolicyKey64, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr));
    EXPECT_EQ(0, RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE *>(text.c_str()),
                                DWORD((text.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}

std::wstring clsidOf(int slot)
{
    return testsupport::widen(knownFilterRows[slot].clsid);
}

// Faulty values are named and never applied; enforce writes the others as
// set does, recorded as the organisation's; set, apply, reset and put back
// leave the policy's filters at its merits, also the partner of a server
// registered again for its twin.
TEST_F(FilterActionsTest, PolicyMeritsAreEnforcedAndHeldByEveryAction)
{
    actions->setMerit(hevc, custom); // the user's choice, before the policy came
    setPolicy(clsidOf(hevc).substr(1, 36), REG_SZ, L"High");
    setPolicy(clsidOf(mpeg2VideoTwin), REG_SZ, L"0x700000");
    setPolicy(clsidOf(h264), REG_SZ, L"high");
    setPolicy(L"{6513270e-269e-4d37-b2a7-4de452e6b438}x", REG_SZ, L"high");
    setPolicy(clsidOf(h264).substr(1, 36), REG_SZ, L"disable"); // the same filter twice: neither
    setPolicy(clsidOf(matroska), REG_BINARY, L"high");
    setPolicy(clsidOf(mpeg2Video), REG_SZ, L"0x123456789");
    setPolicy(L"{00000000-0000-0000-0000-000000000000}", REG_SZ, L"high");

    const MeritPolicy policy = actions->meritPolicy();
    EXPECT_EQ(0, policy.status);
    ASSERT_EQ(2u, policy.merits.size());
    EXPECT_EQ(hevc, policy.merits[0].slot);
    EXPECT_EQ("high", policy.merits[0].word);
    EXPECT_EQ(0x00700000u, policy.merits[1].merit);
    std::vector<PolicyFault> faults;
    for (const PolicyProblem &problem : policy.problems)
        faults.push_back(problem.fault);
    std::sort(faults.begin(), faults.end());
    EXPECT_EQ(std::vector<PolicyFault>({PolicyFault::NotText, PolicyFault::NotAClsid, PolicyFault::UnknownFilter,
                                        PolicyFault::NotAMerit, PolicyFault::Twice, PolicyFault::Twice}),
              faults);

    std::vector<FilterRow> rows = actions->registeredFilters();
    EXPECT_TRUE(rows[1].differsFromPolicy() && rows[1].policyMerit == 0xFFFFFFFFu);
    EXPECT_FALSE(rows[0].policySet);
    int32_t status = -1;
    const std::vector<std::vector<FilterResult>> written = actions->enforcePolicy(&status);
    EXPECT_EQ(0, status);
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ(FilterOutcome::Changed, written[0].front().outcome);
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
    EXPECT_EQ(0x00700000u, merit(mpeg2VideoTwin));
    EXPECT_EQ(knownFilterRows[h264].defaultMerit, merit(h264));
    EXPECT_TRUE(actions->enforcePolicy().empty());
    // The organisation's merits are no choices of the user's, undone or not.
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[hevc].server), true));
    EXPECT_TRUE(actions->undoneChoices().empty());
    EXPECT_FALSE(actions->registeredFilters()[1].recorded);

    std::vector<FilterResult> results = actions->putBack();
    ASSERT_EQ(1u, results.size());
    EXPECT_TRUE(results[0].keptByPolicy && results[0].outcome == FilterOutcome::Changed);
    results = actions->applyMerit(hevc, custom, true);
    EXPECT_TRUE(results[0].keptByPolicy && results[0].outcome == FilterOutcome::Unchanged);
    results = actions->setMerit(mpeg2Video, custom); // registers the twin's server again
    ASSERT_NE(nullptr, resultOf(results, mpeg2VideoTwin));
    EXPECT_TRUE(resultOf(results, mpeg2VideoTwin)->keptByPolicy);
    EXPECT_EQ(0x00700000u, merit(mpeg2VideoTwin));

    std::vector<int> slots;
    for (const FilterRow &row : actions->registeredFilters())
        slots.push_back(row.slot);
    const ResetReport reset = actions->reset(slots, ActionCallbacks());
    ASSERT_EQ(slots.size(), reset.filters.size());
    EXPECT_TRUE(resultOf(reset.filters, hevc)->keptByPolicy);
    EXPECT_EQ(FilterOutcome::Unchanged, resultOf(reset.filters, mpeg2VideoTwin)->outcome);
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
    EXPECT_EQ(0x00700000u, merit(mpeg2VideoTwin));
    EXPECT_EQ(knownFilterRows[mpeg2Video].defaultMerit, merit(mpeg2Video));
}

} // namespace
