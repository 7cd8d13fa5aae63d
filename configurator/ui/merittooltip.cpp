#include "merittooltip.h"

#include "appconstants.h"
#include "knownfilterrows.h"
#include "merittext.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QTableWidget>
#include <QToolTip>

#include <algorithm>

namespace {

const int kListedAtMost = 5;

QString tr(const char *text)
{
    return QCoreApplication::translate("MeritToolTip", text);
}

// FOURCC and wave-format subtypes: {XXXXXXXX-0000-0010-8000-00AA00389B71}.
bool fourccBased(const Guid &g)
{
    static const uint8_t tail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    return g.data2 == 0 && g.data3 == 0x0010 && std::equal(tail, tail + 8, g.data4);
}

QString majorTypeText(const Guid &g)
{
    static const Guid stream = {0xE436EB83, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
    if (isNullGuid(g))
        return tr("any type");
    if (g == stream)
        return tr("Stream");
    if (fourccBased(g)) {
        switch (g.data1) {
        case 0x73646976: return tr("Video");
        case 0x73647561: return tr("Audio");
        case 0x73747874: return tr("Text");
        case 0x7364696D: return tr("MIDI");
        case 0x73766169: return tr("Interleaved");
        default: break;
        }
    }
    return QString::fromStdString(guidText(g));
}

QString subtypeText(const Guid &g)
{
    if (isNullGuid(g))
        return tr("(any subtype)");
    if (!fourccBased(g))
        return QString::fromStdString(guidText(g));
    // Wave format tags of the audio subtypes.
    static const struct {
        uint32_t tag;
        const char *name;
    } waveFormats[] = {{0x0001, "PCM"},         {0x0002, "MS ADPCM"},  {0x0050, "MPEG audio"}, {0x0055, "MP3"},
                       {0x00FF, "AAC"},         {0x0161, "WMA"},       {0x0162, "WMA Pro"},    {0x1610, "HE-AAC"},
                       {0x2000, "Dolby AC-3"},  {0x2001, "DTS"},       {0xF1AC, "FLAC"}};
    for (const auto &format : waveFormats)
        if (g.data1 == format.tag)
            return QString::fromLatin1(format.name);
    QString fourcc;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = char(g.data1 >> shift);
        if (c < 0x20 || c > 0x7E)
            return QString::fromStdString(guidText(g));
        fourcc += QLatin1Char(c);
    }
    return fourcc;
}

quint32 defaultMeritOf(const std::string &clsid)
{
    for (const KnownFilterRow &row : knownFilterRows)
        if (sameClsid(row.clsid, clsid.c_str()))
            return row.defaultMerit;
    // Not a known filter: 0 is never shown as "Default", the text form
    // answers a merit of 0 before it looks at the default.
    return 0;
}

QString filterLine(const MappedFilter &filter, const MeritTextForm &meritText)
{
    const QString name = filter.name.empty() ? QString::fromStdString(filter.instance)
                                             : QString::fromUtf8(filter.name.c_str());
    // A named merit ("Default", "High") says nothing about its value next to
    // other filters' merits: the number follows it.
    QString merit = meritText(filter.merit, defaultMeritOf(filter.instance));
    if (filter.merit != 0 && merit != meritHexText(filter.merit))
        merit += QLatin1String(", ") + meritHexText(filter.merit);
    return QString::fromLatin1("    %1 (%2)").arg(name, merit);
}

QString systemLines(const MeritStanding &standing, const QString &subtype)
{
    QString text;
    const PluginControlView &system = standing.system;
    if (!system.present)
        return text;
    if (!system.preferredClsid.empty()) {
        const QString preferred = standing.preferredName.empty() ? QString::fromStdString(system.preferredClsid)
                                                                 : QString::fromUtf8(standing.preferredName.c_str());
        text += QLatin1Char('\n') + tr("Windows' list of preferred filters names %1 for %2: Windows uses that "
                                       "filter for it before looking at any merit.").arg(preferred, subtype);
    }
    if (system.disabled)
        text += QLatin1Char('\n') + tr("This filter is on Windows' list of disabled filters: it is never used.");
    return text;
}

QString toHtml(const QString &plain)
{
    QString html = plain.toHtmlEscaped();
    html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QLatin1String("<p style='white-space:pre'>") + html + QLatin1String("</p>");
}

} // namespace

QString mediaTypeText(const PinMediaType &type)
{
    return majorTypeText(type.major) + QLatin1Char(' ') + subtypeText(type.minor);
}

QString meritToolTipText(const MeritStanding &standing, const MeritTextForm &meritText)
{
    switch (standing.reading) {
    case MeritStanding::NotRegistered:
        return tr("This filter's registration is gone. Refresh the table.");
    case MeritStanding::Unreadable:
        return tr("DirectShow cannot read this filter's registration (its FilterData), so it never offers "
                  "this filter.");
    case MeritStanding::NoInputType:
        return tr("This filter registers no input media type, so DirectShow never offers it for one.");
    case MeritStanding::Read:
    case MeritStanding::MapperFailed:
        break;
    }
    const QString type = mediaTypeText(standing.type);
    QString text = tr("For %1:").arg(type) + QLatin1Char('\n');
    if (standing.reading == MeritStanding::MapperFailed)
        return text + tr("DirectShow could not be asked which filters it tries before this one (error %1).")
                          .arg(meritHexText(quint32(standing.mapperStatus)));
    // The graph builder never tries a filter of merit Disable or lower.
    if (standing.merit <= meritDisable) {
        text += tr("Never tried when DirectShow builds a graph by itself: its merit is %1 (%2) or lower.")
                    .arg(meritNameDisable, meritHexText(meritDisable));
        if (!standing.before.empty())
            text += QLatin1Char('\n') + tr("Filters of this type with a higher merit:");
    } else if (standing.before.empty()) {
        text += tr("Tried first: no other filter registered for this type has a higher merit.");
    } else {
        text += tr("Not tried first. DirectShow tries these filters with a higher merit before it:");
    }
    if (!standing.before.empty()) {
        for (size_t i = 0; i < standing.before.size() && i < size_t(kListedAtMost); ++i)
            text += QLatin1Char('\n') + filterLine(standing.before[i], meritText);
        if (standing.before.size() > size_t(kListedAtMost))
            text += QLatin1Char('\n') +
                    tr("    and %1 more").arg(int(standing.before.size()) - kListedAtMost);
    }
    if (!standing.tied.empty()) {
        text += QLatin1Char('\n') + tr("Same merit, so DirectShow may try either first:");
        for (const MappedFilter &filter : standing.tied)
            text += QLatin1Char('\n') + filterLine(filter, meritText);
    }
    return text + systemLines(standing, subtypeText(standing.type.minor));
}

MeritToolTip::MeritToolTip(QTableWidget *table, int column, RowClsid rowClsid, MeritTextForm meritText)
    : QObject(table), table_(table), column_(column), rowClsid_(rowClsid), meritText_(meritText)
{
    table->viewport()->installEventFilter(this);
}

bool MeritToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ToolTip || watched != table_->viewport())
        return false;
    QHelpEvent *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = table_->indexAt(help->pos());
    if (!index.isValid() || index.column() != column_)
        return false;
    const QString clsid = rowClsid_(index.row());
    if (clsid.isEmpty())
        return false;
    const QString text = meritToolTipText(meritStanding(clsid.toLatin1().constData()), meritText_);
    QToolTip::showText(help->globalPos(), toHtml(text), table_->viewport(), table_->visualRect(index));
    return true;
}
