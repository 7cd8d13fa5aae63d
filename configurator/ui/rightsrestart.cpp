#include "rightsrestart.h"

#include "administratorrights.h"
#include "outcomemessages.h"

void RightsRestart::remember(PendingAction::Kind kind, RegistryView view, const char *clsid, const QString &merit)
{
    pending = PendingAction();
    pending.kind = kind;
    if (clsid)
        pending.clsid = QString::fromLatin1(clsid);
    pending.merit = merit;
    pending.view = view;
}

bool RightsRestart::offerAfterRefusal(const QStringList &keptTheirMerits)
{
    return showAccessDenied(window, keptTheirMerits, canRestartAsAdministrator()) &&
           restartAsAdministrator(window, pending);
}

bool RightsRestart::restartWithoutAction()
{
    return restartAsAdministrator(window, PendingAction());
}
