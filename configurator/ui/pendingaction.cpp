#include "pendingaction.h"

#include <QCoreApplication>
#include <QRegExp>

namespace {

const QRegExp kClsid(QString::fromLatin1("\\{[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}\\}"));
const QRegExp kMerit(QString::fromLatin1("default|disable|high|0x[0-9A-Fa-f]{1,8}"));

QString tr(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

} // namespace

QStringList PendingAction::arguments() const
{
    if (kind != None && view == RegistryView::Bits32)
        return QStringList() << QString::fromLatin1("--view") << QString::fromLatin1("32") << withoutView();
    return withoutView();
}

QStringList PendingAction::withoutView() const
{
    switch (kind) {
    case SetMerit:
        return QStringList() << QString::fromLatin1("--set-merit") << clsid << merit;
    case Reset:
        return QStringList() << QString::fromLatin1("--reset");
    case Unregister:
        return QStringList() << QString::fromLatin1("--unregister") << clsid;
    case PutBack:
        return QStringList() << QString::fromLatin1("--put-back");
    case None:
        break;
    }
    return QStringList();
}

PendingAction PendingAction::fromArguments(const QStringList &given, QString *error)
{
    PendingAction action;
    QStringList arguments = given;
    const bool viewGiven = arguments.value(0) == QLatin1String("--view");
    const QString viewBits = arguments.value(1);
    if (viewGiven)
        arguments = arguments.mid(2);
    const QString verb = arguments.value(0);
    const bool understood =
        (verb == QLatin1String("--set-merit") && arguments.size() == 3 && kClsid.exactMatch(arguments[1]) &&
         kMerit.exactMatch(arguments[2])) ||
        (verb == QLatin1String("--reset") && arguments.size() == 1) ||
        (verb == QLatin1String("--put-back") && arguments.size() == 1) ||
        (verb == QLatin1String("--unregister") && arguments.size() == 2 && kClsid.exactMatch(arguments[1]));
    if (given.isEmpty())
        return action;
    const bool viewUnderstood = !viewGiven || viewBits == QLatin1String("32") || viewBits == QLatin1String("64");
    if (!understood || !viewUnderstood) {
        if (error)
            *error = tr("The command line \"%1\" was not understood. Its forms are:\n  [--view 32|64] --set-merit "
                        "{CLSID} default|disable|high|0xHHHHHHHH\n  [--view 32|64] --reset\n  [--view 32|64] "
                        "--unregister {CLSID}\n  [--view 32|64] --put-back")
                         .arg(given.join(QLatin1Char(' ')));
        return action;
    }
    action.kind = verb == QLatin1String("--set-merit") ? SetMerit
                  : verb == QLatin1String("--reset")   ? Reset
                  : verb == QLatin1String("--put-back") ? PutBack
                                                        : Unregister;
    action.clsid = arguments.value(1).toUpper();
    action.merit = arguments.value(2).toLower();
    action.view = viewBits == QLatin1String("32") && viewGiven ? RegistryView::Bits32 : RegistryView::Bits64;
    return action;
}
