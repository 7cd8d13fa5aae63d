#include "clioutput.h"

#include "meritexport.h"
#include "registrationrunner.h"

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
    return merit < 0 ? text("-") : meritHexText(uint32_t(merit));
}

// A field of RFC 4180 CSV: quoted when it holds a comma, a quote or a line break.
QString csvField(const QString &field)
{
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

QString meritName(uint32_t merit, uint32_t defaultMerit)
{
    if (merit == defaultMerit)
        return text("Default");
    if (merit == 0x00200000u)
        return text("Disable");
    if (merit == 0xFFFFFFFFu)
        return text("High");
    return meritHexText(merit);
}

QString outcomeWord(FilterOutcome outcome)
{
    switch (outcome) {
    case FilterOutcome::Changed: return text("changed");
    case FilterOutcome::Unchanged: return text("unchanged");
    case FilterOutcome::Refused: return text("refused");
    case FilterOutcome::ServerMissing: return text("server-missing");
    case FilterOutcome::NotRegistered: return text("not-registered");
    case FilterOutcome::Removed: return text("removed");
    case FilterOutcome::Failed: break;
    }
    return text("failed");
}

QString reasonText(FilterOutcome outcome, int32_t status)
{
    switch (outcome) {
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
    return text("failed (error %1)").arg(status);
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
            row.insert(text("meritHex"), meritHexText(filter.merit));
            row.insert(text("defaultMerit"), meritHexText(filter.defaultMerit));
            row.insert(text("server"), filter.server);
            row.insert(text("serverExists"), filter.serverExists);
            row.insert(text("recordedMerit"), filter.recorded ? QJsonValue(meritHexText(filter.recordedMerit)) : QJsonValue());
            row.insert(text("recordedAt"), filter.recorded ? QJsonValue(filter.chosen) : QJsonValue());
            row.insert(text("undone"), filter.undone);
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
        output += text("clsid,name,merit,merit_hex,default_merit,server,server_exists,recorded_merit,recorded_at,undone\n");
    for (const ListedFilter &filter : filters) {
        const QStringList fields = {filter.clsid,
                                    filter.name,
                                    meritName(filter.merit, filter.defaultMerit),
                                    meritHexText(filter.merit),
                                    meritHexText(filter.defaultMerit),
                                    filter.server,
                                    yesNo(filter.serverExists),
                                    filter.recorded ? meritHexText(filter.recordedMerit) : QString(),
                                    filter.recorded ? filter.chosen : QString(),
                                    yesNo(filter.undone)};
        QStringList shown;
        for (const QString &field : fields)
            shown << (csv ? csvField(field) : textField(field));
        output += shown.join(QLatin1Char(csv ? ',' : '\t')) + QLatin1Char('\n');
    }
    return output;
}
