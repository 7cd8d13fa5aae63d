#include "merittooltip.h"

#include "appconstants.h"
#include "knownfilterrows.h"
#include "mediatypes.h"
#include "merittext.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QMessageBox>
#include <QTableWidget>
#include <QToolTip>

#include <algorithm>

namespace {

const int kListedAtMost = 5;

QString tr(const char *text)
{
    return QCoreApplication::translate("MeritToolTip", text);
}

QString majorTypeText(const Guid &g)
{
    if (isNullGuid(g))
        return tr("any type");
    const std::string name = majorTypeName(g);
    return name.empty() ? QString::fromStdString(guidText(g)) : tr(name.c_str());
}

QString subtypeText(const Guid &g)
{
    if (isNullGuid(g))
        return tr("(any subtype)");
    const std::string name = subtypeName(g);
    return QString::fromStdString(name.empty() ? guidText(g) : name);
}

QString filterLine(const MappedFilter &filter)
{
    const QString name = filter.name.empty() ? QString::fromStdString(filter.instance)
                                             : QString::fromUtf8(filter.name.c_str());
    // A named merit ("Default", "High") says nothing about its value next to
    // other filters' merits: the number follows it.
    QString merit = meritText(filter.merit, knownDefaultMerit(filter.instance.c_str()));
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

// Which of the two registries the answer speaks for, and how it was found.
QString viewLine(RegistryView view)
{
    return view == RegistryView::Bits32
               ? tr("In the registry of 32-bit players, as read from their filter registrations:")
               : tr("In the registry of 64-bit players, as DirectShow's filter mapper answers:");
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

QString meritToolTipText(const MeritStanding &standing)
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
    QString text = standing.twoViews ? viewLine(standing.view) + QLatin1Char('\n') : QString();
    text += tr("For %1:").arg(type) + QLatin1Char('\n');
    if (standing.reading == MeritStanding::MapperFailed)
        return text + tr("DirectShow could not be asked which filters it tries before this one (error %1).")
                          .arg(meritHexText(quint32(standing.mapperStatus)));
    if (standing.neverTried()) {
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
            text += QLatin1Char('\n') + filterLine(standing.before[i]);
        if (standing.before.size() > size_t(kListedAtMost))
            text += QLatin1Char('\n') +
                    tr("    and %1 more").arg(int(standing.before.size()) - kListedAtMost);
    }
    if (!standing.tied.empty()) {
        text += QLatin1Char('\n') + tr("Same merit, so DirectShow may try either first:");
        for (const MappedFilter &filter : standing.tied)
            text += QLatin1Char('\n') + filterLine(filter);
    }
    return text + systemLines(standing, subtypeText(standing.type.minor));
}

namespace {

// A cell whose accessible description is the answer of its row.
class AnsweredCell : public QTableWidgetItem
{
public:
    explicit AnsweredCell(const MeritToolTip *answers) : answers(answers) {}

    QVariant data(int role) const override
    {
        if (role == Qt::AccessibleDescriptionRole && tableWidget())
            return answers->answer(row());
        return QTableWidgetItem::data(role);
    }

private:
    const MeritToolTip *answers;
};

} // namespace

MeritToolTip::MeritToolTip(QTableWidget *table, int column, RowClsid rowClsid, ShownView shownView)
    : QObject(table), table(table), column(column), rowClsid(rowClsid), shownView(shownView)
{
    table->viewport()->installEventFilter(this);
    table->installEventFilter(this);
}

QString MeritToolTip::answer(int row) const
{
    const QString clsid = rowClsid(row);
    if (clsid.isEmpty())
        return QString();
    QString text = meritToolTipText(meritStanding(clsid.toLatin1().constData(), shownView()));
    const QTableWidgetItem *cell = table->item(row, column);
    const QString note = cell ? cell->data(noteRole).toString() : QString();
    return note.isEmpty() ? text : note + QLatin1String("\n\n") + text;
}

QTableWidgetItem *MeritToolTip::createCell() const
{
    return new AnsweredCell(this);
}

bool MeritToolTip::eventFilter(QObject *watched, QEvent *event)
{
    // The keyboard's way to the answer: the context menu key or Shift+F10 on
    // the current cell of the column.
    if (watched == table && event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
        const QString text = table->currentColumn() == column ? answer(table->currentRow()) : QString();
        if (text.isEmpty())
            return false;
        QMessageBox::information(table, applicationTitle, text, QMessageBox::Ok, QMessageBox::NoButton);
        return true;
    }
    if (event->type() != QEvent::ToolTip || watched != table->viewport())
        return false;
    QHelpEvent *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = table->indexAt(help->pos());
    if (!index.isValid() || index.column() != column)
        return false;
    const QString text = answer(index.row());
    if (text.isEmpty())
        return false;
    QToolTip::showText(help->globalPos(), toHtml(text), table->viewport(), table->visualRect(index));
    return true;
}
