#include "administratorrights.h"

#include "appconstants.h"
#include "elevation.h"
#include "outcomemessages.h"
#include "overridecursor.h"
#include "statustext.h"
#include "windowsversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <string>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

std::wstring toWide(const QString &text)
{
    std::wstring wide(size_t(text.size()) * 2 + 1, L'\0'); // room for UTF-16 or UTF-32
    wide.resize(size_t(text.toWCharArray(&wide[0])));
    return wide;
}

} // namespace

bool canRestartAsAdministrator()
{
    return windowsVersion() >= windowsVersionVista && !processElevated();
}

bool restartAsAdministrator(QWidget *window, const PendingAction &action)
{
    QStringList quoted;
    for (const QString &argument : action.arguments())
        quoted << QLatin1Char('"') + argument + QLatin1Char('"');
    const int32_t status = startElevated(toWide(QDir::toNativeSeparators(QCoreApplication::applicationFilePath())),
                                         toWide(quoted.join(QLatin1Char(' '))));
    if (status == 0)
        return true;
    if (status == statusDeclined) // the user declined: the window goes on as it was
        return false;
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::critical(window, applicationTitle,
                          tr("Pivora could not be started with administrator rights: %1.").arg(QString::fromUtf8(statusText(status).c_str())),
                          QMessageBox::Ok, QMessageBox::NoButton);
    return false;
}

QWidget *createRightsLine(QWidget *window, QObject *receiver, const char *restart, bool changesAllowed)
{
    if (changesAllowed || processElevated())
        return 0;
    QWidget *rightsLine = new QWidget(window);
    QHBoxLayout *line = new QHBoxLayout(rightsLine);
    line->setContentsMargins(0, 0, 0, 0);
    const QString reason = tr("Changes to these filters need administrator rights.");
    line->addWidget(new QLabel(reason, rightsLine));
    line->addStretch();
    rightsLine->setAccessibleName(reason);
    if (canRestartAsAdministrator()) {
        QPushButton *button = new QPushButton(window->style()->standardIcon(QStyle::SP_VistaShield),
                                              restartAsAdministratorText(), rightsLine);
        button->setAccessibleDescription(tr("Starts Pivora again with administrator rights; this window closes"));
        QObject::connect(button, SIGNAL(clicked()), receiver, restart);
        line->addWidget(button);
    }
    return rightsLine;
}
