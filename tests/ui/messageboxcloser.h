// Finds the modal message box a test expects, records it and answers it,
// so that no box is ever left open. The test asserts on what it saw.
#ifndef MESSAGEBOXCLOSER_H
#define MESSAGEBOXCLOSER_H

#include <QMessageBox>
#include <QObject>
#include <QStringList>

class QTimer;

class MessageBoxCloser : public QObject
{
    Q_OBJECT

public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };

    // Answers each box with the next of `answers` (the last one repeats).
    explicit MessageBoxCloser(QList<QMessageBox::StandardButton> answers = {QMessageBox::Ok});

    const QList<Seen> &seen() const { return boxesSeen; }
    int count() const { return boxesSeen.size(); }

private slots:
    void poll();

private:
    QList<QMessageBox::StandardButton> answers;
    QList<Seen> boxesSeen;
    QTimer *poller;
};

#endif
