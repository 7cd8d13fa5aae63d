#include "windowactions.h"

#include "appconstants.h"
#include "backgroundaction.h"
#include "filtertable.h"
#include "merittext.h"
#include "outcomemessages.h"
#include "widetext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

} // namespace

void UndoneWork::add(const FilterResult &result, const QString &name)
{
    if (result.keptByPolicy)
        keptByPolicy << name;
    if (result.outcome == FilterOutcome::Refused) {
        refused << name;
    } else if (result.outcome == FilterOutcome::Failed) {
        failed.push_back(result);
        failedNames << name;
    }
}

void UndoneWork::showStoppedAndFailed(QWidget *parent) const
{
    if (stoppedAfter >= 0)
        showResetStopped(parent, stoppedAfter, total);
    showFailures(parent, failed, failedNames);
    showKeptByPolicy(parent, keptByPolicy);
}

WindowActions::WindowActions(QWidget *window, FilterActions *actions)
    : window(window), actions(actions), background(new BackgroundAction(window))
{
    LockWait wait;
    wait.waiting = [this] { background->report(waitingForOtherToolText(), 0, 0); };
    wait.cancelled = [this] { return background->cancelled(); };
    actions->setLockWait(wait);
}

FilterActions &WindowActions::here()
{
    actions->setOwnerWindow(reinterpret_cast<void *>(static_cast<quintptr>(window->winId())));
    return *actions;
}

// For the worker thread: its regsvr32 runs have no owner window. A window
// of this thread would make the shell wait on this thread for each run, and
// regsvr32's own boxes are windows of its own process.
FilterActions &WindowActions::worker()
{
    actions->setOwnerWindow(nullptr);
    return *actions;
}

// The action lock is taken here first, and the change's own actions take it
// again at once; only while another tool holds it does the change go to the
// worker.
bool WindowActions::change(const QString &progressText, const Change &change)
{
    ActionCallbacks callbacks;
    LockWait atOnce;
    atOnce.limitMs = 0;
    {
        const ActionLock lock(atOnce);
        if (lock.held()) {
            callbacks.removeStaleRegistration = [this](const FilterRow &filter) { return askToRemove(filter, false); };
            change(here(), callbacks);
            return false;
        }
    }
    callbacks.removeStaleRegistration = [this](const FilterRow &filter) { return askToRemove(filter, true); };
    FilterActions &onWorker = worker();
    background->run([&] {
        background->report(progressText, 0, 0);
        change(onWorker, callbacks);
    });
    return true;
}

// The worker's question waits for the answer the window's thread gets.
bool WindowActions::askToRemove(const FilterRow &filter, bool fromWorker)
{
    const auto question = [&] { return askToRemoveStaleRegistration(window, FilterTable::nameText(filter)); };
    return fromWorker ? background->ask(question) : question();
}

ChangeDone WindowActions::changeMerit(int slot, const MeritChoice &choice, const QString &name)
{
    ChangeDone done;
    done.waited = change(tr("Changing the merit of %1\xE2\x80\xA6").arg(name),
                         [&](FilterActions &actions, const ActionCallbacks &callbacks) {
                             done.results = choice.isDefault ? actions.setDefaultMerit(slot, callbacks)
                                                             : actions.setMerit(slot, choice.value, callbacks);
                         });
    return done;
}

ChangeDone WindowActions::unregister(const FilterRow &filter, bool confirm)
{
    ChangeDone done;
    if (filter.serverExists && confirm) {
        QStringList companions;
        for (int other : actions->serverCompanions(filter.slot))
            companions << FilterTable::nameText(actions->row(other));
        if (!confirmUnregister(window, QString::fromLatin1(filter.name.c_str()),
                               QString::fromStdWString(filter.serverPath), companions,
                               filter.policySet ? meritText(filter.policyMerit, filter.defaultMerit) : QString()))
            return done;
    }
    done.waited = change(tr("Unregistering %1\xE2\x80\xA6").arg(FilterTable::nameText(filter)),
                         [&](FilterActions &actions, const ActionCallbacks &callbacks) {
                             done.results = actions.unregister(filter.slot, callbacks);
                         });
    return done;
}

UndoneWork WindowActions::putBack()
{
    std::vector<FilterResult> results;
    change(tr("Putting back the merits chosen\xE2\x80\xA6"),
           [&](FilterActions &actions, const ActionCallbacks &) { results = actions.putBack(); });
    UndoneWork undone;
    for (const FilterResult &result : results)
        undone.add(result, result.slot >= 0 ? FilterTable::nameText(actions->row(result.slot)) : tr("Put back"));
    return undone;
}

UndoneWork WindowActions::enforcePolicy()
{
    std::vector<std::vector<FilterResult>> results;
    int32_t status = 0;
    change(tr("Enforcing your organisation's policy\xE2\x80\xA6"),
           [&](FilterActions &actions, const ActionCallbacks &) { results = actions.enforcePolicy(&status); });
    UndoneWork undone;
    for (const std::vector<FilterResult> &filter : results)
        if (!filter.empty())
            undone.add(filter.front(), FilterTable::nameText(actions->row(filter.front().slot)));
    if (status != 0)
        undone.add(FilterResult{-1, FilterOutcome::Failed, status}, tr("Enforce the policy"));
    return undone;
}

UndoneWork WindowActions::reset(const std::vector<int> &order, const QMap<int, QString> &names)
{
    ActionCallbacks callbacks;
    callbacks.progress = [&](int done, int total, int slot) {
        background->report(tr("Resetting %1 (%2 of %3)\xE2\x80\xA6").arg(names.value(slot)).arg(done + 1).arg(total),
                           done, total);
    };
    callbacks.cancelled = [&] { return background->cancelled(); };
    callbacks.removeStaleRegistration = [this](const FilterRow &filter) { return askToRemove(filter, true); };
    FilterActions &onWorker = worker();
    ResetReport report;
    background->run([&] { report = onWorker.reset(order, callbacks); });
    UndoneWork undone;
    for (const FilterResult &result : report.filters)
        undone.add(result, names.value(result.slot));
    if (report.status != 0)
        undone.add(FilterResult{-1, FilterOutcome::Failed, report.status}, tr("Reset"));
    undone.stoppedAfter = report.cancelled ? int(report.filters.size()) : -1;
    undone.total = int(order.size());
    return undone;
}

bool WindowActions::registrationToolPresent()
{
    if (actions->missingRegistrationTool().empty())
        return true;
    showRegistrationToolMissing(window, actions->view());
    return false;
}

QStringList WindowActions::chooseServerFiles()
{
    const QStringList files =
        QFileDialog::getOpenFileNames(window, applicationTitle, lastServerFolder, QString::fromLatin1("*.ax"));
    if (!files.isEmpty()) // the folder of the first file
        lastServerFolder = QDir::toNativeSeparators(files.first())
                               .section(QDir::separator(), 0, -2,
                                        QString::SectionIncludeLeadingSep | QString::SectionIncludeTrailingSep);
    return files;
}

RegistrationReport WindowActions::registerFiles(const QStringList &files)
{
    std::vector<std::wstring> paths;
    for (const QString &file : files)
        paths.push_back(wideFromUtf8(QDir::toNativeSeparators(file).toUtf8().constData()));
    ActionCallbacks callbacks;
    callbacks.progress = [&](int done, int total, int) {
        background->report(tr("Registering %1 (%2 of %3)\xE2\x80\xA6")
                               .arg(QFileInfo(files.at(done)).fileName()).arg(done + 1).arg(total),
                           done, total);
    };
    callbacks.cancelled = [&] { return background->cancelled(); };
    FilterActions &onWorker = worker();
    RegistrationReport report;
    background->run([&] { report = onWorker.registerServers(paths, callbacks); });
    return report;
}
