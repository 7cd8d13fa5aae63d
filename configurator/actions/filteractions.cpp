#include "filteractions.h"

#include "elevation.h"
#include "filterregistrystore.h"
#include "filterpins.h"
#include "knownfilterrows.h"
#include "meritwords.h"
#include "registrationrunner.h"
#include "registrymapper.h"
#include "widetext.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <set>

namespace {

// Windows compares file names without regard to case.
bool samePath(const std::wstring &a, const std::wstring &b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(wint_t(x)) == std::towlower(wint_t(y)); });
}

HWND windowOf(void *owner)
{
    return static_cast<HWND>(owner);
}

} // namespace

RegistrationFailure registrationFailure(uint32_t exitCode, bool finished)
{
    if (!finished)
        return RegistrationFailure::DidNotFinish;
    switch (exitCode) {
    case 0: return RegistrationFailure::None;
    case 1: return RegistrationFailure::BadArguments;
    case 3: return RegistrationFailure::NotLoaded;
    case 4: return RegistrationFailure::NoEntryPoint;
    case 5: return RegistrationFailure::RegistrationFailed;
    default: return RegistrationFailure::OtherExit;
    }
}

FilterActions::FilterActions(FilterCatalogue *catalogue, RegistryView view) : catalogue(catalogue), shownView(view) {}

std::wstring FilterActions::missingRegistrationTool() const
{
    const std::wstring tool = regsvr32Path(shownView);
    return fileExists(tool.c_str()) ? std::wstring() : tool;
}

bool FilterActions::changesAllowed() const
{
    return filterCategoryWritable(shownView);
}

KnownFilter *FilterActions::entryAt(int slot) const
{
    return catalogueEntry(catalogue, slot);
}

std::vector<FilterRow> FilterActions::registeredFilters(int32_t *status, MeritPolicy *policy) const
{
    std::vector<FilterRow> rows;
    const int32_t readable = filterCategoryStatus(shownView);
    if (status)
        *status = readable;
    if (readable != ERROR_SUCCESS)
        return rows;
    const MeritPolicy held = meritPolicy();
    if (policy)
        *policy = held;
    std::map<std::string, MeritRecord> records; // the user's choices, by CLSID in registry form
    for (const MeritRecord &record : readMeritRecords(shownView)) {
        std::string clsid;
        if (!record.policy && parseClsid(record.clsid, &clsid))
            records[clsid] = record;
    }
    for (int slot = 0; entryAt(slot); ++slot) {
        FilterRow filter = registeredRow(slot);
        if (!filter.registered)
            continue;
        std::string clsid;
        const auto record = parseClsid(filter.clsid, &clsid) ? records.find(clsid) : records.end();
        if (record != records.end()) {
            filter.recorded = true;
            filter.recordedMerit = record->second.merit;
            filter.recordedAt = record->second.chosen;
            filter.undone = record->second.merit != filter.merit;
        }
        holdToPolicy(filter, held);
        rows.push_back(filter);
    }
    return rows;
}

MeritPolicy FilterActions::meritPolicy() const
{
    return readMeritPolicy(catalogue, shownView);
}

FilterRow FilterActions::row(int slot) const
{
    FilterRow filter = registeredRow(slot);
    holdToPolicy(filter, meritPolicy());
    return filter;
}

// Where the policy sets the filter's merit, the row says so; a choice of
// the user's the policy overrides counts as no undone choice.
void FilterActions::holdToPolicy(FilterRow &filter, const MeritPolicy &policy)
{
    if (const PolicyMerit *merit = policy.find(filter.slot)) {
        filter.policySet = true;
        filter.policyMerit = merit->merit;
        filter.policyWord = merit->word;
        filter.undone = false;
    }
}

FilterRow FilterActions::registeredRow(int slot) const
{
    FilterRow row;
    KnownFilter *entry = entryAt(slot);
    if (!entry)
        return row;
    const RegisteredFilter registration = readRegisteredFilter(entry, shownView);
    row.slot = slot;
    row.clsid = entry->clsid;
    row.registered = registration.registered;
    row.hasName = registration.hasName;
    if (row.hasName)
        row.name = entry->friendlyName;
    row.nameUtf8 = registration.nameUtf8;
    row.merit = registration.merit;
    row.defaultMerit = entry->defaultMerit;
    row.serverPath = registration.serverPath;
    row.serverExists = !row.serverPath.empty() && fileExists(pathInView(row.serverPath, shownView).c_str());
    return row;
}

bool FilterActions::isRegistered(int slot) const
{
    const KnownFilter *entry = entryAt(slot);
    return entry && isFilterRegistered(entry, nullptr, shownView);
}

int FilterActions::slotOf(const char *clsid) const
{
    for (int slot = 0; entryAt(slot); ++slot)
        if (sameClsid(entryAt(slot)->clsid, clsid))
            return slot;
    return -1;
}

std::vector<int> FilterActions::serverCompanions(int slot) const
{
    std::vector<int> companions;
    const KnownFilter *entry = entryAt(slot);
    if (!entry)
        return companions;
    const std::wstring server = readServerPath(entry, nullptr, shownView);
    const int partner = linkedPartnerSlot(slot);
    for (int other : registeredSlots(shownView))
        if (other != slot && (other == partner || (!server.empty() && readServerPath(entryAt(other), nullptr, shownView) == server)))
            companions.push_back(other);
    return companions;
}

std::vector<int> FilterActions::registeredSlots(RegistryView view) const
{
    std::vector<int> slots;
    for (int slot = 0; entryAt(slot); ++slot)
        if (isFilterRegistered(entryAt(slot), nullptr, view))
            slots.push_back(slot);
    return slots;
}

// Re-registers the filter's server silently, unless it was registered
// already for another filter it serves. With `toDefault` the server's own
// registration must have put the filter's default merit back.
FilterActions::Reregistration FilterActions::reregister(const FilterRow &row, bool toDefault,
                                                        bool serverRegistered) const
{
    Reregistration done;
    if (!serverRegistered) {
        DWORD exitCode = STILL_ACTIVE;
        done.status = runRegsvr32(windowOf(ownerWindow), true, row.serverPath.c_str(), true, &exitCode, shownView);
        if (done.status != ERROR_SUCCESS)
            return done;
        done.exitCode = exitCode;
        done.failure = registrationFailure(exitCode, exitCode != STILL_ACTIVE);
    }
    // A filter already at its default needed no change: a re-registration
    // that failed for it changed nothing the user asked for.
    if (toDefault && row.merit == row.defaultMerit) {
        done.failure = RegistrationFailure::None;
        return done;
    }
    const bool meritStuck = toDefault && readFilterMerit(entryAt(row.slot), nullptr, shownView) == row.merit;
    if (done.failure == RegistrationFailure::None && meritStuck)
        done.failure = RegistrationFailure::DefaultNotWritten;
    return judgeFailure(row, done);
}

// regsvr32 cannot say "access denied": when it failed, the registry is
// asked whether it refuses a write of the filter's key. Only then is the
// outcome a refusal; otherwise regsvr32's own reason stands.
FilterActions::Reregistration FilterActions::judgeFailure(const FilterRow &row, Reregistration done) const
{
    if (done.status != ERROR_SUCCESS || done.failure == RegistrationFailure::None)
        return done;
    done.status = filterKeyWriteStatus(entryAt(row.slot), nullptr, shownView) == ERROR_ACCESS_DENIED
                      ? int32_t(ERROR_ACCESS_DENIED)
                      : statusRegistrationFailed;
    return done;
}

FilterResult FilterActions::resultOf(int slot, const Reregistration &done, uint32_t meritBefore) const
{
    FilterResult result = resultOf(slot, done.status, meritBefore);
    if (done.status == statusRegistrationFailed) {
        result.registration = done.failure;
        result.exitCode = done.exitCode;
    }
    return result;
}

// What a status means for one filter, with its merit read again.
FilterResult FilterActions::resultOf(int slot, int32_t status, uint32_t meritBefore) const
{
    FilterResult result;
    result.slot = slot;
    result.status = status;
    result.meritBefore = meritBefore;
    const KnownFilter *entry = entryAt(slot);
    result.meritAfter = entry ? readFilterMerit(entry, nullptr, shownView) : 0;
    switch (status) {
    case ERROR_SUCCESS:
        result.outcome = result.meritAfter == meritBefore ? FilterOutcome::Unchanged : FilterOutcome::Changed;
        break;
    case ERROR_ACCESS_DENIED:
        result.outcome = FilterOutcome::Refused;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        result.outcome = isRegistered(slot) ? FilterOutcome::ServerMissing : FilterOutcome::NotRegistered;
        break;
    default:
        result.outcome = FilterOutcome::Failed;
        break;
    }
    return result;
}

std::vector<FilterResult> FilterActions::setDefaultMerit(int slot, const ActionCallbacks &callbacks)
{
    return changeMerit(slot, false, 0, callbacks);
}

std::vector<FilterResult> FilterActions::setMerit(int slot, uint32_t merit, const ActionCallbacks &callbacks)
{
    return changeMerit(slot, true, merit, callbacks);
}

std::vector<FilterResult> FilterActions::applyMerit(int slot, uint32_t merit, bool chosen)
{
    const KnownFilter *entry = entryAt(slot);
    if (!chosen && entry && merit == entry->defaultMerit)
        return changeMerit(slot, false, 0);
    return changeMerit(slot, true, merit);
}

std::vector<FilterResult> FilterActions::changeMerit(int slot, bool writeMerit, uint32_t merit,
                                                    const ActionCallbacks &callbacks, Setter setter)
{
    KnownFilter *entry = entryAt(slot);
    if (!entry)
        return {resultOf(slot, ERROR_BAD_ARGUMENTS, 0)};
    const ActionLock lock(lockWait);
    if (!lock.held())
        return {resultOf(slot, lock.status(), readFilterMerit(entry, nullptr, shownView))};
    const MeritPolicy policy = meritPolicy();
    if (setter == Setter::User)
        if (const PolicyMerit *held = policy.find(slot))
            return holdAtPolicy(*held);
    const FilterRow target = registeredRow(slot);

    // Re-registering the server puts every filter it serves back to its own
    // default; those listed are reported with the merits they end with. The
    // linked partner is written back only when it was registered before:
    // writing it would otherwise register it anew. A filter the policy sets
    // gets the policy's merit back, the partner or any other.
    const int partnerSlot = linkedPartnerSlot(slot);
    const bool partnerListed = isRegistered(partnerSlot);
    const uint32_t partnerBefore = partnerListed ? readFilterMerit(entryAt(partnerSlot), nullptr, shownView) : 0;
    std::vector<std::pair<int, uint32_t>> others; // slot and merit before
    for (int other : serverCompanions(slot))
        others.emplace_back(other, readFilterMerit(entryAt(other), nullptr, shownView));

    Reregistration done = reregister(target, !writeMerit);
    if (done.status == ERROR_SUCCESS && writeMerit)
        done.status = writeFilterMerit(merit, entry, nullptr, shownView);
    const int32_t status = done.status;
    std::map<int, int32_t> otherStatus; // slot -> status of its merit written back
    if (status == ERROR_SUCCESS)
        for (const auto &other : others) {
            const PolicyMerit *held = policy.find(other.first);
            if (held || other.first == partnerSlot)
                otherStatus[other.first] = writeFilterMerit(held ? held->merit : partnerBefore, entryAt(other.first),
                                                            nullptr, shownView);
        }

    std::vector<FilterResult> results{offerStaleRemoval(resultOf(slot, done, target.merit), target, callbacks)};
    // The merit is remembered once the registry holds it, as the user's
    // choice or as the organisation's; Default forgets it.
    if (status == ERROR_SUCCESS)
        results.front().recordStatus =
            writeMerit ? recordChoice(slot, merit, setter == Setter::Policy) : forgetChoice(slot);
    for (const auto &other : others) {
        const auto written = otherStatus.find(other.first);
        results.push_back(resultOf(other.first, written == otherStatus.end() ? ERROR_SUCCESS : written->second,
                                   other.second));
        results.back().keptByPolicy = policy.find(other.first) != nullptr;
    }
    return results;
}

// A filter the policy sets stays at the policy's merit: where the registry
// holds another, the policy's is written as enforcePolicy writes it. The
// result compares with `before` when the action began earlier.
std::vector<FilterResult> FilterActions::holdAtPolicy(const PolicyMerit &held, int64_t before)
{
    const uint32_t now = readFilterMerit(entryAt(held.slot), nullptr, shownView);
    std::vector<FilterResult> results =
        now == held.merit ? std::vector<FilterResult>{resultOf(held.slot, ERROR_SUCCESS, now)}
                          : changeMerit(held.slot, !held.choice.isDefault, held.merit, ActionCallbacks(),
                                        Setter::Policy);
    FilterResult &result = results.front();
    result.keptByPolicy = true;
    if (before >= 0 && result.status == ERROR_SUCCESS) {
        result.meritBefore = uint32_t(before);
        result.outcome = result.meritAfter == result.meritBefore ? FilterOutcome::Unchanged : FilterOutcome::Changed;
    }
    return results;
}

// A long action's wait for the lock also stops where the action would.
LockWait FilterActions::lockWaitFor(const ActionCallbacks &callbacks) const
{
    LockWait wait = lockWait;
    if (callbacks.cancelled)
        wait.cancelled = callbacks.cancelled;
    return wait;
}

ResetReport FilterActions::reset(const std::vector<int> &slots, const ActionCallbacks &callbacks)
{
    ResetReport report;
    const ActionLock lock(lockWaitFor(callbacks));
    if (!lock.held()) {
        report.status = lock.status();
        return report;
    }
    // Every merit is read before any server is registered again: a server
    // that serves several listed filters is registered once, for the first,
    // and puts back the defaults of all of them.
    std::vector<FilterRow> targets;
    for (int slot : slots)
        targets.push_back(registeredRow(slot));
    // Without the view's regsvr32.exe nothing is reset, and no stale
    // registration is removed on the way.
    if (!missingRegistrationTool().empty()) {
        for (const FilterRow &target : targets)
            if (target.slot >= 0)
                report.filters.push_back(resultOf(target.slot, statusRegistrationToolMissing, target.merit));
        return report;
    }
    const MeritPolicy policy = meritPolicy();
    std::map<int, uint32_t> policyBefore; // slot -> merit, of the registered filters the policy sets
    for (const PolicyMerit &merit : policy.merits)
        if (isRegistered(merit.slot))
            policyBefore[merit.slot] = readFilterMerit(entryAt(merit.slot), nullptr, shownView);
    std::vector<std::pair<size_t, const PolicyMerit *>> held; // results to fill in once the servers are done
    std::set<std::wstring> registered;
    const int total = int(targets.size());
    for (int done = 0; done < total; ++done) {
        if (callbacks.cancelled && callbacks.cancelled()) {
            report.cancelled = true;
            break;
        }
        const FilterRow &target = targets[size_t(done)];
        if (target.slot < 0)
            continue;
        if (callbacks.progress)
            callbacks.progress(done, total, target.slot);
        if (const PolicyMerit *merit = policy.find(target.slot)) {
            held.emplace_back(report.filters.size(), merit);
            report.filters.emplace_back();
            continue;
        }
        const bool again = target.serverExists && registered.count(target.serverPath);
        const Reregistration reregistered = reregister(target, true, again);
        const int32_t status = reregistered.status;
        if (status == ERROR_SUCCESS && target.serverExists)
            registered.insert(target.serverPath);
        FilterResult result = resultOf(target.slot, reregistered, target.merit);
        if (status == ERROR_SUCCESS)
            result.recordStatus = forgetChoice(target.slot);
        report.filters.push_back(offerStaleRemoval(result, target, callbacks));
    }
    // The policy's filters, those reset and those whose server was
    // registered again for another filter, are held at the policy's merits.
    for (const auto &filter : held)
        report.filters[filter.first] = holdAtPolicy(*filter.second, policyBefore[filter.second->slot]).front();
    for (const PolicyMerit &merit : policy.merits) {
        const bool reached = std::any_of(held.begin(), held.end(), [&](const std::pair<size_t, const PolicyMerit *> &filter) {
            return filter.second == &merit;
        });
        if (!reached && policyBefore.count(merit.slot) &&
            registered.count(readServerPath(entryAt(merit.slot), nullptr, shownView)))
            report.filters.push_back(holdAtPolicy(merit, policyBefore[merit.slot]).front());
    }
    return report;
}

RegistrationReport FilterActions::registerServers(const std::vector<std::wstring> &paths,
                                                  const ActionCallbacks &callbacks, bool silent)
{
    RegistrationReport report;
    const ActionLock lock(lockWaitFor(callbacks));
    if (!lock.held()) {
        report.status = lock.status();
        return report;
    }
    const int total = int(paths.size());
    for (int done = 0; done < total; ++done) {
        if (callbacks.cancelled && callbacks.cancelled()) {
            report.cancelled = true;
            break;
        }
        if (callbacks.progress)
            callbacks.progress(done, total, -1);
        ServerFileResult file;
        file.path = paths[size_t(done)];
        file.image = readServerImage(pathInView(file.path, shownView));
        file.view = viewForImage(file.image, shownView);
        if (file.image == ServerImage::NotAnImage) {
            file.status = statusNotAServer;
            report.files.push_back(file);
            continue;
        }
        std::map<int, uint32_t> before; // slot -> merit
        for (int slot : registeredSlots(file.view))
            before[slot] = readFilterMerit(entryAt(slot), nullptr, file.view);
        DWORD exitCode = STILL_ACTIVE;
        file.status = runRegsvr32(windowOf(ownerWindow), true, file.path.c_str(), silent, &exitCode, file.view);
        file.exitCode = exitCode;
        file.failure = registrationFailure(exitCode, exitCode != STILL_ACTIVE);
        // regsvr32 cannot say "access denied"; the registry can.
        file.refused = file.status == ERROR_SUCCESS && file.failure == RegistrationFailure::RegistrationFailed &&
                       !filterCategoryWritable(file.view);
        for (int slot : registeredSlots(file.view)) {
            const auto was = before.find(slot);
            if (was == before.end())
                file.added.push_back(slot);
            if (!samePath(readServerPath(entryAt(slot), nullptr, file.view), file.path))
                continue;
            ServedFilter served;
            served.slot = slot;
            served.name = registeredFilterName(entryAt(slot)->clsid, file.view);
            served.wasRegistered = was != before.end();
            served.meritBefore = served.wasRegistered ? was->second : 0;
            served.meritAfter = readFilterMerit(entryAt(slot), nullptr, file.view);
            file.served.push_back(served);
        }
        file.listed = !file.served.empty();
        report.files.push_back(file);
    }
    return report;
}

std::vector<FilterResult> FilterActions::unregister(int slot, const ActionCallbacks &callbacks)
{
    if (!entryAt(slot))
        return {resultOf(slot, ERROR_BAD_ARGUMENTS, 0)};
    const ActionLock lock(lockWait);
    if (!lock.held())
        return {resultOf(slot, lock.status(), readFilterMerit(entryAt(slot), nullptr, shownView))};
    const FilterRow target = registeredRow(slot);
    if (!target.serverExists)
        return {offerStaleRemoval(resultOf(slot, ERROR_FILE_NOT_FOUND, target.merit), target, callbacks)};
    std::map<int, uint32_t> before; // slot -> merit
    for (int other : registeredSlots(shownView))
        before[other] = readFilterMerit(entryAt(other), nullptr, shownView);
    Reregistration done;
    DWORD exitCode = STILL_ACTIVE;
    done.status = runRegsvr32(windowOf(ownerWindow), false, target.serverPath.c_str(), true, &exitCode, shownView);
    if (done.status == ERROR_SUCCESS) {
        done.exitCode = exitCode;
        done.failure = registrationFailure(exitCode, exitCode != STILL_ACTIVE);
        // A silent unregistration that left the filter registered failed.
        if (done.failure == RegistrationFailure::None && isRegistered(slot))
            done.failure = RegistrationFailure::OtherExit;
        done = judgeFailure(target, done);
        if (done.status == ERROR_SUCCESS && isRegistered(slot))
            done.status = statusRegistrationFailed;
    }
    if (done.status != ERROR_SUCCESS)
        return {resultOf(slot, done, target.merit)};

    // A server unregisters every filter it serves.
    std::vector<FilterResult> results;
    FilterResult removed;
    removed.slot = slot;
    removed.outcome = FilterOutcome::Removed;
    removed.meritBefore = target.merit;
    results.push_back(removed);
    for (const auto &other : before) {
        if (other.first == slot || isRegistered(other.first))
            continue;
        removed.slot = other.first;
        removed.meritBefore = other.second;
        results.push_back(removed);
    }
    for (FilterResult &result : results)
        result.recordStatus = forgetChoice(result.slot);
    return results;
}

// A filter still registered whose server file is gone cannot be
// re-registered nor unregistered: its keys can only be deleted, when the
// caller's answer says so. The lock is the caller's and is taken again.
FilterResult FilterActions::offerStaleRemoval(const FilterResult &result, const FilterRow &target,
                                              const ActionCallbacks &callbacks)
{
    if (result.outcome != FilterOutcome::ServerMissing || !callbacks.removeStaleRegistration ||
        !callbacks.removeStaleRegistration(target))
        return result;
    return removeRegistration(target.slot);
}

FilterResult FilterActions::removeRegistration(int slot)
{
    const KnownFilter *entry = entryAt(slot);
    const ActionLock lock(lockWait);
    if (!lock.held())
        return resultOf(slot, lock.status(), entry ? readFilterMerit(entry, nullptr, shownView) : 0);
    const uint32_t merit = entry ? readFilterMerit(entry, nullptr, shownView) : 0;
    const int32_t status = entry ? removeFilterRegistration(entry, nullptr, shownView) : ERROR_BAD_ARGUMENTS;
    FilterResult result = resultOf(slot, status, merit);
    if (status == ERROR_SUCCESS) {
        result.outcome = FilterOutcome::Removed;
        result.meritAfter = 0;
        result.recordStatus = forgetChoice(slot);
    }
    return result;
}

int32_t FilterActions::recordChoice(int slot, uint32_t merit, bool policy) const
{
    MeritRecord record;
    record.clsid = entryAt(slot)->clsid;
    record.merit = merit;
    record.policy = policy;
    record.name = registeredFilterName(record.clsid.c_str(), shownView);
    record.chosen = currentUtcTime();
    return writeMeritRecord(record, shownView);
}

int32_t FilterActions::forgetChoice(int slot) const
{
    const KnownFilter *entry = entryAt(slot);
    return entry ? removeMeritRecord(entry->clsid, shownView) : int32_t(ERROR_BAD_ARGUMENTS);
}

std::vector<UndoneChoice> FilterActions::undoneChoices() const
{
    return undoneRecords(meritPolicy(), false);
}

// The user's undone choices of the filters the policy sets (`held`) or of
// the others. The policy's own records are no choices.
std::vector<UndoneChoice> FilterActions::undoneRecords(const MeritPolicy &policy, bool held) const
{
    std::vector<UndoneChoice> undone;
    for (const MeritRecord &record : readMeritRecords(shownView)) {
        UndoneChoice choice;
        choice.record = record;
        choice.slot = slotOf(record.clsid.c_str());
        if (record.policy || (choice.slot >= 0 && policy.find(choice.slot) != nullptr) != held)
            continue;
        choice.registered = isFilterRegistered(nullptr, record.clsid.c_str(), shownView);
        choice.merit = choice.registered ? readFilterMerit(nullptr, record.clsid.c_str(), shownView) : 0;
        if (!choice.registered || choice.merit != record.merit)
            undone.push_back(choice);
    }
    return undone;
}

std::vector<FilterResult> FilterActions::putBack()
{
    std::vector<FilterResult> results;
    const ActionLock lock(lockWait);
    if (!lock.held()) {
        FilterResult waited;
        waited.outcome = FilterOutcome::Failed;
        waited.status = lock.status();
        return {waited};
    }
    const MeritPolicy policy = meritPolicy();
    for (const UndoneChoice &choice : undoneRecords(policy, false)) {
        if (!choice.registered || choice.slot < 0)
            continue;
        const int32_t status = writeFilterMerit(choice.record.merit, nullptr, choice.record.clsid.c_str(), shownView);
        results.push_back(resultOf(choice.slot, status, choice.merit));
    }
    // The filters the policy sets get its merit back where a re-registration
    // undid it, and stay at it where the user's choice was undone.
    const std::vector<UndoneChoice> heldChoices = undoneRecords(policy, true);
    for (const PolicyMerit &merit : policy.merits) {
        if (!isRegistered(merit.slot))
            continue;
        const bool choiceUndone = std::any_of(heldChoices.begin(), heldChoices.end(),
                                              [&](const UndoneChoice &choice) { return choice.slot == merit.slot; });
        if (choiceUndone || readFilterMerit(entryAt(merit.slot), nullptr, shownView) != merit.merit)
            results.push_back(holdAtPolicy(merit).front());
    }
    return results;
}

std::vector<std::vector<FilterResult>> FilterActions::enforcePolicy(int32_t *status)
{
    std::vector<std::vector<FilterResult>> written;
    const ActionLock lock(lockWait);
    if (status)
        *status = lock.held() ? ERROR_SUCCESS : lock.status();
    if (!lock.held())
        return written;
    const MeritPolicy policy = meritPolicy();
    if (status)
        *status = policy.status;
    // Each merit is read again just before: enforcing one filter may have
    // written the policy's merit of another its server serves.
    for (const PolicyMerit &merit : policy.merits)
        if (isRegistered(merit.slot) && readFilterMerit(entryAt(merit.slot), nullptr, shownView) != merit.merit)
            written.push_back(
                changeMerit(merit.slot, !merit.choice.isDefault, merit.merit, ActionCallbacks(), Setter::Policy));
    return written;
}
