#include "windowactions.h"

#include "backgroundaction.h"
#include "outcomemessages.h"
#include "widetext.h"

#include <QCoreApplication>
#include <QDir>
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
    if (result.outcome == FilterOutcome::Refused) {
        refused << name;
    } else if (result.outcome == FilterOutcome::Failed) {
        failed.push_back(result);
        failedNames << name;
    }
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
bool WindowActions::change(const QString &progressText, const std::function<void(FilterActions &)> &change)
{
    LockWait atOnce;
    atOnce.limitMs = 0;
    {
        const ActionLock lock(atOnce);
        if (lock.held()) {
            change(here());
            return false;
        }
    }
    FilterActions &onWorker = worker();
    background->run([&] {
        background->report(progressText, 0, 0);
        change(onWorker);
    });
    return true;
}

UndoneWork WindowActions::reset(const std::vector<int> &order, const QMap<int, QString> &names)
{
    ActionCallbacks callbacks;
    callbacks.progress = [&](int done, int total, int slot) {
        background->report(tr("Resetting %1 (%2 of %3)\xE2\x80\xA6").arg(names.value(slot)).arg(done + 1).arg(total),
                           done, total);
    };
    callbacks.cancelled = [&] { return background->cancelled(); };
    callbacks.removeStaleRegistration = [&](const FilterRow &filter) {
        return background->ask([&] { return askToRemoveStaleRegistration(window, names.value(filter.slot)); });
    };
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
