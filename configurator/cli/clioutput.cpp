#include "clioutput.h"

#include "meritexport.h"
#include "meritwords.h"
#include "registrationrunner.h"
#include "statustext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace {

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

QString meritColumn(int64_t merit)
{
    return merit < 0 ? text("-") : hexText(uint32_t(merit));
}

// A field of RFC 4180 CSV: quoted when it holds a comma, a quote or a line
// break; "-" where there is none.
QString csvField(const QString &field)
{
    if (field.isEmpty())
        return text("-");
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r')))
        return field;
    QString quoted = field;
    quoted.replace(text("\""), text("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A tab or line break inside a field would split the line: each becomes a blank.
QString textField(const QString &field, bool present = true)
{
    if (!present || field.isEmpty())
        return text("-");
    QString flat = field;
    for (QChar &c : flat)
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return flat;
}

QString yesNo(bool value)
{
    return text(value ? "yes" : "no");
}

} // namespace

QString hexText(uint32_t merit)
{
    return QString::fromStdString(meritHex(merit));
}

QString statusWords(int32_t status)
{
    return QString::fromUtf8(statusText(status).c_str());
}

QString meritName(uint32_t merit, uint32_t defaultMerit)
{
    switch (meritKind(merit, defaultMerit)) {
    case MeritKind::Default: return text("Default");
    case MeritKind::Disable: return text("Disable");
    case MeritKind::High: return text("High");
    case MeritKind::Custom: break;
    }
    return hexText(merit);
}

QString registrationFailureText(RegistrationFailure failure, uint32_t exitCode)
{
    switch (failure) {
    case RegistrationFailure::None: return QString();
    case RegistrationFailure::BadArguments: return text("regsvr32.exe did not take its arguments");
    case RegistrationFailure::NotLoaded: return text("the server file could not be loaded");
    case RegistrationFailure::NoEntryPoint: return text("the server file has no registration entry point");
    case RegistrationFailure::RegistrationFailed: return text("the server's registration failed");
    case RegistrationFailure::DidNotFinish:
        return text("regsvr32.exe did not finish within %1 seconds").arg(regsvr32WaitMs / 1000);
    case RegistrationFailure::OtherExit: break;
    case RegistrationFailure::DefaultNotWritten:
        return text("the server's registration did not write the default merit");
    }
    return text("regsvr32.exe ended with %1").arg(exitCode);
}

QString outcomeWord(const FilterResult &result)
{
    switch (result.outcome) {
    case FilterOutcome::Changed: return text(result.keptByPolicy ? "kept-by-policy" : "changed");
    case FilterOutcome::Unchanged: return text(result.keptByPolicy ? "kept-by-policy" : "unchanged");
    case FilterOutcome::Refused: return text("refused");
    case FilterOutcome::ServerMissing: return text("server-missing");
    case FilterOutcome::NotRegistered: return text("not-registered");
    case FilterOutcome::Removed: return text("removed");
    case FilterOutcome::Failed: break;
    }
    return text("failed");
}

QString reasonText(const FilterResult &result)
{
    const int32_t status = result.status;
    switch (result.outcome) {
    case FilterOutcome::Refused:
        return text("access denied");
    case FilterOutcome::ServerMissing:
        return text("its server file is missing");
    case FilterOutcome::NotRegistered:
        return text("not registered");
    default:
        break;
    }
    if (status == statusRegistrationToolMissing)
        return text("regsvr32.exe of this registry view is missing");
    if (status == statusRegistrationFailed)
        return registrationFailureText(result.registration, result.exitCode);
    if (status == statusOtherToolBusy)
        return text("another Kestrane filter tool kept changing filters");
    return text("failed: %1").arg(statusWords(status));
}

QString resultLine(const QString &clsid, const QString &name, const QString &outcome, int64_t before, int64_t after)
{
    return QStringList({clsid, textField(name), outcome, meritColumn(before), meritColumn(after)})
        .join(QLatin1Char('\t'));
}

QString formatList(const std::vector<ListedFilter> &filters, ListFormat format, RegistryView view)
{
    if (format == ListFormat::Json) {
        QJsonArray rows;
        for (const ListedFilter &filter : filters) {
            QJsonObject row;
            row.insert(text("clsid"), filter.clsid);
            row.insert(text("name"), filter.name);
            row.insert(text("merit"), meritName(filter.merit, filter.defaultMerit));
            row.insert(text("meritHex"), hexText(filter.merit));
            row.insert(text("defaultMerit"), hexText(filter.defaultMerit));
            row.insert(text("server"), filter.server);
            row.insert(text("serverExists"), filter.serverExists);
            row.insert(text("recordedMerit"), filter.recorded ? QJsonValue(hexText(filter.recordedMerit)) : QJsonValue());
            row.insert(text("recordedAt"), filter.recorded ? QJsonValue(filter.chosen) : QJsonValue());
            row.insert(text("undone"), filter.undone);
            row.insert(text("policyMerit"), filter.policySet ? QJsonValue(hexText(filter.policyMerit)) : QJsonValue());
            rows.append(row);
        }
        QJsonObject top;
        top.insert(text("view"), viewText(view));
        top.insert(text("filters"), rows);
        return QString::fromUtf8(QJsonDocument(top).toJson(QJsonDocument::Indented));
    }

    const bool csv = format == ListFormat::Csv;
    QString output;
    if (csv)
        output += text("clsid,name,merit,merit_hex,default_merit,server,server_exists,recorded_merit,recorded_at,undone,policy_merit\n");
    for (const ListedFilter &filter : filters) {
        const QStringList fields = {filter.clsid,
                                    filter.name,
                                    meritName(filter.merit, filter.defaultMerit),
                                    hexText(filter.merit),
                                    hexText(filter.defaultMerit),
                                    filter.server,
                                    yesNo(filter.serverExists),
                                    filter.recorded ? hexText(filter.recordedMerit) : QString(),
                                    filter.recorded ? filter.chosen : QString(),
                                    yesNo(filter.undone),
                                    filter.policySet ? hexText(filter.policyMerit) : QString()};
        QStringList shown;
        for (const QString &field : fields)
            shown << (csv ? csvField(field) : textField(field));
        output += shown.join(QLatin1Char(csv ? ',' : '\t')) + QLatin1Char('\n');
    }
    return output;
}
