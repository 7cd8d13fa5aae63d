// What the configurator's actions do to the filters, without a window: the
// rows of the registered catalogue filters, merit changes with the linked
// partner rule, reset, registration of server files, unregistration and the
// removal of a stale registration. Every action works on the registry and on
// regsvr32.exe and says per filter what happened, so that a window can
// report it and a command line can print it.
//
// Values, not display texts: a merit is a number, a server path a path. The
// layer never asks the user anything itself; where an action needs an answer
// or may be stopped, it calls the callbacks it was given.
#ifndef FILTERACTIONS_H
#define FILTERACTIONS_H

#include "actionlock.h"
#include "filtercatalogue.h"
#include "meritrecords.h"
#include "policymerits.h"
#include "registryview.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One catalogue filter as the registry holds it now.
struct FilterRow {
    int slot = -1;             // catalogue slot
    std::string clsid;         // registry form
    bool registered = false;   // its instance key is there
    bool hasName = false;      // false when no FriendlyName could be read
    std::string name;          // FriendlyName through the narrow functions (the ANSI code page)
    std::string nameUtf8;      // FriendlyName through the wide functions, in UTF-8; empty without one
    uint32_t merit = 0;        // from FilterData; 0 when it cannot be read
    uint32_t defaultMerit = 0; // the catalogue's
    std::wstring serverPath;   // InprocServer32; empty when the class key names none
    bool serverExists = false; // the server file is there
    // The merit the user chose for it, when one is recorded (meritrecords.h).
    bool recorded = false;
    uint32_t recordedMerit = 0;
    std::string recordedAt;    // UTC, as recorded; may be empty
    bool undone = false;       // recorded, and the registry no longer holds it
    // The organisation's policy sets its merit (policymerits.h); a choice
    // recorded for it is then no longer the user's to keep.
    bool policySet = false;
    uint32_t policyMerit = 0;  // the merit the policy holds it at
    std::string policyWord;    // the policy's word: "default", "disable", "high" or "0xHHHHHHHH"
    bool differsFromPolicy() const { return policySet && merit != policyMerit; }
};

// What regsvr32.exe said of a server file, read from its exit code.
enum class RegistrationFailure {
    None,               // 0: done
    BadArguments,       // 1: it did not take its arguments
    NotLoaded,          // 3: the file could not be loaded
    NoEntryPoint,       // 4: no DllRegisterServer (or DllUnregisterServer)
    RegistrationFailed, // 5: the server's own registration failed
    DidNotFinish,       // still running after the runner's wait
    OtherExit,          // any other exit code
    DefaultNotWritten   // 0, but the filter's merit is not back at its default
};
RegistrationFailure registrationFailure(uint32_t exitCode, bool finished);

// The status of a filter whose re-registration regsvr32 reported as failed
// (ERROR_FUNCTION_FAILED); FilterResult::registration says how.
const int32_t statusRegistrationFailed = 1627;
// The status of an action that waited for another tool's too long
// (WAIT_TIMEOUT) or whose wait the user cancelled (ERROR_CANCELLED).
const int32_t statusOtherToolBusy = 258;
const int32_t statusWaitCancelled = 1223;

enum class FilterOutcome {
    Changed,       // the filter's registration changed as asked
    Unchanged,     // nothing needed to change, or the filter was only looked at
    Refused,       // access denied (5): the registry refused a write of the filter's keys
    ServerMissing, // still registered, but its server file does not open
    NotRegistered, // not registered (any more)
    Removed,       // its registration is gone
    Failed         // any other status
};

struct FilterResult {
    int slot = -1;
    FilterOutcome outcome = FilterOutcome::Unchanged;
    int32_t status = 0;        // the Windows status behind the outcome; 0 for the good ones
    uint32_t meritBefore = 0;
    uint32_t meritAfter = 0;
    // The record of the user's choice (meritrecords.h) could not be written
    // or removed: the registry's status. The merit change itself stands.
    int32_t recordStatus = 0;
    // With statusRegistrationFailed: what regsvr32.exe said.
    RegistrationFailure registration = RegistrationFailure::None;
    uint32_t exitCode = 0;
    // The organisation's policy sets the filter's merit: the action left it
    // at the policy's merit (writing that merit where the registry held
    // another) instead of doing what it was asked.
    bool keptByPolicy = false;
};

// A merit the user chose that the registry no longer holds: a
// re-registration wrote the server's own merit again, or the filter is gone.
struct UndoneChoice {
    MeritRecord record;
    int slot = -1;           // catalogue slot; -1 for a CLSID this product does not list
    bool registered = false; // false: the filter is no longer registered in the view
    uint32_t merit = 0;      // what the registry holds now
};

// A catalogue filter a server file serves after its registration.
struct ServedFilter {
    int slot = -1;
    std::string name;          // FriendlyName in UTF-8, as registered now
    bool wasRegistered = false;
    uint32_t meritBefore = 0;  // when it was registered before
    uint32_t meritAfter = 0;
};

// One server file of a registration.
struct ServerFileResult {
    std::wstring path;
    ServerImage image = ServerImage::Unreadable; // what its header says
    RegistryView view = RegistryView::Bits64;   // the view it was registered in
    int32_t status = 0;            // the runner's: 0 once regsvr32.exe ran; statusNotAServer: not run
    uint32_t exitCode = 0;         // regsvr32's, when it ended within the runner's wait
    RegistrationFailure failure = RegistrationFailure::DidNotFinish; // with status 0: what the exit code says
    std::vector<int> added;        // catalogue slots registered by this file in `view` that were not before
    std::vector<ServedFilter> served; // the catalogue filters registered in `view` with this server
    bool listed = false;           // `served` is not empty
    bool refused = false;          // its registration failed where the registry refuses writes
    bool registered() const { return status == 0 && failure == RegistrationFailure::None; }
};

// `status`: 0, or why the action did not start (statusOtherToolBusy,
// statusWaitCancelled, or the system's status of the lock).
struct RegistrationReport {
    std::vector<ServerFileResult> files; // in the order given; those after a cancel are left out
    bool cancelled = false;
    int32_t status = 0;
};

struct ResetReport {
    std::vector<FilterResult> filters;   // one per slot reached
    bool cancelled = false;
    int32_t status = 0;
};

// Called between servers, never during one: a long action reports where it
// is and may be stopped there. Each member may be left empty.
struct ActionCallbacks {
    std::function<void(int done, int total, int slot)> progress; // slot: -1 for a server file
    std::function<bool()> cancelled;                             // true: stop before the next server
    // A listed filter is still registered but its server file is gone: true
    // removes its registration.
    std::function<bool(const FilterRow &row)> removeStaleRegistration;
};

class FilterActions
{
public:
    // The catalogue stays the caller's; it must outlive this object. Every
    // action works in the registry view given (see registryview.h).
    FilterActions(FilterCatalogue *catalogue, RegistryView view);

    RegistryView view() const { return shownView; }
    void setView(RegistryView view) { shownView = view; }
    // The regsvr32.exe this view's actions need when it does not exist
    // (SysWOW64's where no 32-bit program runs), else empty.
    std::wstring missingRegistrationTool() const;
    // Whether this view's filter registrations may be changed by this
    // process: false where the registry refuses a write of their category.
    bool changesAllowed() const;

    // The owner window of regsvr32.exe's own messages: a native window handle.
    void setOwnerWindow(void *owner) { ownerWindow = owner; }
    // How a writing action waits for another tool's (actionlock.h).
    void setLockWait(const LockWait &wait) { lockWait = wait; }

    // Every registered catalogue filter, in slot order, with its recorded
    // choice and the policy's merit. `status`: 0, also when the view has no
    // filter category at all; else why the registrations cannot be read, and
    // the list is empty. `policy`: the policy the rows were read with.
    std::vector<FilterRow> registeredFilters(int32_t *status = nullptr, MeritPolicy *policy = nullptr) const;
    // The organisation's policy for this view's filters.
    MeritPolicy meritPolicy() const;
    // How many catalogue filters `view` holds.
    int registeredCount(RegistryView view) const { return int(registeredSlots(view).size()); }
    // One catalogue filter, registered or not, with the policy's merit where
    // it sets one; slot -1 for an empty slot.
    FilterRow row(int slot) const;
    bool isRegistered(int slot) const;
    // The catalogue slot of a CLSID, or -1 for a filter this product does not know.
    int slotOf(const char *clsid) const;
    // The other registered filters that a registration or unregistration of
    // this filter's server takes along: those of the same server file, and
    // its linked partner.
    std::vector<int> serverCompanions(int slot) const;

    // A filter whose merit the policy sets is left at (or put back to) the
    // policy's merit by these three, with keptByPolicy, whatever is asked.
    //
    // Re-registers the filter's server silently, so that its own
    // registration writes the default merit. The result of the filter comes
    // first; the other listed filters its server or its linked partner
    // serve follow, each with its merit before and after. A filter whose
    // server file is gone is offered to callbacks.removeStaleRegistration;
    // when that removes it, its result is the removal's.
    std::vector<FilterResult> setDefaultMerit(int slot, const ActionCallbacks &callbacks = ActionCallbacks());
    // Re-registers the filter's server silently, then writes the merit; a
    // stale registration as with setDefaultMerit.
    std::vector<FilterResult> setMerit(int slot, uint32_t merit, const ActionCallbacks &callbacks = ActionCallbacks());
    // A merit as a merits file gives it: one that is no choice (`chosen`
    // false) and equals the filter's default stays the server's own, so the
    // filter goes back to its default and no choice is recorded.
    std::vector<FilterResult> applyMerit(int slot, uint32_t merit, bool chosen);

    // Re-registers the server of each filter in the order given, silently,
    // each server once. A filter whose server file is gone while it is still
    // registered is offered to removeStaleRegistration. A filter the policy
    // sets is left at the policy's merit (keptByPolicy), also where its
    // server was registered again for another filter it serves.
    ResetReport reset(const std::vector<int> &slots, const ActionCallbacks &callbacks);

    // Runs regsvr32.exe on each file; not silent, it shows its own result.
    // A Windows image of the other bitness goes to the view it belongs to,
    // with that view's regsvr32.exe; a file that is no program image is
    // not given to regsvr32.exe at all.
    RegistrationReport registerServers(const std::vector<std::wstring> &paths, const ActionCallbacks &callbacks,
                                       bool silent = false);

    // Unregisters the filter's server silently. A filter still registered
    // afterwards was refused where the registry refuses a write of its key,
    // else regsvr32 failed. On success the filter comes first, followed by
    // every other catalogue filter the unregistration removed, each with the
    // merit it had. A filter whose server file is gone is offered to
    // callbacks.removeStaleRegistration, as with setDefaultMerit.
    std::vector<FilterResult> unregister(int slot, const ActionCallbacks &callbacks = ActionCallbacks());

    // Deletes the filter's instance and class keys outright, for a
    // registration whose server file is gone.
    FilterResult removeRegistration(int slot);

    // The recorded choices of this view that the registry no longer holds.
    // A choice is recorded by setMerit and forgotten by setDefaultMerit,
    // reset, unregister and removeRegistration, for the filters they touch.
    // The merits the policy sets are no user's choices and are left out.
    std::vector<UndoneChoice> undoneChoices() const;
    // Writes each undone choice of a registered filter again, as it was
    // chosen (the linked partner keeps its merit); one result per filter.
    // A filter the policy sets is put back to the policy's merit where a
    // re-registration undid it, and left at it where a recorded choice of
    // the user's was undone (keptByPolicy).
    std::vector<FilterResult> putBack();

    // Writes each merit of the policy that the registry does not hold, as
    // setMerit and setDefaultMerit do, and records it as the organisation's
    // (meritrecords.h), not as a choice of the user's. Filters that are not
    // registered in the view are left out. One list per filter written, as
    // setMerit gives it; `status` as ResetReport's.
    std::vector<std::vector<FilterResult>> enforcePolicy(int32_t *status = nullptr);

private:
    // A silent re-registration and what became of it.
    struct Reregistration {
        int32_t status = 0;
        RegistrationFailure failure = RegistrationFailure::None;
        uint32_t exitCode = 0;
    };

    KnownFilter *entryAt(int slot) const;
    // What the registry holds of a filter, without the policy.
    FilterRow registeredRow(int slot) const;
    static void holdToPolicy(FilterRow &filter, const MeritPolicy &policy);
    LockWait lockWaitFor(const ActionCallbacks &callbacks) const;
    Reregistration reregister(const FilterRow &row, bool toDefault, bool serverRegistered = false) const;
    Reregistration judgeFailure(const FilterRow &row, Reregistration done) const;
    FilterResult resultOf(int slot, const Reregistration &done, uint32_t meritBefore) const;
    FilterResult offerStaleRemoval(const FilterResult &result, const FilterRow &target,
                                   const ActionCallbacks &callbacks);
    // Who a merit change is for: a user's change of a filter the policy sets
    // is held at the policy's merit; the policy's own is recorded as such.
    enum class Setter { User, Policy };
    std::vector<FilterResult> changeMerit(int slot, bool writeMerit, uint32_t merit,
                                          const ActionCallbacks &callbacks = ActionCallbacks(),
                                          Setter setter = Setter::User);
    std::vector<FilterResult> holdAtPolicy(const PolicyMerit &held, int64_t before = -1);
    std::vector<UndoneChoice> undoneRecords(const MeritPolicy &policy, bool held) const;
    FilterResult resultOf(int slot, int32_t status, uint32_t meritBefore) const;
    std::vector<int> registeredSlots(RegistryView view) const;
    int32_t recordChoice(int slot, uint32_t merit, bool policy) const;
    int32_t forgetChoice(int slot) const;

    FilterCatalogue *catalogue;
    RegistryView shownView;
    void *ownerWindow = nullptr;
    LockWait lockWait;
};

#endif
