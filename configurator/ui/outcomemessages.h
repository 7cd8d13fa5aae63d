// The window's questions and messages about what an action did: modal
// message boxes with the window as parent and the application title as
// caption, each shown under the arrow cursor.
#ifndef OUTCOMEMESSAGES_H
#define OUTCOMEMESSAGES_H

#include "filteractions.h"
#include "registryview.h"

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;
struct FilterResult;

// The access-denial warning, with the advice to run elevated from Windows
// Vista on, and the filters that kept their merits when some changed (the
// others were reset when `afterReset`). With `offerRestart` it has a button
// "Restart as administrator" with the UAC shield; true when the user pressed it.
bool showAccessDenied(QWidget *parent, const QStringList &keptTheirMerits = QStringList(),
                      bool offerRestart = false, bool afterReset = false);
// The text of that button, also beside the line that says changes need
// administrator rights.
QString restartAsAdministratorText();
// Yes or No: remove the registration of a filter whose server file is gone.
bool askToRemoveStaleRegistration(QWidget *parent, const QString &filterName);
// Yes or No: unregister the filter's server, which takes `companions` along.
// `policyMerit`: the merit the organisation's policy sets for the filter, in
// the table's words; empty where the policy leaves it to the user.
bool confirmUnregister(QWidget *parent, const QString &filterName, const QString &serverPath,
                       const QStringList &companions, const QString &policyMerit = QString());
void showNotRegistered(QWidget *parent);
// The merit was changed, but the record of the choice could not be written:
// a re-registration that undoes it will not be seen.
void showChoiceNotRemembered(QWidget *parent, const QString &filterName, int status);
void showUnknownError(QWidget *parent);
// Filters whose server's re-registration failed, each with regsvr32's reason,
// or a wait for another tool that ended without the action.
void showFailures(QWidget *parent, const std::vector<FilterResult> &failed, const QStringList &names);
// A long action the user stopped: what was done and what was not.
void showResetStopped(QWidget *parent, int done, int total);
void showRegistrationStopped(QWidget *parent, int done, int total);
// Why the table is empty although filters may be registered.
QString registrationsUnreadableText(int status);
// A filter whose merit the organisation's policy sets: its selector's words.
QString policyLockText(const FilterRow &filter);
// The line about the organisation's policy: how many registered filters
// differ from it, and each value of it that is not applied and why; empty
// when there is nothing to say.
QString policyLineText(const std::vector<FilterRow> &rows, const MeritPolicy &policy, RegistryView view);
// After an action: the filters that stayed at the policy's merits.
void showKeptByPolicy(QWidget *parent, const QStringList &names);
QString waitingForOtherToolText();
// The regsvr32.exe of `view` does not exist: nothing can be registered,
// reset or unregistered in that view (SysWOW64's on a system that runs no
// 32-bit programs).
QString registrationToolMissingText(RegistryView view);
void showRegistrationToolMissing(QWidget *parent, RegistryView view);
// The registration runner refused a server path before regsvr32.exe ran:
// while changing a listed filter in `view`, or while registering a chosen file.
struct ServerFileResult;
void showRunnerRefusal(QWidget *parent, const QString &serverPath, int status, RegistryView view);
void showRegistrationRefused(QWidget *parent, const ServerFileResult &file);

// After a Register in the view `shown`: the files regsvr32 failed on, those
// registered in the other view (a server of the other bitness), and those
// that registered no filter this table lists; nothing when there are none.
void showRegistrationOutcome(QWidget *parent, const std::vector<ServerFileResult> &files, RegistryView shown);
// Everything a Register has to say, after its table was read again: where
// the user stopped it, why it did not start, the files refused before
// regsvr32.exe ran (regsvr32 shows its own result once it runs), then the
// outcome above. `chosen`: how many files the user chose.
void showRegistrationReport(QWidget *parent, const RegistrationReport &report, int chosen, RegistryView shown);

// A change of one filter that failed neither for a refusal nor for a missing
// server file; nothing when the user stopped its wait, as the row then says.
void showChangeFailed(QWidget *parent, const FilterResult &result, const FilterRow &filter, RegistryView view);

#endif
