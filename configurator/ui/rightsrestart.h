// The window's bookkeeping for a restart as administrator: the action the
// user started last, which a refusal offers to perform again in an instance
// started with administrator rights.
#ifndef RIGHTSRESTART_H
#define RIGHTSRESTART_H

#include "pendingaction.h"

#include <QObject>
#include <QStringList>

class QWidget;

class RightsRestart : public QObject
{
    Q_OBJECT

public:
    explicit RightsRestart(QWidget *window);

    // The action started now; `clsid` null for one of no single filter.
    void remember(PendingAction::Kind kind, RegistryView view, const char *clsid = nullptr,
                  const QString &merit = QString());
    void forget() { pending = PendingAction(); }
    const PendingAction &action() const { return pending; }

    // Warns that the registry refused the action, naming the filters that
    // kept their merits, and offers the restart where one can help. Once the
    // new instance has started, the window closes.
    void offerAfterRefusal(const QStringList &keptTheirMerits = QStringList());

public slots:
    // The restart the rights line offers, carrying no action.
    void restartWithoutAction();

private:
    QWidget *window;
    PendingAction pending;
};

#endif
