#include "pendingaction.h"

#include "meritwords.h"

#include <QCoreApplication>

namespace {

// The registry form of a CLSID argument, or a null string.
QString clsidOf(const QString &given)
{
    std::string clsid;
    return parseClsid(given.toStdString(), &clsid) ? QString::fromStdString(clsid) : QString();
}

// A merit argument in the form the actions' words write it, or a null string.
QString meritOf(const QString &given)
{
    MeritChoice choice;
    return parseMeritChoice(given.toStdString(), &choice) ? QString::fromStdString(meritWord(choice)) : QString();
}

QString tr(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

} // namespace

QStringList PendingAction::arguments() const
{
    QStringList arguments;
    switch (kind) {
    case SetMerit:
        arguments << QString::fromLatin1("set") << clsid << merit;
        break;
    case Reset:
        arguments << QString::fromLatin1("reset");
        break;
    case Unregister: // confirmed by the user before the restart
        arguments << QString::fromLatin1("unregister") << clsid << QString::fromLatin1("--yes");
        break;
    case PutBack:
        arguments << QString::fromLatin1("restore");
        break;
    case Enforce:
        arguments << QString::fromLatin1("enforce");
        break;
    case None:
        return arguments;
    }
    if (view == RegistryView::Bits32)
        arguments << QString::fromLatin1("--view") << QString::fromLatin1("32");
    return arguments;
}

PendingAction PendingAction::fromArguments(const QStringList &given, QString *error)
{
    PendingAction action;
    if (given.isEmpty())
        return action;
    // "--view N" may stand anywhere, as on the command-line tool.
    QStringList arguments = given;
    const int viewAt = arguments.indexOf(QString::fromLatin1("--view"));
    const QString viewBits = viewAt >= 0 ? arguments.value(viewAt + 1) : QString::fromLatin1("64");
    if (viewAt >= 0)
        arguments.erase(arguments.begin() + viewAt, arguments.begin() + qMin(viewAt + 2, arguments.size()));
    const QString verb = arguments.value(0);
    const bool understood =
        (viewBits == QLatin1String("32") || viewBits == QLatin1String("64")) &&
        ((verb == QLatin1String("set") && arguments.size() == 3 && !clsidOf(arguments[1]).isNull() &&
          !meritOf(arguments[2]).isNull()) ||
         (verb == QLatin1String("reset") && arguments.size() == 1) ||
         (verb == QLatin1String("restore") && arguments.size() == 1) ||
         (verb == QLatin1String("enforce") && arguments.size() == 1) ||
         (verb == QLatin1String("unregister") && arguments.size() == 3 && !clsidOf(arguments[1]).isNull() &&
          arguments[2] == QLatin1String("--yes")));
    if (!understood) {
        if (error)
            *error = tr("The command line \"%1\" was not understood. Its forms are:\n  set {CLSID} "
                        "default|disable|high|0xHHHHHHHH\n  reset\n  unregister {CLSID} --yes\n  restore\n  enforce\neach "
                        "with --view 32 or --view 64 where Windows has both registry views.")
                         .arg(given.join(QLatin1Char(' ')));
        return action;
    }
    action.kind = verb == QLatin1String("set")       ? SetMerit
                  : verb == QLatin1String("reset")   ? Reset
                  : verb == QLatin1String("restore") ? PutBack
                  : verb == QLatin1String("enforce") ? Enforce
                                                     : Unregister;
    action.clsid = action.kind == SetMerit || action.kind == Unregister ? clsidOf(arguments[1]) : QString();
    action.merit = action.kind == SetMerit ? meritOf(arguments[2]) : QString();
    action.view = viewBits == QLatin1String("32") ? RegistryView::Bits32 : RegistryView::Bits64;
    return action;
}
