#include "rightsrestart.h"

#include "administratorrights.h"
#include "outcomemessages.h"

#include <QWidget>

RightsRestart::RightsRestart(QWidget *window) : QObject(window), window(window) {}

void RightsRestart::remember(PendingAction::Kind kind, RegistryView view, const char *clsid, const QString &merit)
{
    pending = PendingAction();
    pending.kind = kind;
    if (clsid)
        pending.clsid = QString::fromLatin1(clsid);
    pending.merit = merit;
    pending.view = view;
}

void RightsRestart::offerAfterRefusal(const QStringList &keptTheirMerits)
{
    if (showAccessDenied(window, keptTheirMerits, canRestartAsAdministrator(), pending.kind == PendingAction::Reset) &&
        restartAsAdministrator(window, pending))
        window->close();
}

void RightsRestart::restartWithoutAction()
{
    if (restartAsAdministrator(window, PendingAction()))
        window->close();
}
