#include "externalchangeline.h"

#include "registrychangewatch.h"

#include <QLabel>
#include <QPushButton>
#include <QThread>

namespace {

const DWORD kWaitMs = 100;  // how soon the watcher sees that it is to stop
const int kSettleMs = 500;  // after a change, before the watch is armed again

} // namespace

ExternalChangeLine::ExternalChangeLine(QWidget *parent, std::function<bool()> ownWork)
    : NoticeLine(QStyle::SP_MessageBoxInformation, tr("Refresh the table"), parent), ownWork(ownWork),
      stopping(false), watcher(0)
{
    text->setText(tr("Another program or window changed these filters since the table was read."));
    button->setAccessibleDescription(tr("Reads the filters again, with the other program's changes"));

    watcher = QThread::create([this] {
        RegistryChangeWatch watch;
        watch.arm();
        while (!stopping) {
            if (!watch.changed(kWaitMs))
                continue;
            QMetaObject::invokeMethod(this, "slotChanged", Qt::QueuedConnection);
            // A registration writes many values one after the other: asking
            // again after each would keep the registry busy with requests
            // while it works. One notice a half second is enough to know.
            for (int waited = 0; waited < kSettleMs && !stopping; waited += int(kWaitMs))
                QThread::msleep(kWaitMs);
            watch.arm(); // Windows tells of one change per request
            // A change in that half second is after the notice just given;
            // only when that notice was of the window's own change does a
            // change of another program's in it pass unnoticed.
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
        showLine(true);
}
