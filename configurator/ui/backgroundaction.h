// Runs a long filter action (Reset, Register) on a worker thread while the
// window keeps painting and answering: after half a second a window-modal
// progress dialog with Cancel shows where the action is, four times a second.
// The user's input to the window is ignored until the action has ended, and
// questions the action asks are asked on the GUI thread while the worker
// waits for the answer.
#ifndef BACKGROUNDACTION_H
#define BACKGROUNDACTION_H

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class QProgressDialog;
class QTimer;
class QWidget;

class BackgroundAction : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundAction(QWidget *window);
    ~BackgroundAction();

    // Runs `work` on a worker thread and returns once it has ended.
    void run(const std::function<void()> &work);

    // For the worker: where the action is, whether the user pressed Cancel,
    // and an answer from the GUI thread.
    void report(const QString &text, int done, int total);
    bool cancelled() const { return cancelRequested.load(); }
    bool ask(const std::function<bool()> &question);

    // How long the action may run before the progress dialog shows, and how
    // often the dialog shows where the action is: each of its updates is a
    // repaint that a Wine server shares with the action's registrations.
    static const int progressDelayMs = 500;
    static const int progressUpdateMs = 250;
    // The progress dialog's width, in average characters of its font.
    static const int progressLabelChars = 64;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void slotProgress();
    void slotShowProgress();
    void slotCancel();
    void slotAsk();

private:
    QProgressDialog *progressDialog();

    QWidget *window;
    QProgressDialog *progress;
    QTimer *delay;
    QTimer *updates;
    bool running;
    // The worker's latest report, for the next update.
    QMutex reportLock;
    QString reportedText;
    int reportedDone, reportedTotal;
    bool reportFresh;
    std::atomic<bool> cancelRequested;
    std::function<bool()> question;
    bool answer;
};

#endif
