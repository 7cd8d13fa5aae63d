#include "outcomemessages.h"

#include "appconstants.h"
#include "filteractions.h"
#include "filtertable.h"
#include "meritpolicystore.h"
#include "merittext.h"
#include "statustext.h"
#include "overridecursor.h"
#include "registrationrunner.h"
#include "windowsversion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

namespace {

const int kFilesNamedAtMost = 12;

// The messages belong to the window's translation context.
QString tr(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

void warn(QWidget *parent, const QString &text)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::warning(parent, applicationTitle, text, QMessageBox::Ok, QMessageBox::NoButton);
}

bool ask(QWidget *parent, const QString &text)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    return QMessageBox::question(parent, applicationTitle, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

QString playersText(RegistryView view)
{
    return view == RegistryView::Bits32 ? tr("32-bit players") : tr("64-bit players");
}

// Why the registration runner refused a server file before regsvr32 ran;
// `view` names the regsvr32.exe that was wanted.
QString refusalReason(int status, RegistryView view = RegistryView::Bits64)
{
    switch (status) {
    case statusRegistrationToolMissing:
        return registrationToolMissingText(view);
    case statusNotAServer:
        return tr("It is no program image, so it is no filter server.");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return tr("The file cannot be opened for reading.");
    case ERROR_ACCESS_DENIED:
        return tr("Access to the file was denied.");
    case statusPathHasQuote:
        return tr("Its path cannot be passed to regsvr32.exe (it holds a double quote or ends in a backslash).");
    case statusPathTooLong:
        return tr("Its path is too long to be passed to regsvr32.exe.");
    case -1:
        return tr("regsvr32.exe could not be started.");
    default:
        return tr("Unknown error %1.").arg(status);
    }
}

// One filter name a line, indented.
QString nameLines(const QStringList &names)
{
    QString lines;
    for (const QString &name : names)
        lines += QLatin1String("\n    ") + name;
    return lines;
}

} // namespace

bool showAccessDenied(QWidget *parent, const QStringList &keptTheirMerits, bool offerRestart, bool afterReset)
{
    QString text = tr("The operation was declined due to access denial! You need administrative privileges to "
                      "do any changes in this table!\n\n");
    if (windowsVersion() >= windowsVersionVista)
        text += tr("In particular, under Windows Vista with the UAC turned on - even if you're logged in as an "
                   "administrator - you must launch this application via the context menu's \"Run as "
                   "administrator...\" entry in order to have your selections be successfully applied. For "
                   "application shortcut's like 'Start' menu entries there's also the possibility to turn on the "
                   "\"Run as administrator...\" property permanently.");
    if (!keptTheirMerits.isEmpty())
        text += QLatin1String("\n\n") +
                (afterReset ? tr("These filters kept their merits; every other one was reset:")
                            : tr("These filters kept their merits:")) +
                nameLines(keptTheirMerits);
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox box(QMessageBox::Warning, applicationTitle, text, QMessageBox::Ok, parent);
    QPushButton *restart = 0;
    if (offerRestart) {
        restart = box.addButton(restartAsAdministratorText(), QMessageBox::AcceptRole);
        restart->setIcon(box.style()->standardIcon(QStyle::SP_VistaShield));
    }
    box.exec();
    return restart && box.clickedButton() == restart;
}

QString restartAsAdministratorText()
{
    return tr("Restart as administrator");
}

bool askToRemoveStaleRegistration(QWidget *parent, const QString &filterName)
{
    return ask(parent, tr("Though %1 filter is still registered, its registration path is invalid! Probably the "
                          "file was deleted or renamed.\n\nDo you want to permanently remove this filter from the "
                          "list?").arg(filterName));
}

bool confirmUnregister(QWidget *parent, const QString &filterName, const QString &serverPath,
                       const QStringList &companions, const QString &policyMerit)
{
    // What the user is asked to remember, and what else goes, before the
    // question itself.
    QString text = tr("This action will permanently unlink %1 from your computer's DirectShow engine, it will "
                      "not be available any longer for applications like e.g. Windows Media Player! If you "
                      "want to register the same filter again later, you need to remember its \"Filter "
                      "Location\".").arg(filterName);
    text += QLatin1String("\n\n") + tr("Filter Location: %1").arg(serverPath);
    if (!companions.isEmpty())
        text += QLatin1String("\n\n") + tr("The same server also serves these filters, which go too:") +
                nameLines(companions);
    if (!policyMerit.isEmpty())
        text += QLatin1String("\n\n") + tr("Your organisation's policy sets its merit (%1). Registered again, "
                                             "it is held at that merit.").arg(policyMerit);
    return ask(parent, text + QLatin1String("\n\n") +
                           tr("Are you sure to permanently remove this filter from the list?"));
}

void showNotRegistered(QWidget *parent)
{
    warn(parent, tr("It seems that this filter isn't registered anymore. Please refresh the table!"));
}

void showChoiceNotRemembered(QWidget *parent, const QString &filterName, int status)
{
    warn(parent, tr("The merit of %1 was changed, but this program could not remember your choice (error %2), so "
                    "it cannot tell you when a re-registration undoes it.")
                     .arg(filterName)
                     .arg(status));
}

namespace {

// A warning of a heading and a list, nothing for an empty list. A box must
// fit the screen: a long list is cut, `more` saying how much is left.
void warnList(QWidget *parent, const QString &heading, const QStringList &entries, const QString &separator,
              const QString &more)
{
    if (entries.isEmpty())
        return;
    const int named = qMin(int(entries.size()), kFilesNamedAtMost);
    QString text = heading;
    for (int i = 0; i < named; ++i)
        text += separator + entries[i];
    if (entries.size() > named)
        text += separator + more.arg(entries.size() - named);
    warn(parent, text);
}

QString reregistrationFailureText(const FilterResult &result)
{
    switch (result.registration) {
    case RegistrationFailure::NotLoaded:
        return tr("its server file could not be loaded: it is no filter server, or not one for this version of Windows");
    case RegistrationFailure::NoEntryPoint:
        return tr("its server file has no registration entry point");
    case RegistrationFailure::RegistrationFailed:
        return tr("its server's own registration failed");
    case RegistrationFailure::DidNotFinish:
        return tr("regsvr32.exe did not finish in time");
    case RegistrationFailure::DefaultNotWritten:
        return tr("its server's registration did not write its default merit");
    default:
        return tr("regsvr32.exe ended with code %1").arg(result.exitCode);
    }
}

} // namespace

void showFailures(QWidget *parent, const std::vector<FilterResult> &failed, const QStringList &names)
{
    QStringList lines;
    for (size_t i = 0; i < failed.size(); ++i) {
        const FilterResult &result = failed[i];
        const QString reason = result.status == statusRegistrationFailed ? reregistrationFailureText(result)
                               : result.status == statusOtherToolBusy
                                   ? tr("another Kestrane filter tool kept changing filters")
                                   : QString::fromUtf8(statusText(result.status).c_str());
        lines << tr("%1: %2.").arg(names.value(int(i)), reason);
    }
    warnList(parent, tr("These filters keep the merits they had:"), lines, QLatin1String("\n"),
             tr("And %1 more filters."));
}

void showResetStopped(QWidget *parent, int done, int total)
{
    warn(parent, tr("Reset stopped after %1 of %2 filters; the others keep their merits.").arg(done).arg(total));
}

void showRegistrationStopped(QWidget *parent, int done, int total)
{
    warn(parent, tr("Registering stopped after %1 of %2 files; the others were not registered.").arg(done).arg(total));
}

QString registrationsUnreadableText(int status)
{
    return tr("The filter registrations cannot be read: %1. Nothing can be changed here until they can.")
        .arg(QString::fromUtf8(statusText(status).c_str()));
}

QString waitingForOtherToolText()
{
    return tr("Waiting for another Kestrane filter tool to finish\xE2\x80\xA6");
}

void showUnknownError(QWidget *parent)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::critical(parent, applicationTitle, tr("Unknown error! Refreshing the table might help."),
                          QMessageBox::Ok, QMessageBox::NoButton);
}

QString registrationToolMissingText(RegistryView view)
{
    return tr("%1 does not exist on this system, so filters for %2 cannot be registered, reset or unregistered "
              "here. Nothing was changed.")
        .arg(QString::fromStdWString(regsvr32Path(view)), playersText(view));
}

void showRegistrationToolMissing(QWidget *parent, RegistryView view)
{
    warn(parent, registrationToolMissingText(view));
}

void showRunnerRefusal(QWidget *parent, const QString &serverPath, int status, RegistryView view)
{
    if (status == statusRegistrationToolMissing)
        return showRegistrationToolMissing(parent, view);
    warn(parent, tr("regsvr32.exe cannot be run on %1.\n\n%2").arg(serverPath, refusalReason(status)));
}

void showRegistrationRefused(QWidget *parent, const ServerFileResult &file)
{
    warn(parent, tr("%1 was not registered.\n\n%2")
                     .arg(QString::fromStdWString(file.path), refusalReason(file.status, file.view)));
}

void showRegistrationOutcome(QWidget *parent, const std::vector<ServerFileResult> &files, RegistryView shown)
{
    QStringList entries;
    for (const ServerFileResult &file : files) {
        const QString name = QFileInfo(QString::fromStdWString(file.path)).fileName();
        if (file.status == statusNotAServer) {
            entries << tr("%1 is no program image, so it is no filter server: it was not registered.").arg(name);
            continue;
        }
        if (file.status != 0 || file.failure == RegistrationFailure::DidNotFinish) // refused before, or still showing its own result
            continue;
        QString line;
        switch (file.failure) {
        case RegistrationFailure::None:
        case RegistrationFailure::DefaultNotWritten:
            if (file.view != shown)
                line = tr("%1 is a %2-bit server: registered for %3")
                           .arg(name, file.view == RegistryView::Bits32 ? tr("32") : tr("64"),
                                playersText(file.view));
            else if (file.added.empty() && !file.listed)
                line = tr("%1 was registered, but it registers no filter this table lists.").arg(name);
            break;
        case RegistrationFailure::BadArguments:
            line = tr("%1: regsvr32.exe did not take the file name.").arg(name);
            break;
        case RegistrationFailure::NotLoaded:
            line = tr("%1 could not be loaded: it is no filter server, or not one for this version of Windows.")
                       .arg(name);
            break;
        case RegistrationFailure::NoEntryPoint:
            line = tr("%1 has no registration entry point (DllRegisterServer): it is no filter server.").arg(name);
            break;
        case RegistrationFailure::RegistrationFailed:
            line = tr("%1: its own registration failed.").arg(name);
            break;
        case RegistrationFailure::DidNotFinish:
        case RegistrationFailure::OtherExit:
            line = tr("%1: regsvr32.exe ended with code %2.").arg(name).arg(file.exitCode);
            break;
        }
        if (!line.isEmpty())
            entries << line;
    }
    warnList(parent, tr("Not every file chosen added filters to this table."), entries, QLatin1String("\n\n"),
             tr("And %1 more files."));
}

void showRegistrationReport(QWidget *parent, const RegistrationReport &report, int chosen, RegistryView shown)
{
    if (report.cancelled)
        showRegistrationStopped(parent, int(report.files.size()), chosen);
    if (report.status != 0)
        showFailures(parent, {FilterResult{-1, FilterOutcome::Failed, report.status}}, {tr("Register")});
    for (const ServerFileResult &file : report.files)
        if (file.status != 0 && file.status != statusNotAServer)
            showRegistrationRefused(parent, file);
    showRegistrationOutcome(parent, report.files, shown);
}

void showChangeFailed(QWidget *parent, const FilterResult &result, const FilterRow &filter, RegistryView view)
{
    switch (result.status) {
    case statusWaitCancelled:
        return;
    case statusRegistrationFailed:
    case statusOtherToolBusy:
        return showFailures(parent, {result}, {FilterTable::nameText(filter)});
    case statusPathHasQuote:
    case statusPathTooLong:
    case statusRegistrationToolMissing:
        return showRunnerRefusal(parent, QString::fromStdWString(filter.serverPath), result.status, view);
    default:
        return showUnknownError(parent);
    }
}

QString policyLockText(const FilterRow &filter)
{
    return tr("Set by your organisation's policy: %1").arg(meritText(filter.policyMerit, filter.defaultMerit));
}

QString policyLineText(const std::vector<FilterRow> &rows, const MeritPolicy &policy, RegistryView view)
{
    QStringList lines;
    int differing = 0;
    for (const FilterRow &row : rows)
        differing += row.differsFromPolicy() ? 1 : 0;
    if (differing == 1)
        lines << tr("1 filter has a merit other than your organisation's policy sets.");
    else if (differing > 1)
        lines << tr("%1 filters have merits other than your organisation's policy sets.").arg(differing);
    const QString key = QLatin1String("HKLM\\") + QString::fromLatin1(meritPolicyKey(view));
    if (policy.status != 0)
        lines << tr("Your organisation's policy (%1) cannot be read: %2.")
                     .arg(key, QString::fromUtf8(statusText(policy.status).c_str()));
    for (const PolicyProblem &problem : policy.problems)
        lines << tr("The policy value \"%1\" in %2 is not applied: %3.")
                     .arg(QString::fromUtf8(problem.valueName.c_str()), key,
                          QString::fromUtf8(policyFaultText(problem).c_str()));
    return lines.join(QLatin1Char('\n'));
}

void showKeptByPolicy(QWidget *parent, const QStringList &names)
{
    if (names.isEmpty())
        return;
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::information(parent, applicationTitle,
                             tr("These filters stay at the merits your organisation's policy sets:") + nameLines(names),
                             QMessageBox::Ok, QMessageBox::NoButton);
}
