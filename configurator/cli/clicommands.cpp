#include "clicommands.h"

#include "clioutput.h"
#include "meritexport.h"
#include "meritpolicystore.h"
#include "registrationrunner.h"
#include "widetext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

QString fromWide(const std::wstring &wide)
{
    return QString::fromUtf8(utf8FromWide(wide).c_str());
}

QString viewName(RegistryView view)
{
    return text(view == RegistryView::Bits32 ? "32-bit" : "64-bit");
}

// The changes a command makes; the others only read.
bool writes(CliCommand command)
{
    switch (command) {
    case CliCommand::List:
    case CliCommand::Export:
    case CliCommand::Check:
        return false;
    default:
        return true;
    }
}

} // namespace

CliCommands::CliCommands(FilterCatalogue *catalogue, const CliRequest &request, QTextStream &out, QTextStream &err)
    : catalogue(catalogue), request(request), actions(catalogue, request.view), out(out), err(err)
{
}

int CliCommands::run()
{
    // A command that changes filters holds the machine-wide action lock for
    // all it does, so that its reading and writing see no other tool's in
    // between; the actions it runs take the same lock at once.
    if (!writes(request.command))
        return runCommand();
    LockWait wait;
    wait.limitMs = request.waitSeconds * 1000;
    wait.waiting = [this] {
        printError(text("Waiting for another Kestrane filter tool to finish\xE2\x80\xA6"));
    };
    const ActionLock lock(wait);
    if (!lock.held()) {
        if (lock.result() == ActionLock::Busy)
            printError(text("Another Kestrane filter tool was still changing filters after %1 seconds. Nothing was "
                            "changed; try again, or give --wait a longer time.").arg(request.waitSeconds));
        else
            printError(text("The lock that keeps Kestrane filter tools apart cannot be taken: %1. Nothing was changed.")
                           .arg(statusWords(lock.status())));
        return exitFailed;
    }
    return runCommand();
}

int CliCommands::runCommand()
{
    switch (request.command) {
    case CliCommand::List: return list();
    case CliCommand::Set: return setMerit();
    case CliCommand::Reset: return reset();
    case CliCommand::Register: return registerFiles();
    case CliCommand::Unregister: return unregister();
    case CliCommand::Export: return exportMerits();
    case CliCommand::Apply: return apply();
    case CliCommand::Check: return check();
    case CliCommand::Restore: return restore();
    case CliCommand::Enforce: return enforce();
    }
    return exitBadUse;
}

void CliCommands::print(const QString &line)
{
    if (request.quiet)
        return;
    out << line << '\n';
    out.flush();
}

void CliCommands::printError(const QString &line)
{
    out.flush();
    err << line << '\n';
    err.flush();
}

std::vector<FilterRow> CliCommands::readRows()
{
    int32_t status = 0;
    MeritPolicy policy;
    std::vector<FilterRow> rows = actions.registeredFilters(&status, &policy);
    if (status != 0) {
        printError(text("The filter registrations cannot be read: %1").arg(statusWords(status)));
        unreadable = true;
    } else if (!policyReported) {
        policyReported = true;
        const QString key = text("HKLM\\") + text(meritPolicyKey(request.view));
        if (policy.status != 0) {
            printError(text("The organisation's merit policy (%1) cannot be read: %2").arg(key, statusWords(policy.status)));
            unreadable = true;
        }
        for (const PolicyProblem &problem : policy.problems)
            printError(text("The policy value \"%1\" in %2 is not applied: %3")
                           .arg(QString::fromUtf8(problem.valueName.c_str()), key,
                                QString::fromUtf8(policyFaultText(problem).c_str())));
    }
    readNames(rows);
    return rows;
}

std::vector<NamedFilter> CliCommands::readNames(const std::vector<FilterRow> &rows)
{
    std::vector<NamedFilter> filters;
    for (const FilterRow &row : rows) {
        NamedFilter filter;
        filter.slot = row.slot;
        filter.clsid = row.clsid;
        // The wide FriendlyName, so that a name in any script comes whole.
        filter.name = QString::fromUtf8(row.nameUtf8.c_str());
        if (filter.name.isEmpty() && row.hasName)
            filter.name = QString::fromLatin1(row.name.c_str());
        names[row.slot] = filter.name;
        filters.push_back(filter);
    }
    return filters;
}

QString CliCommands::nameOf(int slot) const
{
    const auto found = names.find(slot);
    if (found != names.end())
        return found->second;
    return QString::fromUtf8(actions.row(slot).nameUtf8.c_str());
}

QString CliCommands::clsidOf(int slot) const
{
    const KnownFilter *entry = catalogueEntry(catalogue, slot);
    return entry ? QString::fromLatin1(entry->clsid) : QString();
}

int CliCommands::findFilter()
{
    const std::vector<NamedFilter> registered = readNames(readRows());
    if (unreadable)
        return -1;
    const FilterLookup lookup = lookUpFilter(request.filter, registered);
    const QString clsid = QString::fromLatin1(lookup.clsid.c_str());
    switch (lookup.kind) {
    case FilterLookup::Found:
        return lookup.slot;
    case FilterLookup::NotRegistered: {
        const int slot = actions.slotOf(lookup.clsid.c_str());
        const RegistryView other = request.view == RegistryView::Bits64 ? RegistryView::Bits32 : RegistryView::Bits64;
        if (slot >= 0 && systemHasTwoViews() && FilterActions(catalogue, other).isRegistered(slot))
            printError(text("%1 is registered for %2 players only: give --view %3.")
                           .arg(clsid, viewName(other), viewText(other)));
        else if (slot >= 0)
            printError(text("%1 is not registered for %2 players.").arg(clsid, viewName(request.view)));
        else
            printError(text("No Kestrane filter this program knows has the CLSID %1.").arg(clsid));
        return -1;
    }
    case FilterLookup::Ambiguous:
        printError(text("\"%1\" names %2 filters; give the CLSID of one:").arg(request.filter).arg(lookup.nearMatches.size()));
        break;
    case FilterLookup::Unknown:
        printError(text("No registered filter is named \"%1\".").arg(request.filter) +
                   (lookup.nearMatches.empty() ? QString() : text(" Near matches:")));
        break;
    }
    for (const NamedFilter &match : lookup.nearMatches)
        printError(text("  %1\t%2").arg(QString::fromLatin1(match.clsid.c_str()), match.name));
    return -1;
}

int CliCommands::missingRegistrationTool()
{
    const std::wstring tool = actions.missingRegistrationTool();
    if (tool.empty())
        return exitDone;
    printError(text("%1 is missing: the filters of %2 players cannot be registered here. Nothing was changed.")
                   .arg(fromWide(tool), viewName(request.view)));
    return exitFailed;
}

void CliCommands::report(const FilterResult &result, Tally &tally, bool companion)
{
    if (result.slot < 0) { // the action did not start
        ++tally.failed;
        printError(reasonText(result));
        return;
    }
    // A record that could not be updated is the filter's failure: check and
    // restore would act on it. Where the registry refused it and nothing else
    // changed, the filter was refused like any other.
    if (result.recordStatus != 0 && !companion) {
        const QString reason = text("its merit choice could not be recorded: %1").arg(statusWords(result.recordStatus));
        if (result.outcome == FilterOutcome::Unchanged && result.recordStatus == ERROR_ACCESS_DENIED) {
            ++tally.refused;
            notDone(clsidOf(result.slot), nameOf(result.slot), reason);
            return;
        }
        ++tally.failed;
        notDone(clsidOf(result.slot), nameOf(result.slot), text("the merit stands, but ") + reason);
    }
    const bool touched = result.outcome != FilterOutcome::Unchanged;
    if (!companion || touched) {
        const bool gone = result.outcome == FilterOutcome::Removed || result.outcome == FilterOutcome::NotRegistered;
        print(resultLine(clsidOf(result.slot), nameOf(result.slot), outcomeWord(result),
                         result.meritBefore, gone ? noMerit : int64_t(result.meritAfter)));
    }
    // A merit set asks for is not the user's to choose where the policy sets it.
    const bool held = result.outcome == FilterOutcome::Changed || result.outcome == FilterOutcome::Unchanged;
    if (result.keptByPolicy && held && !companion && request.command == CliCommand::Set) {
        ++tally.skipped;
        const KnownFilter *entry = catalogueEntry(catalogue, result.slot);
        notDone(clsidOf(result.slot), nameOf(result.slot),
                text("set by your organisation's policy: %1")
                    .arg(meritName(result.meritAfter, entry ? entry->defaultMerit : 0)));
        return;
    }
    switch (result.outcome) {
    case FilterOutcome::Changed:
    case FilterOutcome::Removed:
        ++tally.changed;
        break;
    case FilterOutcome::Unchanged:
        if (!companion)
            ++tally.kept;
        break;
    case FilterOutcome::Refused:
        ++tally.refused;
        notDone(clsidOf(result.slot), nameOf(result.slot), reasonText(result));
        return;
    default:
        ++tally.failed;
        notDone(clsidOf(result.slot), nameOf(result.slot), reasonText(result));
        return;
    }
}

void CliCommands::notDone(const QString &clsid, const QString &name, const QString &reason)
{
    printError(resultLine(clsid, name, reason, noMerit, noMerit).section(QLatin1Char('\t'), 0, 2));
}

int CliCommands::finish(const Tally &tally)
{
    if (tally.refused + tally.failed + tally.skipped == 0)
        return exitDone;
    if (tally.changed == 0 && tally.failed == 0 && tally.refused > 0) {
        printError(text("Access denied: nothing was changed. Run pivora-cli from an elevated prompt "
                        "(Run as administrator)."));
        return exitAccessDenied;
    }
    if (tally.changed + tally.kept + tally.refused + tally.skipped == 0) {
        printError(text("Nothing was changed."));
        return exitFailed;
    }
    printError(text("Partly done: %1 not done.").arg(tally.refused + tally.failed + tally.skipped));
    return exitPartly;
}

int CliCommands::list()
{
    const std::vector<FilterRow> rows = readRows(); // read once: the registry is read per row
    if (unreadable)
        return exitFailed;
    std::vector<ListedFilter> listed;
    for (const FilterRow &row : rows) {
        ListedFilter filter;
        filter.clsid = QString::fromLatin1(row.clsid.c_str());
        filter.name = nameOf(row.slot);
        filter.merit = row.merit;
        filter.defaultMerit = row.defaultMerit;
        filter.server = fromWide(row.serverPath);
        filter.serverExists = row.serverExists;
        filter.recorded = row.recorded;
        filter.recordedMerit = row.recordedMerit;
        filter.chosen = QString::fromUtf8(row.recordedAt.c_str());
        filter.undone = row.undone;
        filter.policySet = row.policySet;
        filter.policyMerit = row.policyMerit;
        listed.push_back(filter);
    }
    out << formatList(listed, request.format, request.view);
    out.flush();
    return exitDone;
}

int CliCommands::setMerit()
{
    const int slot = findFilter();
    if (slot < 0)
        return unreadable ? exitFailed : exitNotFound;
    if (const int missing = missingRegistrationTool())
        return missing;
    const std::vector<FilterResult> results = request.merit.isDefault ? actions.setDefaultMerit(slot)
                                                                      : actions.setMerit(slot, request.merit.value);
    Tally tally;
    for (size_t i = 0; i < results.size(); ++i)
        report(results[i], tally, i > 0);
    return finish(tally);
}

int CliCommands::reset()
{
    std::vector<int> registered;
    for (const FilterRow &row : readRows())
        registered.push_back(row.slot);
    if (unreadable)
        return exitFailed;
    if (const int missing = missingRegistrationTool())
        return missing;
    ActionCallbacks callbacks; // a stale registration is reported, never removed unasked
    const ResetReport done = actions.reset(registered, callbacks);
    if (done.status != 0) {
        printError(text("Nothing was reset: %1").arg(statusWords(done.status)));
        return exitFailed;
    }
    Tally tally;
    for (const FilterResult &result : done.filters)
        report(result, tally);
    return finish(tally);
}

int CliCommands::unregister()
{
    const int slot = findFilter();
    if (slot < 0)
        return unreadable ? exitFailed : exitNotFound;
    if (!request.yes) {
        printError(text("unregister removes %1 %2").arg(clsidOf(slot), nameOf(slot)));
        for (int other : actions.serverCompanions(slot))
            printError(text("  and with it %1 %2").arg(clsidOf(other), nameOf(other)));
        if (const PolicyMerit *held = actions.meritPolicy().find(slot))
            printError(text("  whose merit your organisation's policy sets: %1")
                           .arg(meritName(held->merit, catalogueEntry(catalogue, slot)->defaultMerit)));
        printError(text("Nothing was changed: add --yes to unregister it."));
        return exitBadUse;
    }
    if (const int missing = missingRegistrationTool())
        return missing;
    Tally tally;
    for (const FilterResult &result : actions.unregister(slot))
        report(result, tally);
    return finish(tally);
}

int CliCommands::registerFiles()
{
    QStringList missing;
    for (const QString &file : request.files)
        if (!QFileInfo(file).isFile())
            missing << file;
    for (const QString &file : missing)
        printError(text(QFileInfo(file).isDir() ? "%1 is a folder, not a filter server" : "File not found: %1").arg(file));
    if (!missing.isEmpty()) {
        printError(text("Nothing was registered."));
        return exitNotFound;
    }
    // Silently, so that a script never meets a box of regsvr32.exe's; each
    // server in the view of its own bitness.
    std::vector<std::wstring> paths;
    QStringList shownPaths;
    for (const QString &file : request.files) {
        shownPaths << QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
        paths.push_back(wideFromUtf8(shownPaths.back().toUtf8().constData()));
    }
    const RegistrationReport done = actions.registerServers(paths, ActionCallbacks(), true);
    if (done.status != 0) {
        printError(text("Nothing was registered: %1").arg(statusWords(done.status)));
        return exitFailed;
    }
    Tally tally;
    for (size_t i = 0; i < done.files.size(); ++i) {
        const ServerFileResult &file = done.files[i];
        const QString &shownPath = shownPaths[int(i)];
        if (file.status == statusNotAServer) {
            ++tally.failed;
            printError(text("%1\tnot a filter server: the file is no program image").arg(shownPath));
            continue;
        }
        if (file.status == statusRegistrationToolMissing) {
            ++tally.failed;
            printError(text("%1\t%2 is missing").arg(shownPath, fromWide(regsvr32Path(file.view))));
            continue;
        }
        if (file.status != 0) {
            ++tally.failed;
            printError(text("%1\tregsvr32.exe could not be run: %2").arg(shownPath, statusWords(file.status)));
            continue;
        }
        if (file.refused) {
            ++tally.refused;
            printError(text("%1\taccess denied").arg(shownPath));
            continue;
        }
        if (!file.registered()) {
            ++tally.failed;
            printError(text("%1\t%2").arg(shownPath, registrationFailureText(file.failure, file.exitCode)));
            continue;
        }
        ++tally.changed;
        if (file.view != request.view && !request.quiet)
            printError(text("%1 is a %2 server: registered for %2 players").arg(shownPath, viewName(file.view)));
        for (const ServedFilter &filter : file.served)
            print(resultLine(clsidOf(filter.slot), QString::fromUtf8(filter.name.c_str()), text("registered"),
                             filter.wasRegistered ? int64_t(filter.meritBefore) : noMerit, filter.meritAfter));
        if (file.served.empty() && !request.quiet)
            printError(text("%1 registered no Kestrane filter this program lists").arg(shownPath));
    }
    return finish(tally);
}

int CliCommands::exportMerits()
{
    const std::vector<FilterRow> rows = readRows();
    if (unreadable)
        return exitFailed; // no file is written
    MeritFile file;
    file.view = request.view;
    for (const FilterRow &row : rows) {
        MeritEntry entry;
        entry.clsid = row.clsid;
        entry.name = nameOf(row.slot);
        entry.merit = row.merit;
        entry.recorded = row.recorded && !row.undone;
        file.filters.push_back(entry);
    }
    const QByteArray data = writeMeritFile(file);
    if (request.files.isEmpty()) {
        out.flush();
        QFile output;
        if (output.open(stdout, QIODevice::WriteOnly) && output.write(data) == data.size() && output.flush())
            return exitDone;
        printError(text("The merits could not be written to standard output."));
        return exitFailed;
    }
    QFile output(request.files[0]);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate) || output.write(data) != data.size() ||
        !output.flush()) {
        printError(text("%1 could not be written: %2").arg(request.files[0], output.errorString()));
        return exitFailed;
    }
    return exitDone;
}

int CliCommands::readMeritFileArgument(const QString &path, MeritFile *file)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        printError(text("File not found: %1").arg(path));
        return exitNotFound;
    }
    if (info.isDir()) {
        printError(text("%1 is a folder, not a merits file. Nothing was changed.").arg(path));
        return exitBadUse;
    }
    // Read to its end, so that a pipe (a FIFO, a process substitution) reads whole.
    QFile input(path);
    QByteArray data;
    bool read = input.open(QIODevice::ReadOnly);
    while (read) {
        const QByteArray chunk = input.read(1 << 16);
        if (chunk.isEmpty()) {
            read = input.error() == QFileDevice::NoError;
            break;
        }
        data += chunk;
    }
    if (!read) {
        printError(text("%1 could not be read: %2. Nothing was changed.").arg(path, input.errorString()));
        return exitFailed;
    }
    QString error;
    if (!readMeritFile(data, file, &error)) {
        printError(text("%1: %2. Nothing was changed.").arg(path, error));
        return exitBadUse;
    }
    if (file->view != request.view) {
        printError(text("%1 holds the merits of %2 players; give --view %3 to use it. Nothing was changed.")
                       .arg(path, viewName(file->view), viewText(file->view)));
        return exitBadUse;
    }
    return exitDone;
}

int CliCommands::apply()
{
    MeritFile file;
    if (const int status = readMeritFileArgument(request.files[0], &file))
        return status;
    std::map<int, FilterRow> rows;
    for (const FilterRow &row : readRows())
        rows[row.slot] = row;
    if (unreadable)
        return exitFailed;
    if (const int missing = missingRegistrationTool())
        return missing;
    Tally tally;
    for (const MeritEntry &entry : file.filters) {
        const int slot = actions.slotOf(entry.clsid.c_str());
        const auto found = rows.find(slot);
        if (found == rows.end()) {
            ++tally.skipped;
            notDone(QString::fromLatin1(entry.clsid.c_str()), entry.name, text("not registered"));
            continue;
        }
        // Nothing to do when the registry and the record already say what
        // the file says.
        const FilterRow &row = found->second;
        // A filter the policy sets is the actions' to hold at its merit.
        const bool recordedAsInFile = entry.recorded ? row.recorded && row.recordedMerit == entry.merit : !row.recorded;
        if (row.merit == entry.merit && recordedAsInFile && !row.policySet) {
            FilterResult same;
            same.slot = slot;
            same.meritBefore = same.meritAfter = row.merit;
            report(same, tally);
            continue;
        }
        const std::vector<FilterResult> results = actions.applyMerit(slot, entry.merit, entry.recorded);
        for (size_t i = 0; i < results.size(); ++i)
            report(results[i], tally, i > 0);
    }
    return finish(tally);
}

int CliCommands::check()
{
    int differences = 0;
    std::map<int, FilterRow> rows;
    for (const FilterRow &row : readRows())
        rows[row.slot] = row;
    if (unreadable)
        return exitFailed;
    if (request.policy) {
        for (const auto &row : rows) {
            if (!row.second.differsFromPolicy())
                continue;
            ++differences;
            print(resultLine(QString::fromLatin1(row.second.clsid.c_str()), nameOf(row.first), text("differs"),
                             row.second.merit, row.second.policyMerit));
        }
    } else if (request.files.isEmpty()) {
        for (const UndoneChoice &choice : actions.undoneChoices()) {
            ++differences;
            print(resultLine(QString::fromLatin1(choice.record.clsid.c_str()), QString::fromUtf8(choice.record.name.c_str()),
                             text(choice.registered ? "differs" : "not-registered"),
                             choice.registered ? int64_t(choice.merit) : noMerit, choice.record.merit));
        }
    } else {
        MeritFile file;
        if (const int status = readMeritFileArgument(request.files[0], &file))
            return status;
        for (const MeritEntry &entry : file.filters) {
            const auto found = rows.find(actions.slotOf(entry.clsid.c_str()));
            const bool registered = found != rows.end();
            const int slot = registered ? found->first : -1;
            const uint32_t merit = registered ? found->second.merit : 0;
            if (registered && merit == entry.merit)
                continue;
            ++differences;
            print(resultLine(QString::fromLatin1(entry.clsid.c_str()), registered ? nameOf(slot) : entry.name,
                             text(registered ? "differs" : "not-registered"), registered ? int64_t(merit) : noMerit,
                             entry.merit));
        }
    }
    return differences ? exitPartly : exitDone;
}

int CliCommands::restore()
{
    readRows();
    if (unreadable)
        return exitFailed;
    Tally tally;
    // putBack() writes the choices of registered filters; the others are said here.
    for (const UndoneChoice &choice : actions.undoneChoices()) {
        if (choice.registered && choice.slot >= 0)
            continue;
        ++tally.skipped;
        notDone(QString::fromLatin1(choice.record.clsid.c_str()), QString::fromUtf8(choice.record.name.c_str()),
                text(choice.registered ? "not a filter this program knows" : "not registered"));
    }
    for (const FilterResult &result : actions.putBack())
        report(result, tally);
    return finish(tally);
}

int CliCommands::enforce()
{
    const std::vector<FilterRow> rows = readRows();
    if (unreadable)
        return exitFailed;
    if (std::none_of(rows.begin(), rows.end(), [](const FilterRow &row) { return row.differsFromPolicy(); })) {
        if (!request.quiet)
            printError(text("Nothing to enforce: every registered filter the policy sets has the policy's merit."));
        return exitDone;
    }
    if (const int missing = missingRegistrationTool())
        return missing;
    int32_t status = 0;
    const std::vector<std::vector<FilterResult>> written = actions.enforcePolicy(&status);
    if (status != 0) {
        printError(text("Nothing was enforced: %1").arg(statusWords(status)));
        return exitFailed;
    }
    Tally tally;
    for (const std::vector<FilterResult> &results : written)
        for (size_t i = 0; i < results.size(); ++i)
            report(results[i], tally, i > 0);
    return finish(tally);
}
