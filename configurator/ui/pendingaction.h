// An action that was refused for want of administrator rights, carried on
// the command line to the instance of pivora started with them, which
// performs it once its window shows:
//   pivora [--view 32|64] --set-merit {CLSID} default|disable|high|0xHHHHHHHH
//   pivora [--view 32|64] --reset
//   pivora [--view 32|64] --unregister {CLSID}
//   pivora [--view 32|64] --put-back
// --view names the registry view the action is for (registryview.h); the
// 64-bit one without it.
#ifndef PENDINGACTION_H
#define PENDINGACTION_H

#include "registryview.h"

#include <QString>
#include <QStringList>

struct PendingAction {
    enum Kind { None, SetMerit, Reset, Unregister, PutBack };
    Kind kind = None;
    QString clsid; // registry form
    QString merit; // "default", "disable", "high" or "0x" and eight hexadecimal digits
    RegistryView view = RegistryView::Bits64;

    QStringList arguments() const;
    // None for no action; `error` says what was not understood.
    static PendingAction fromArguments(const QStringList &arguments, QString *error = 0);

private:
    QStringList withoutView() const;
};

#endif
