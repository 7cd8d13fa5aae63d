// An override cursor set while one lives and restored when it ends, on every
// way out of a scope.
#ifndef OVERRIDECURSOR_H
#define OVERRIDECURSOR_H

#include <QApplication>

class OverrideCursor
{
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;
};

#endif
