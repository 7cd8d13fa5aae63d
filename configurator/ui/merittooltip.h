// The tooltip of a row's "Current Merit" cell: whether DirectShow tries the
// filter first for the first input media type it registers, which filters
// it tries before it, and what the system's preferred and disabled lists
// say. Worked out when the tooltip is asked for, never at a refresh.
#ifndef MERITTOOLTIP_H
#define MERITTOOLTIP_H

#include "meritstanding.h"

#include <QObject>
#include <QString>

#include <functional>

class QTableWidget;
class QTableWidgetItem;

// A media type as a user reads it: "Video H264", "Audio Dolby AC-3", or
// GUIDs where DirectShow's headers give no name.
QString mediaTypeText(const PinMediaType &type);

// The tooltip's plain text; lines end in '\n' between them.
// Merits in the window's "Current Merit" forms.
QString meritToolTipText(const MeritStanding &standing);

// Answers QEvent::ToolTip on the table's viewport over cells of one column
// with the text above; other cells keep their own tooltips. The same answer
// is the accessible description of the cells it makes, and the keyboard's
// context menu key (or Shift+F10) on such a cell shows it in a message box,
// which a screen reader reads.
class MeritToolTip : public QObject
{
public:
    typedef std::function<QString(int row)> RowClsid; // the row's filter, or an empty string
    typedef std::function<RegistryView()> ShownView;  // the registry view the rows come from

    MeritToolTip(QTableWidget *table, int column, RowClsid rowClsid, ShownView shownView);

    // A cell's own note (a QString in this role) comes first in its tooltip.
    static const int noteRole = Qt::UserRole + 16;

    // The answer for the row's filter in plain text: its note, then the
    // tooltip's text; empty for a row without a filter.
    QString answer(int row) const;
    // A cell for the column whose accessible description is the answer,
    // worked out when a screen reader asks for it.
    QTableWidgetItem *createCell() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableWidget *table;
    int column;
    RowClsid rowClsid;
    ShownView shownView;
};

#endif
