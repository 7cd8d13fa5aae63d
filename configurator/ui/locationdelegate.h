// Draws the "Filter Location" cells: a server path too long for its column
// loses the middle of its folder, never its root or its file name.
#ifndef LOCATIONDELEGATE_H
#define LOCATIONDELEGATE_H

#include <QStyledItemDelegate>

class QFontMetricsF;

class LocationDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LocationDelegate(QObject *parent);

    // The location as shown in width pixels, measured as the style lays the
    // text out, in fractions of a pixel: whole when it fits; else its
    // root (a drive or the first separator), an ellipsis and as much of the
    // folder's end as fits before the file name; else an ellipsis and the
    // file name; else elided in the middle.
    static QString elidedLocation(const QString &location, const QFontMetricsF &metrics, qreal width);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

#endif
