#include "externalchangeline.h"

#include "registrychangewatch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QThread>

namespace {

const DWORD kWaitMs = 200; // how soon the watcher sees that it is to stop

} // namespace

ExternalChangeLine::ExternalChangeLine(QWidget *parent, std::function<bool()> ownWork)
    : QWidget(parent), ownWork(ownWork), stopping(false), watcher(0)
{
    QHBoxLayout *line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    QLabel *icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(size, size));
    line->addWidget(icon);
    line->addWidget(new QLabel(tr("Another program or window changed these filters since the table was read."), this),
                    1);
    QPushButton *refresh = new QPushButton(tr("Refresh the table"), this);
    line->addWidget(refresh);
    connect(refresh, SIGNAL(clicked()), this, SIGNAL(refreshClicked()));
    hide();

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
