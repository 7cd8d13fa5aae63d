// pivora: the configurator of Kestrane's DirectShow filter merits.
#include "accessibility.h"
#include "appconstants.h"
#include "displayscaling.h"
#include "pendingaction.h"
#include "pivoracentral.h"
#include "readabletooltips.h"

#include <QApplication>
#include <QMessageBox>
#include <new>

int main(int argc, char **argv)
{
    enableDisplayScaling();
    QApplication *application = new QApplication(argc, argv);
    followHighContrast();
    makeToolTipsReadable();

    PivoraCentral *window = new (std::nothrow) PivoraCentral(0);
    if (!window) {
        const int answer = QMessageBox::critical(0, applicationTitle, QObject::tr("Insufficient memory!"),
                                                 QMessageBox::Ok, QMessageBox::NoButton);
        delete application;
        return answer;
    }

    QCoreApplication::setApplicationName(applicationTitle);
    // Under a high-contrast theme the keyboard focus shows from the start,
    // not only once the keyboard has moved it.
    window->setAttribute(Qt::WA_KeyboardFocusChange, highContrastOn());
    window->show();
    // An action refused for want of rights, carried to this instance, which
    // was started with them.
    QString error;
    const PendingAction action = PendingAction::fromArguments(application->arguments().mid(1), &error);
    if (!error.isEmpty())
        QMessageBox::warning(window, applicationTitle, error, QMessageBox::Ok, QMessageBox::NoButton);
    else if (action.kind != PendingAction::None)
        window->performAction(action);
    const int status = application->exec();

    // The window goes first: nothing of it may outlive the application object.
    delete window;
    delete application;
    return status;
}
