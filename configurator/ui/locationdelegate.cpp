#include "locationdelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>

LocationDelegate::LocationDelegate(QObject *parent) : QStyledItemDelegate(parent)
{
}

QString LocationDelegate::elidedLocation(const QString &location, const QFontMetricsF &metrics, qreal width)
{
    if (metrics.horizontalAdvance(location) <= width)
        return location;
    const QChar ellipsis(0x2026);
    const int fileStart = qMax(location.lastIndexOf(QLatin1Char('\\')), location.lastIndexOf(QLatin1Char('/')));
    // "C:\" or "\\" of a drive or share, "/" of a Unix path; the marker
    // prefix of a missing file stays with it.
    const int backslash = location.indexOf(QLatin1Char('\\'));
    const int slash = location.indexOf(QLatin1Char('/'));
    int rootEnd = backslash < 0 || (slash >= 0 && slash < backslash) ? slash : backslash;
    if (rootEnd >= 0 && rootEnd + 1 < location.size() && location.at(rootEnd + 1) == location.at(rootEnd))
        ++rootEnd;
    if (fileStart <= 0 || rootEnd < 0 || rootEnd >= fileStart)
        return metrics.elidedText(location, Qt::ElideMiddle, width);
    const QString root = location.left(rootEnd + 1);
    const QString file = location.mid(fileStart);
    if (metrics.horizontalAdvance(root + ellipsis + file) > width) {
        // The file name says which server it is; the root goes first.
        if (metrics.horizontalAdvance(ellipsis + file) <= width)
            return ellipsis + file;
        return metrics.elidedText(location, Qt::ElideMiddle, width);
    }
    // The longest end of the folder that still fits; a longer end is never
    // narrower, so a binary search finds where it starts.
    int fits = fileStart, tooLong = rootEnd;
    while (fits - tooLong > 1) {
        const int from = (fits + tooLong) / 2;
        if (metrics.horizontalAdvance(root + ellipsis + location.mid(from)) <= width)
            fits = from;
        else
            tooLong = from;
    }
    return root + ellipsis + location.mid(fits);
}

// Only the drawing elides: the column's size hint is that of the whole path.
void LocationDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QWidget *widget = cell.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The room the style leaves the text: its text rectangle less the margin
    // it keeps on either side.
    const int margin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, 0, widget) + 1);
    const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).width() - margin;
    cell.text = elidedLocation(cell.text, QFontMetricsF(cell.font), width);
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}
