#include "messageboxcloser.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QTimer>

MessageBoxCloser::MessageBoxCloser(QList<QMessageBox::StandardButton> answers)
    : answers(answers), poller(new QTimer(this))
{
    connect(poller, SIGNAL(timeout()), this, SLOT(poll()));
    poller->start(20);
}

void MessageBoxCloser::poll()
{
    QMessageBox *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible() || box->property("kestraneAnswered").toBool())
        return;
    box->setProperty("kestraneAnswered", true);
    Seen seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    seen.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
    boxesSeen.append(seen);
    const QMessageBox::StandardButton answer = answers.isEmpty() ? QMessageBox::Ok
                                               : answers.size() > 1 ? answers.takeFirst()
                                                                      : answers.first();
    if (QAbstractButton *button = box->button(answer))
        button->click();
    else
        box->reject();
}
