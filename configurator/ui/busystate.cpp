#include "busystate.h"

#include <QDateTime>
#include <QPushButton>

namespace {

// How long after a slot's end the registry's notifications are still taken
// for its own changes.
const qint64 ownChangesLagMs = 1500;

} // namespace

void BusyState::block(bool block)
{
    if (block) {
        ++depth;
    } else {
        depth = qMax(0, depth - 1);
        quietUntil = QDateTime::currentMSecsSinceEpoch() + ownChangesLagMs;
    }
    for (QPushButton *button : pushButtons)
        if (button)
            button->blockSignals(block);
}

bool BusyState::expectsOwnChanges() const
{
    return depth > 0 || QDateTime::currentMSecsSinceEpoch() < quietUntil;
}
