// The window's questions and messages about what an action did: modal
// message boxes with the window as parent and the application title as
// caption, each shown under the arrow cursor.
#ifndef OUTCOMEMESSAGES_H
#define OUTCOMEMESSAGES_H

#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

// The access-denial warning, with the advice to run elevated from Windows
// Vista on, and the filters that kept their merits when some changed. With
// `offerRestart` it has a button "Restart as administrator" with the UAC
// shield; true when the user pressed it.
bool showAccessDenied(QWidget *parent, const QStringList &keptTheirMerits = QStringList(),
                      bool offerRestart = false);
// The text of that button, also beside the line that says changes need
// administrator rights.
QString restartAsAdministratorText();
// Yes or No: remove the registration of a filter whose server file is gone.
bool askToRemoveStaleRegistration(QWidget *parent, const QString &filterName);
// Yes or No: unregister the filter's server, which takes `companions` along.
bool confirmUnregister(QWidget *parent, const QString &filterName, const QString &serverPath,
                       const QStringList &companions);
void showNotRegistered(QWidget *parent);
void showUnknownError(QWidget *parent);
// The registration runner refused a server path before regsvr32.exe ran:
// while changing a listed filter, or while registering a chosen file.
void showRunnerRefusal(QWidget *parent, const QString &serverPath, int status);
void showRegistrationRefused(QWidget *parent, const QString &serverPath, int status);

// After a Register: the files regsvr32 failed on, and those that registered
// no filter this table lists; nothing when there are none.
struct ServerFileResult;
void showRegistrationOutcome(QWidget *parent, const std::vector<ServerFileResult> &files);

#endif
