// pivora: the configurator of Kestrane's DirectShow filter merits.
#include "appconstants.h"
#include "displayscaling.h"
#include "pivoracentral.h"
#include "readabletooltips.h"

#include <QApplication>
#include <QMessageBox>
#include <new>

int main(int argc, char **argv)
{
    enableDisplayScaling();
    QApplication *application = new QApplication(argc, argv);
    makeToolTipsReadable();

    PivoraCentral *window = new (std::nothrow) PivoraCentral(0);
    if (!window) {
        const int answer = QMessageBox::critical(0, applicationTitle, QObject::tr("Insufficient memory!"),
                                                 QMessageBox::Ok, QMessageBox::NoButton);
        delete application;
        return answer;
    }

    QCoreApplication::setApplicationName(applicationTitle);
    window->show();
    const int status = application->exec();

    // The window goes first: nothing of it may outlive the application object.
    delete window;
    delete application;
    return status;
}
