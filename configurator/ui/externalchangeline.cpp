#include "externalchangeline.h"

#include "registrychangewatch.h"

#include <QLabel>
#include <QThread>

namespace {

const DWORD kWaitMs = 200; // how soon the watcher sees that it is to stop

} // namespace

ExternalChangeLine::ExternalChangeLine(QWidget *parent, std::function<bool()> ownWork)
    : NoticeLine(QStyle::SP_MessageBoxInformation, tr("Refresh the table"), parent), ownWork(ownWork),
      stopping(false), watcher(0)
{
    text->setText(tr("Another program or window changed these filters since the table was read."));

    watcher = QThread::create([this] {
        RegistryChangeWatch watch;
        watch.arm();
        while (!stopping) {
            if (!watch.changed(kWaitMs))
                continue;
            watch.arm(); // Windows tells of one change per request
            QMetaObject::invokeMethod(this, "slotChanged", Qt::QueuedConnection);
        }
    });
    watcher->start();
}

ExternalChangeLine::~ExternalChangeLine()
{
    stopping = true;
    watcher->wait();
    delete watcher;
}

void ExternalChangeLine::tableRead()
{
    hide();
}

void ExternalChangeLine::slotChanged()
{
    if (!ownWork())
        show();
}
