#include "backgroundaction.h"

#include "appconstants.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

namespace {

class WorkerThread : public QThread
{
public:
    explicit WorkerThread(const std::function<void()> &work) : work(work) {}

protected:
    void run() override { work(); }

private:
    std::function<void()> work;
};

bool isUserInput(const QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

BackgroundAction::BackgroundAction(QWidget *window)
    : QObject(window), window(window), progress(0), delay(new QTimer(this)), running(false),
      cancelRequested(false), answer(false)
{
    delay->setSingleShot(true);
    delay->setInterval(progressDelayMs);
    connect(delay, SIGNAL(timeout()), this, SLOT(slotShowProgress()));
}

BackgroundAction::~BackgroundAction()
{
    delete progress;
}

void BackgroundAction::run(const std::function<void()> &work)
{
    cancelRequested = false;
    running = true;
    // The window and its table ignore the user until the action has ended;
    // the progress dialog and the questions are windows of their own.
    qApp->installEventFilter(this);
    WorkerThread worker(work);
    QEventLoop loop;
    connect(&worker, SIGNAL(finished()), &loop, SLOT(quit()));
    delay->start();
    worker.start();
    loop.exec();
    worker.wait();
    delay->stop();
    running = false;
    qApp->removeEventFilter(this);
    if (progress) {
        progress->hide();
        progress->deleteLater();
        progress = 0;
    }
}

void BackgroundAction::report(const QString &text, int done, int total)
{
    QMetaObject::invokeMethod(this, "slotProgress", Qt::QueuedConnection, Q_ARG(QString, text), Q_ARG(int, done),
                              Q_ARG(int, total));
}

bool BackgroundAction::ask(const std::function<bool()> &asked)
{
    question = asked;
    QMetaObject::invokeMethod(this, "slotAsk", Qt::BlockingQueuedConnection);
    return answer;
}

bool BackgroundAction::eventFilter(QObject *watched, QEvent *event)
{
    if (!running || !watched->isWidgetType() || !isUserInput(event))
        return false;
    const QWidget *widget = static_cast<QWidget *>(watched);
    return widget->window() == window;
}

QProgressDialog *BackgroundAction::progressDialog()
{
    if (!progress) {
        progress = new QProgressDialog(window);
        progress->setWindowTitle(applicationTitle);
        progress->setWindowModality(Qt::WindowModal);
        progress->setAutoReset(false);
        progress->setAutoClose(false);
        // Shown by slotShowProgress after the delay, not by the dialog's own
        // estimate of the time left.
        progress->setMinimumDuration(24 * 60 * 60 * 1000);
        connect(progress, SIGNAL(canceled()), this, SLOT(slotCancel()));
    }
    return progress;
}

void BackgroundAction::slotProgress(const QString &text, int done, int total)
{
    if (!running)
        return;
    QProgressDialog *dialog = progressDialog();
    dialog->setMaximum(total);
    dialog->setValue(done);
    if (!cancelRequested)
        dialog->setLabelText(text);
}

void BackgroundAction::slotShowProgress()
{
    if (running && !cancelRequested)
        progressDialog()->show();
}

void BackgroundAction::slotCancel()
{
    cancelRequested = true;
    if (progress)
        progress->setLabelText(tr("Stopping after the current server..."));
}

void BackgroundAction::slotAsk()
{
    answer = question ? question() : false;
}
