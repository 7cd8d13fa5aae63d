#include "backgroundaction.h"

#include "accessibility.h"
#include "appconstants.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressBar>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
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

// A widget of the progress dialog, painted when its state changes. The
// Windows Vista style runs a glow across a running bar and pulses the
// default button by asking them for a repaint at every animation frame;
// under Wine each frame is drawn through the server that the registrations
// wait for, which made a Reset a sixth slower. Refused, the style's
// animation stops.
template <class Widget>
class Steady : public Widget
{
public:
    using Widget::Widget;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::StyleAnimationUpdate) {
            event->ignore();
            return true;
        }
        return Widget::event(event);
    }
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
    : QObject(window), window(window), progress(0), delay(new QTimer(this)), updates(new QTimer(this)),
      running(false), reportedDone(0), reportedTotal(0), reportFresh(false), cancelRequested(false), answer(false)
{
    delay->setSingleShot(true);
    delay->setInterval(progressDelayMs);
    connect(delay, SIGNAL(timeout()), this, SLOT(slotShowProgress()));
    updates->setInterval(progressUpdateMs);
    connect(updates, SIGNAL(timeout()), this, SLOT(slotProgress()));
}

BackgroundAction::~BackgroundAction()
{
    delete progress;
}

void BackgroundAction::run(const std::function<void()> &work)
{
    cancelRequested = false;
    reportFresh = false;
    running = true;
    // The window and its table ignore the user until the action has ended;
    // the progress dialog and the questions are windows of their own.
    qApp->installEventFilter(this);
    WorkerThread worker(work);
    QEventLoop loop;
    connect(&worker, SIGNAL(finished()), &loop, SLOT(quit()));
    delay->start();
    updates->start();
    worker.start();
    loop.exec();
    worker.wait();
    delay->stop();
    updates->stop();
    running = false;
    qApp->removeEventFilter(this);
    if (progress) {
        // The end is heard where the start was: from the progress dialog.
        progress->setAccessibleDescription(cancelRequested ? tr("Stopped.") : tr("Done."));
        announce(progress);
        progress->hide();
        progress->deleteLater();
        progress = 0;
    }
}

void BackgroundAction::report(const QString &text, int done, int total)
{
    const QMutexLocker locked(&reportLock);
    reportedText = text;
    reportedDone = done;
    reportedTotal = total;
    reportFresh = true;
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
        progress->setBar(new Steady<QProgressBar>);
        QPushButton *cancel = new Steady<QPushButton>(tr("Cancel"));
        cancel->setAccessibleDescription(tr("Stops the action after the server being registered"));
        progress->setCancelButton(cancel);
        // One width whatever the label says, so that Cancel stays under the
        // pointer; a long name wraps onto a second line the label keeps.
        QLabel *label = new QLabel(progress);
        label->setWordWrap(true);
        label->setMinimumHeight(2 * label->fontMetrics().lineSpacing());
        progress->setLabel(label);
        progress->setFixedWidth(label->fontMetrics().averageCharWidth() * progressLabelChars);
        progress->setWindowTitle(applicationTitle);
        progress->setAccessibleName(tr("Progress of the action"));
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

void BackgroundAction::slotProgress()
{
    QString text;
    int done = 0, total = 0;
    {
        const QMutexLocker locked(&reportLock);
        if (!reportFresh)
            return;
        text = reportedText;
        done = reportedDone;
        total = reportedTotal;
        reportFresh = false;
    }
    if (!running)
        return;
    QProgressDialog *dialog = progressDialog();
    dialog->setMaximum(total);
    dialog->setValue(done);
    if (!cancelRequested) {
        dialog->setLabelText(text);
        dialog->setAccessibleDescription(text);
    }
}

void BackgroundAction::slotShowProgress()
{
    if (!running || cancelRequested)
        return;
    slotProgress(); // where the action is now, not a quarter second ago
    progressDialog()->show();
    announce(progress); // the start of an action the user waits for
}

void BackgroundAction::slotCancel()
{
    cancelRequested = true;
    if (progress) {
        progress->setLabelText(tr("Stopping after the current server..."));
        progress->setAccessibleDescription(progress->labelText());
    }
}

void BackgroundAction::slotAsk()
{
    answer = question ? question() : false;
}
