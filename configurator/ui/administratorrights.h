// Administrator rights where they are missing: whether this process can be
// restarted with them, the restart itself with the refused action on the
// new instance's command line, and the line above the table that says
// changes need them.
#ifndef ADMINISTRATORRIGHTS_H
#define ADMINISTRATORRIGHTS_H

#include "pendingaction.h"

class QObject;
class QWidget;

// On Windows Vista and later, for a process that is not elevated.
bool canRestartAsAdministrator();

// Starts this program again with administrator rights ("runas") and the
// action's arguments. True once it has started; false when the user
// declined (nothing more is said) or the start failed (a message says why).
bool restartAsAdministrator(QWidget *window, const PendingAction &action);

// The line "Changes to these filters need administrator rights." with its
// restart button, a child of `window` whose clicked() goes to `restart` of
// `receiver` (a SLOT or a SIGNAL); null when changes are not refused.
QWidget *createRightsLine(QWidget *window, QObject *receiver, const char *restart, bool changesAllowed);

#endif
