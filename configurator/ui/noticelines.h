// The lines above the window's table, top to bottom: changes need
// administrator rights, the registrations cannot be read, the registry
// differs from the organisation's policy, another program changed the
// filters, chosen merits were undone. Each shows only while it
// has something to say; their buttons' clicks come out as this object's
// signals.
#ifndef NOTICELINES_H
#define NOTICELINES_H

#include "filteractions.h"

#include <QObject>

#include <functional>
#include <vector>

class ExternalChangeLine;
class NoticeLine;
class QVBoxLayout;
class QWidget;
class UndoneChoicesLine;

class NoticeLines : public QObject
{
    Q_OBJECT

public:
    // The lines are children of `window`. `ownChanges` says when the
    // registry's notifications are of the window's own changes.
    NoticeLines(QWidget *window, bool changesAllowed, const std::function<bool()> &ownChanges);

    void addTo(QVBoxLayout *layout) const;
    // The table was read: `status` 0, or why the registrations cannot be
    // read; the rows of `view` and the policy they were read with.
    void tableRead(int32_t status, const std::vector<FilterRow> &rows, const MeritPolicy &policy, RegistryView view);
    void setUndoneChoices(const std::vector<UndoneChoice> &undone);

signals:
    void readAgainClicked(); // another program's changes, or a registry that could not be read
    void putBackClicked();
    void enforceClicked();
    void restartClicked();

private:
    QWidget *rightsLine;            // null while changes are allowed
    NoticeLine *readErrorLine;
    NoticeLine *policyLine;
    ExternalChangeLine *changeLine;
    UndoneChoicesLine *undoneLine;
};

#endif
