// The line above the table that says the filters were changed by another
// program, or another window of this one, since the table was read, with a
// button that refreshes it. The table is never rebuilt by itself under the
// user's hands. A worker thread waits on the registry's change notification
// (registrychangewatch.h); changes made while the window itself works, and
// just after, are its own and pass without a word.
#ifndef EXTERNALCHANGELINE_H
#define EXTERNALCHANGELINE_H

#include "noticeline.h"

#include <atomic>
#include <functional>

class QThread;

class ExternalChangeLine : public NoticeLine
{
    Q_OBJECT

public:
    // `ownWork` is true while the window changes the registry itself.
    ExternalChangeLine(QWidget *parent, std::function<bool()> ownWork);
    ~ExternalChangeLine();

    // The table was read again: the line goes.
    void tableRead();

private slots:
    void slotChanged();

private:
    std::function<bool()> ownWork;
    std::atomic<bool> stopping;
    QThread *watcher;
};

#endif
