#include "clicommands.h"

#include "clioutput.h"
#include "elevation.h"
#include "filterregistrystore.h"
#include "meritexport.h"
#include "meritrecords.h"
#include "registrationrunner.h"
#include "registrymapper.h"
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

// The recorded choices of a view by CLSID in upper case.
std::map<QString, MeritRecord> recordsOf(RegistryView view)
{
    std::map<QString, MeritRecord> records;
    for (const MeritRecord &record : readMeritRecords(view))
        records[QString::fromLatin1(record.clsid.c_str()).toUpper()] = record;
    return records;
}

const MeritRecord *recordFor(const std::map<QString, MeritRecord> &records, const std::string &clsid)
{
    const auto found = records.find(QString::fromLatin1(clsid.c_str()).toUpper());
    return found == records.end() ? nullptr : &found->second;
}

// What regsvr32.exe's exit code says of a server file.
QString regsvr32Failure(DWORD exitCode)
{
    switch (exitCode) {
    case 1: return text("regsvr32.exe did not take its arguments");
    case 3: return text("the file could not be loaded");
    case 4: return text("the file has no registration entry point");
    case 5: return text("its registration failed");
    case STILL_ACTIVE: return text("regsvr32.exe did not finish within %1 seconds").arg(regsvr32WaitMs / 1000);
    default: return text("regsvr32.exe ended with %1").arg(exitCode);
    }
}

} // namespace

CliCommands::CliCommands(FilterCatalogue *catalogue, const CliRequest &request, QTextStream &out, QTextStream &err)
    : catalogue(catalogue), request(request), actions(catalogue, request.view), out(out), err(err)
{
}

int CliCommands::run()
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

std::vector<NamedFilter> CliCommands::readNames()
{
    return readNames(actions.registeredFilters());
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
    return QString::fromUtf8(registeredFilterName(clsidOf(slot).toLatin1().constData(), request.view).c_str());
}

QString CliCommands::clsidOf(int slot) const
{
    const KnownFilter *entry = catalogueEntry(catalogue, slot);
    return entry ? QString::fromLatin1(entry->clsid) : QString();
}

int CliCommands::findFilter()
{
    const std::vector<NamedFilter> registered = readNames();
    const FilterLookup lookup = lookUpFilter(request.filter, registered);
    switch (lookup.kind) {
    case FilterLookup::Found:
        return lookup.slot;
    case FilterLookup::NotRegistered:
        if (actions.slotOf(request.filter.toLatin1().constData()) >= 0)
            printError(text("%1 is not registered for %2 players.").arg(request.filter, viewName(request.view)));
        else
            printError(text("No Kestrane filter this program knows has the CLSID %1.").arg(request.filter));
        return -1;
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
    const bool touched = result.outcome != FilterOutcome::Unchanged;
    if (!companion || touched) {
        const bool gone = result.outcome == FilterOutcome::Removed || result.outcome == FilterOutcome::NotRegistered;
        print(resultLine(clsidOf(result.slot), nameOf(result.slot), outcomeWord(result.outcome),
                         result.meritBefore, gone ? noMerit : int64_t(result.meritAfter)));
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
        notDone(clsidOf(result.slot), nameOf(result.slot), reasonText(result.outcome, result.status));
        return;
    default:
        ++tally.failed;
        notDone(clsidOf(result.slot), nameOf(result.slot), reasonText(result.outcome, result.status));
        return;
    }
    if (result.recordStatus == 0 || companion)
        return;
    // A record that could not be updated matters when it is missing after a
    // merit was set, or says another merit than the registry now holds: check
    // and restore would act on it.
    const std::map<QString, MeritRecord> records = recordsOf(request.view);
    const MeritRecord *record = recordFor(records, clsidOf(result.slot).toStdString());
    if (record ? record->merit != result.meritAfter : recording) {
        ++tally.failed;
        notDone(clsidOf(result.slot), nameOf(result.slot),
                text("the merit stands, but its record could not be updated (error %1)").arg(result.recordStatus));
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
    const std::map<QString, MeritRecord> records = recordsOf(request.view);
    const std::vector<FilterRow> rows = actions.registeredFilters(); // read once: the registry is read per row
    readNames(rows);
    std::vector<ListedFilter> listed;
    for (const FilterRow &row : rows) {
        ListedFilter filter;
        filter.clsid = QString::fromLatin1(row.clsid.c_str());
        filter.name = nameOf(row.slot);
        filter.merit = row.merit;
        filter.defaultMerit = row.defaultMerit;
        filter.server = fromWide(row.serverPath);
        filter.serverExists = row.serverExists;
        if (const MeritRecord *record = recordFor(records, row.clsid)) {
            filter.recorded = true;
            filter.recordedMerit = record->merit;
            filter.chosen = QString::fromUtf8(record->chosen.c_str());
            filter.undone = record->merit != row.merit;
        }
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
        return exitNotFound;
    if (const int missing = missingRegistrationTool())
        return missing;
    recording = !request.merit.isDefault;
    const std::vector<FilterResult> results = recording ? actions.setMerit(slot, request.merit.value)
                                                        : actions.setDefaultMerit(slot);
    Tally tally;
    for (size_t i = 0; i < results.size(); ++i)
        report(results[i], tally, i > 0);
    return finish(tally);
}

int CliCommands::reset()
{
    std::vector<int> registered;
    for (const NamedFilter &filter : readNames())
        registered.push_back(filter.slot);
    if (const int missing = missingRegistrationTool())
        return missing;
    ActionCallbacks callbacks; // a stale registration is reported, never removed unasked
    const ResetReport done = actions.reset(registered, callbacks);
    Tally tally;
    for (const FilterResult &result : done.filters)
        report(result, tally);
    return finish(tally);
}

int CliCommands::unregister()
{
    const int slot = findFilter();
    if (slot < 0)
        return exitNotFound;
    if (!request.yes) {
        printError(text("unregister removes %1 %2").arg(clsidOf(slot), nameOf(slot)));
        for (int other : actions.serverCompanions(slot))
            printError(text("  and with it %1 %2").arg(clsidOf(other), nameOf(other)));
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
        printError(text("File not found: %1").arg(file));
    if (!missing.isEmpty()) {
        printError(text("Nothing was registered."));
        return exitNotFound;
    }

    // Each server is registered silently into the view of its own bitness,
    // so a script never meets a box of regsvr32.exe's.
    Tally tally;
    for (const QString &file : request.files) {
        const QString shownPath = QDir::toNativeSeparators(QFileInfo(file).absoluteFilePath());
        const std::wstring path = wideFromUtf8(shownPath.toUtf8().constData());
        const ServerImage image = readServerImage(pathInView(path, request.view));
        if (image == ServerImage::NotAnImage) {
            ++tally.failed;
            printError(text("%1\tnot a filter server: the file is no program image").arg(shownPath));
            continue;
        }
        const RegistryView view = viewForImage(image, request.view);
        FilterActions there(catalogue, view);
        const std::wstring tool = there.missingRegistrationTool();
        if (!tool.empty()) {
            ++tally.failed;
            printError(text("%1\t%2 is missing").arg(shownPath, fromWide(tool)));
            continue;
        }
        if (view != request.view && !request.quiet)
            printError(text("%1 is a %2 server: registered for %2 players").arg(shownPath, viewName(view)));

        std::map<int, uint32_t> before;
        for (const FilterRow &row : there.registeredFilters())
            before[row.slot] = row.merit;
        DWORD exitCode = STILL_ACTIVE;
        const int32_t status = runRegsvr32(nullptr, true, path.c_str(), true, &exitCode, view);

        bool any = false;
        for (const FilterRow &row : there.registeredFilters()) {
            const auto was = before.find(row.slot);
            if (was != before.end() && QString::fromStdWString(row.serverPath).compare(
                                           QString::fromStdWString(path), Qt::CaseInsensitive) != 0)
                continue;
            any = true;
            const QString name = QString::fromUtf8(registeredFilterName(row.clsid.c_str(), view).c_str());
            print(resultLine(QString::fromLatin1(row.clsid.c_str()), name, text("registered"),
                             was == before.end() ? noMerit : int64_t(was->second), row.merit));
        }
        if (status != 0) {
            ++tally.failed;
            printError(text("%1\tregsvr32.exe could not be started (error %2)").arg(shownPath).arg(status));
        } else if (exitCode == 5 && !filterCategoryWritable(view)) {
            ++tally.refused;
            printError(text("%1\taccess denied").arg(shownPath));
        } else if (exitCode != 0) {
            ++tally.failed;
            printError(text("%1\t%2").arg(shownPath, regsvr32Failure(exitCode)));
        } else {
            ++tally.changed;
            if (!any && !request.quiet)
                printError(text("%1 registered no Kestrane filter this program lists").arg(shownPath));
        }
    }
    return finish(tally);
}

int CliCommands::exportMerits()
{
    const std::map<QString, MeritRecord> records = recordsOf(request.view);
    readNames();
    MeritFile file;
    file.view = request.view;
    for (const FilterRow &row : actions.registeredFilters()) {
        MeritEntry entry;
        entry.clsid = row.clsid;
        entry.name = nameOf(row.slot);
        entry.merit = row.merit;
        const MeritRecord *record = recordFor(records, row.clsid);
        entry.recorded = record && record->merit == row.merit;
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
    QFile input(path);
    if (!QFileInfo(path).isFile()) {
        printError(text("File not found: %1").arg(path));
        return exitNotFound;
    }
    if (!input.open(QIODevice::ReadOnly)) {
        printError(text("%1 could not be read: %2").arg(path, input.errorString()));
        return exitFailed;
    }
    QString error;
    if (!readMeritFile(input.readAll(), file, &error)) {
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

std::vector<FilterResult> CliCommands::applyEntry(int slot, uint32_t merit, bool recorded)
{
    // A server's own merit that was no choice stays the server's: the filter
    // goes back to its default and no choice is recorded for it.
    recording = recorded || merit != actions.row(slot).defaultMerit;
    return recording ? actions.setMerit(slot, merit) : actions.setDefaultMerit(slot);
}

int CliCommands::apply()
{
    MeritFile file;
    if (const int status = readMeritFileArgument(request.files[0], &file))
        return status;
    readNames();
    if (const int missing = missingRegistrationTool())
        return missing;
    const std::map<QString, MeritRecord> records = recordsOf(request.view);
    Tally tally;
    for (const MeritEntry &entry : file.filters) {
        const int slot = actions.slotOf(entry.clsid.c_str());
        if (slot < 0 || !actions.isRegistered(slot)) {
            ++tally.skipped;
            notDone(QString::fromLatin1(entry.clsid.c_str()), entry.name, text("not registered"));
            continue;
        }
        // Nothing to do when the registry and the record already say what
        // the file says.
        const FilterRow row = actions.row(slot);
        const MeritRecord *record = recordFor(records, row.clsid);
        const bool recordedAsInFile = entry.recorded ? record && record->merit == entry.merit : !record;
        if (row.merit == entry.merit && recordedAsInFile) {
            FilterResult same;
            same.slot = slot;
            same.meritBefore = same.meritAfter = row.merit;
            report(same, tally);
            continue;
        }
        const std::vector<FilterResult> results = applyEntry(slot, entry.merit, entry.recorded);
        for (size_t i = 0; i < results.size(); ++i)
            report(results[i], tally, i > 0);
    }
    return finish(tally);
}

int CliCommands::check()
{
    int differences = 0;
    if (request.files.isEmpty()) {
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
        readNames();
        for (const MeritEntry &entry : file.filters) {
            const int slot = actions.slotOf(entry.clsid.c_str());
            const bool registered = slot >= 0 && actions.isRegistered(slot);
            const uint32_t merit = registered ? actions.row(slot).merit : 0;
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
    readNames();
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
