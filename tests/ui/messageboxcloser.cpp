#include "messageboxcloser.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QTimer>

MessageBoxCloser::MessageBoxCloser(QList<QMessageBox::StandardButton> answers)
    : m_answers(answers), m_timer(new QTimer(this))
{
    connect(m_timer, SIGNAL(timeout()), this, SLOT(poll()));
    m_timer->start(20);
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
    m_seen.append(seen);
    const QMessageBox::StandardButton answer = m_answers.isEmpty() ? QMessageBox::Ok
                                               : m_answers.size() > 1 ? m_answers.takeFirst()
                                                                      : m_answers.first();
    if (QAbstractButton *button = box->button(answer))
        button->click();
    else
        box->reject();
}
