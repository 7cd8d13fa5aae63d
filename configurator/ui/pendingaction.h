// An action that was refused for want of administrator rights, carried on
// the command line to the instance of pivora started with them, which
// performs it once its window shows. The forms are those of pivora-cli:
//   pivora set {CLSID} default|disable|high|0xHHHHHHHH
//   pivora reset
//   pivora unregister {CLSID} --yes
//   pivora restore                  (puts back the undone merit choices)
//   pivora enforce                  (writes the merits the organisation's policy sets)
// each with "--view 32" for the 32-bit registry view (registryview.h).
#ifndef PENDINGACTION_H
#define PENDINGACTION_H

#include "registryview.h"

#include <QString>
#include <QStringList>

struct PendingAction {
    enum Kind { None, SetMerit, Reset, Unregister, PutBack, Enforce };
    Kind kind = None;
    QString clsid; // registry form
    QString merit; // the actions' merit words (meritwords.h)
    RegistryView view = RegistryView::Bits64;

    QStringList arguments() const;
    // None for no action; `error` says what was not understood.
    static PendingAction fromArguments(const QStringList &arguments, QString *error = 0);

};

#endif
