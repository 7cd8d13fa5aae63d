// The table of PivoraCentral: one row per registered catalogue filter, its
// name, merit and server location, the merit selector, the custom merit cell
// and the Unregister button. It renders the rows the filter actions read and
// knows each row's filter; what a user action does is the window's.
#ifndef FILTERTABLE_H
#define FILTERTABLE_H

#include "filteractions.h"

#include <QMap>
#include <QTableWidget>

class MeritToolTip;

#include <functional>
#include <set>
#include <vector>

// The columns of PivoraCentral's table, by index.
enum Column {
    ColumnName = 0,
    ColumnCurrentMerit = 1,
    ColumnLocation = 2,
    ColumnNewMerit = 3,    // MeritTWComboBox
    ColumnCustomMerit = 4, // MeritTWLineEdit, while the row's choice is Custom
    ColumnUnregister = 5,  // push button
    ColumnCount = 6
};

class FilterTable : public QTableWidget
{
    Q_OBJECT

public:
    // The cell widgets are made with `window` as their parent and send their
    // signals to its slots slotMeritIdSelected(int,int),
    // slotCustomMeritChanged(const QString&,int) and slotUnregister().
    explicit FilterTable(QWidget *window);

    // Where the user is: the focused cell's filter and column, the filter at
    // the top of the view and the scroll values.
    struct Place {
        bool focusInTable;
        int currentSlot, currentColumn, topSlot, verticalScroll, horizontalScroll;
    };
    Place place();
    // Replaces every row, in the order given, and fits columns 0 to 2. The
    // caller sorts and restores the place.
    // The rows of one registry view, which the merit tooltips then speak for.
    void setRows(const std::vector<FilterRow> &rows, RegistryView view = RegistryView::Bits64);
    void restorePlace(const Place &place);
    // Shows the rows sorted by name where the user was: replaces them, lets
    // `fitted` fit the columns to the window, sorts, and restores the place.
    void showRows(const std::vector<FilterRow> &rows, RegistryView view, const std::function<void()> &fitted);

    // A filter's name as the table shows it: "<Unknown>" without one.
    static QString nameText(const FilterRow &filter);

    // The catalogue slot of a row, or -1.
    int catalogueIndex(int row) const;
    // The row whose cell in `column` is `widget` (a cell's signal's sender), or -1.
    int rowOfCell(const QObject *widget, int column) const;
    int rowOfSlot(int slot) const;
    // The rows' catalogue slots, top to bottom.
    std::vector<int> listedSlots() const;
    // The names the rows show, by catalogue slot.
    QMap<int, QString> listedNames() const;
    // The merit the row's "Current Merit" cell shows.
    quint32 rowMerit(int row) const;

    // Shows what the registry holds of a filter in one cell of its row; the
    // selector brings the custom merit cell along. False for no such column.
    bool refreshCell(int row, int column, const FilterRow &filter);
    void setName(int row, const FilterRow &filter);
    void setMerit(int row, const FilterRow &filter);
    void setLocation(int row, const FilterRow &filter);
    // Creates or removes the row's custom merit cell.
    void showCustomMeritCell(bool show, int row, int slot);

    // Removes the rows of the filters these results name, and puts the
    // keyboard on the row that took the place of `focusedRow`.
    void removeRowsOf(const std::vector<FilterResult> &removed, int focusedRow);
    // Selects the rows of these filters and makes the first one current.
    void selectRowsOf(const std::vector<int> &selected);
    // Marks the "Current Merit" cells of rows whose chosen merit was undone
    // (an icon, and the choice first in the tooltip); clears the others.
    void markUndoneChoices(const std::vector<UndoneChoice> &undone);

    // The widths of all columns together.
    int columnsWidth() const;
    // The size of a window around `table` (which may be null) on `screen`:
    // as wide as its columns up to two thirds of the screen, ten rows high,
    // or a third of the screen without rows. True when the columns fit.
    static bool proposeWindowSize(const FilterTable *table, const QRect &screen, QSize &size);
    // Gives the location column what is left of `width` beside the others,
    // and at least the smallest width a column may have.
    void fitLocationColumn(int width);

    // The header, leastVisibleRows rows at the row height of the table's
    // font, the horizontal scroll bar and the frame: the window's layout
    // keeps the window tall enough for them at any font size.
    QSize minimumSizeHint() const override;
    static const int leastVisibleRows = 3;

private:
    // What a screen reader says of the table and of each row's cells and
    // their widgets: each names its column and the row's filter, the row's
    // header the filter, the table the view it shows.
    void describeRows();
    void describeRow(int row);

    RegistryView rowsView = RegistryView::Bits64;
    QWidget *window;
    MeritToolTip *meritAnswers;
};

#endif
