// Whether the window is at work on the registry. While one of its slots
// runs, the signals of its four push buttons are blocked, so that no click
// arrives while the table is rebuilt or a change is applied; and the
// registry's notifications of its own changes, which come in up to a second
// after them, are not taken for another program's.
#ifndef BUSYSTATE_H
#define BUSYSTATE_H

#include <QList>
#include <QtGlobal>

class QPushButton;

class BusyState
{
public:
    // The buttons whose signals are blocked, in the order they are blocked.
    void setButtons(const QList<QPushButton *> &buttons) { pushButtons = buttons; }
    // Nested: each block(true) is ended by one block(false).
    void block(bool block);
    // At work, or its changes' notifications may still come in.
    bool expectsOwnChanges() const;

private:
    QList<QPushButton *> pushButtons;
    int depth = 0;
    qint64 quietUntil = 0; // ms since the epoch
};

// Blocks for its lifetime through `Owner::blockButtonSignals`, on every way
// out of a slot.
template <class Owner> class ButtonSignalsBlocked
{
public:
    explicit ButtonSignalsBlocked(Owner *owner) : owner(owner) { owner->blockButtonSignals(true); }
    ~ButtonSignalsBlocked() { owner->blockButtonSignals(false); }
    ButtonSignalsBlocked(const ButtonSignalsBlocked &) = delete;
    ButtonSignalsBlocked &operator=(const ButtonSignalsBlocked &) = delete;

private:
    Owner *owner;
};

#endif
