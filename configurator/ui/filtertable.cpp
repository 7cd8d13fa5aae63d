#include "filtertable.h"

#include "accessibility.h"
#include "cellkeyboardaccess.h"
#include "locationdelegate.h"
#include "merittext.h"
#include "merittooltip.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "outcomemessages.h"
#include "registrationrunner.h"
#include "undonechoicesline.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>

namespace {

const Qt::ItemFlags kItemFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled; // 0x21
const int kMeritRole = Qt::UserRole; // the merit a "Current Merit" item shows
const int kClsidRole = Qt::UserRole; // the CLSID of a name item's filter

// The table's texts belong to the window's translation context.
QString windowText(const char *text)
{
    return QCoreApplication::translate("PivoraCentral", text);
}

QString unknownText()
{
    return QString::fromLatin1("<Unknown>");
}

// The Filter Location text: the server path when its file opens for reading,
// the path behind the invalid-path prefix when it does not, "<Unknown>"
// without a path.
QString locationText(const FilterRow &filter)
{
    const QString path = QString::fromStdWString(filter.serverPath);
    if (path.isEmpty())
        return unknownText();
    if (filter.serverExists)
        return path;
    return QString::fromWCharArray(invalidPathPrefix) + path;
}

} // namespace

FilterTable::FilterTable(QWidget *window) : QTableWidget(0, ColumnCount, window), window(window)
{
    setHorizontalHeaderLabels(QStringList() << windowText("Filter Name") << windowText("Current Merit")
                                            << windowText("Filter Location") << windowText("New Merit")
                                            << windowText("Custom Merit") << windowText("Unregister"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Locations stay on one line and lose the middle of their folder when
    // the column is too narrow, so the drive and the file name stay
    // readable; wrapping at blanks showed a path without blanks as "C:...".
    setWordWrap(false);
    setItemDelegateForColumn(ColumnLocation, new LocationDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves between the table and the buttons; arrow keys move between
    // cells, and Space, Return or F2 work the cell widget of the current cell.
    setTabKeyNavigation(false);
    installEventFilter(new CellKeyboardAccess(this));
    // The classic style draws the current row's and column's header
    // sections over a dithered pattern, which a high-contrast scheme's text
    // does not read against.
    if (highContrastOn()) {
        horizontalHeader()->setHighlightSections(false);
        verticalHeader()->setHighlightSections(false);
    }
    setColumnWidth(ColumnNewMerit, 80);
    setColumnWidth(ColumnCustomMerit, 100);
    setColumnWidth(ColumnUnregister, 100);
    // The merit cell's tooltip says whether the filter's merit wins; it is
    // worked out when asked for, so refreshes cost nothing more.
    meritAnswers = new MeritToolTip(this, ColumnCurrentMerit,
                     [this](int row) {
                         const QTableWidgetItem *name = item(row, ColumnName);
                         return name ? name->data(kClsidRole).toString() : QString();
                     },
                     [this] { return rowsView; });
}

QString FilterTable::nameText(const FilterRow &filter)
{
    return filter.hasName ? QString::fromLatin1(filter.name.c_str()) : unknownText();
}

FilterTable::Place FilterTable::place()
{
    // The rebuild destroys every cell widget: focus in the table, or nowhere,
    // comes back to the table on the same filter and column. The row at the
    // top of the view stays there, so the rebuild keeps the user's place in a
    // long table.
    QWidget *focused = QApplication::focusWidget();
    Place place;
    place.focusInTable = !focused || focused == this || isAncestorOf(focused);
    place.currentSlot = currentRow() >= 0 ? catalogueIndex(currentRow()) : -1;
    place.currentColumn = currentColumn();
    place.topSlot = catalogueIndex(rowAt(0));
    place.verticalScroll = verticalScrollBar()->value();
    place.horizontalScroll = horizontalScrollBar()->value();
    return place;
}

void FilterTable::setRows(const std::vector<FilterRow> &rows, RegistryView view)
{
    rowsView = view;
    for (int column = ColumnNewMerit; column <= ColumnUnregister; ++column)
        for (int row = 0; row < rowCount(); ++row)
            delete cellWidget(row, column);
    clearContents();
    setRowCount(0);

    for (int row = 0; row < int(rows.size()); ++row) {
        const FilterRow &filter = rows[size_t(row)];
        setRowCount(row + 1);
        setItem(row, ColumnName, new QTableWidgetItem);
        setItem(row, ColumnCurrentMerit, meritAnswers->createCell());
        setItem(row, ColumnLocation, new QTableWidgetItem);
        setName(row, filter);
        setMerit(row, filter);
        setLocation(row, filter);

        MeritTWComboBox *selector = new MeritTWComboBox(window, filter.slot);
        const int choice = meritIdOf(filter.merit, filter.defaultMerit);
        selector->setMeritId(choice);
        connect(selector, SIGNAL(hackMerit(int,int)), window, SLOT(slotMeritIdSelected(int,int)));
        setCellWidget(row, ColumnNewMerit, selector);
        // The organisation's policy sets the merit: nothing to choose here.
        if (filter.policySet) {
            selector->setEnabled(false);
            selector->setToolTip(policyLockText(filter));
        }

        showCustomMeritCell(choice == MeritIdCustom, row, filter.slot);

        QPushButton *unregister = new QPushButton(windowText("Unregister"), window);
        unregister->setFocusPolicy(Qt::ClickFocus);
        connect(unregister, SIGNAL(clicked()), window, SLOT(slotUnregister()));
        setCellWidget(row, ColumnUnregister, unregister);
    }

    for (int column = ColumnName; column <= ColumnLocation; ++column) {
        resizeColumnToContents(column);
        for (int r = 0; r < rowCount(); ++r)
            if (QTableWidgetItem *cell = item(r, column))
                cell->setFlags(kItemFlags);
    }
    describeRows();
}

void FilterTable::showRows(const std::vector<FilterRow> &rows, RegistryView view,
                           const std::function<void()> &fitted)
{
    const Place where = place();
    setUpdatesEnabled(false);
    setRows(rows, view);
    fitted();
    sortItems(ColumnName, Qt::AscendingOrder);
    describeRows(); // the row headers stay where they were
    setUpdatesEnabled(true);
    restorePlace(where);
}

void FilterTable::restorePlace(const Place &place)
{
    if (place.focusInTable) {
        for (int row = 0; row < rowCount(); ++row)
            if (place.currentSlot >= 0 && catalogueIndex(row) == place.currentSlot)
                setCurrentCell(row, place.currentColumn);
        setFocus();
    }
    // The scroll bars' ranges follow the new rows only once the view has laid
    // them out.
    doItemsLayout();
    const int top = place.topSlot >= 0 ? rowOfSlot(place.topSlot) : -1;
    if (top >= 0)
        scrollTo(model()->index(top, ColumnName), QAbstractItemView::PositionAtTop);
    else
        verticalScrollBar()->setValue(place.verticalScroll);
    horizontalScrollBar()->setValue(place.horizontalScroll);
}

int FilterTable::columnsWidth() const
{
    int width = 0;
    for (int column = 0; column < ColumnCount; ++column)
        width += columnWidth(column);
    return width;
}

bool FilterTable::proposeWindowSize(const FilterTable *table, const QRect &screen, QSize &size)
{
    const int widthLimit = (2 * (screen.right() - screen.left()) + 2) / 3;
    const int naturalWidth = 50 + (table ? table->columnsWidth() : 0);
    const bool fits = widthLimit >= naturalWidth;
    const int height = table && table->rowCount() > 0 ? table->rowHeight(0) * 10 + 100 : screen.height() / 3;
    size = QSize(fits ? naturalWidth : widthLimit, height);
    return fits;
}

void FilterTable::fitLocationColumn(int width)
{
    // On a screen too small for the other columns the rule asks for a
    // negative width; the column keeps the smallest one instead.
    const int others = columnsWidth() - columnWidth(ColumnLocation);
    setColumnWidth(ColumnLocation, qMax(horizontalHeader()->minimumSectionSize(), width - others));
}

QSize FilterTable::minimumSizeHint() const
{
    // The base class reserves the vertical scroll bar's arrows alone, which
    // a tall font's header may take whole: the view then shows no row.
    const QSize least = QTableWidget::minimumSizeHint();
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->sizeHint().height();
    const int rows = leastVisibleRows * verticalHeader()->defaultSectionSize();
    const int height = 2 * frameWidth() + header + rows + horizontalScrollBar()->sizeHint().height();
    return QSize(least.width(), qMax(least.height(), height));
}

// The slot is read from the row's own selector, not from the widget found at
// the row's place in the viewport: after a row is removed from a scrolled
// table, the viewport settles its scroll offset between two such look-ups,
// and a place found with the old offset names a neighbouring row.
int FilterTable::catalogueIndex(int row) const
{
    const MeritTWComboBox *selector = qobject_cast<MeritTWComboBox *>(cellWidget(row, ColumnNewMerit));
    return selector ? selector->index() : -1;
}

int FilterTable::rowOfCell(const QObject *widget, int column) const
{
    for (int row = 0; widget && row < rowCount(); ++row)
        if (cellWidget(row, column) == widget)
            return row;
    return -1;
}

bool FilterTable::refreshCell(int row, int column, const FilterRow &filter)
{
    const QTableWidgetItem *merit = item(row, ColumnCurrentMerit);
    const QString meritBefore = merit ? merit->text() : QString();
    bool known = true;
    switch (column) {
    case ColumnName:
        setName(row, filter);
        break;
    case ColumnCurrentMerit:
        setMerit(row, filter);
        break;
    case ColumnLocation:
        setLocation(row, filter);
        break;
    case ColumnNewMerit:
        if (MeritTWComboBox *selector = qobject_cast<MeritTWComboBox *>(cellWidget(row, column))) {
            const int choice = meritIdOf(filter.merit, filter.defaultMerit);
            selector->setMeritId(choice);
            showCustomMeritCell(choice == MeritIdCustom, row, filter.slot);
        }
        break;
    case ColumnCustomMerit:
        if (MeritTWLineEdit *cell = qobject_cast<MeritTWLineEdit *>(cellWidget(row, column)))
            cell->setMerit(rowMerit(row), true);
        break;
    case ColumnUnregister:
        break;
    default:
        known = false;
    }
    describeRow(row);
    // The outcome of a change, which the user is to hear at once.
    if (merit && merit->text() != meritBefore)
        announceCell(this, row, ColumnCurrentMerit, QAccessible::Alert);
    return known;
}

int FilterTable::rowOfSlot(int slot) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (catalogueIndex(row) == slot)
            return row;
    return -1;
}

std::vector<int> FilterTable::listedSlots() const
{
    std::vector<int> listed;
    for (int row = 0; row < rowCount(); ++row)
        if (catalogueIndex(row) >= 0)
            listed.push_back(catalogueIndex(row));
    return listed;
}

QMap<int, QString> FilterTable::listedNames() const
{
    QMap<int, QString> names;
    for (int row = 0; row < rowCount(); ++row)
        if (catalogueIndex(row) >= 0 && item(row, ColumnName))
            names[catalogueIndex(row)] = item(row, ColumnName)->text();
    return names;
}

quint32 FilterTable::rowMerit(int row) const
{
    const QTableWidgetItem *merit = item(row, ColumnCurrentMerit);
    return merit ? merit->data(kMeritRole).toUInt() : 0;
}

void FilterTable::setName(int row, const FilterRow &filter)
{
    if (QTableWidgetItem *name = item(row, ColumnName)) {
        name->setText(nameText(filter));
        name->setData(kClsidRole, QString::fromLatin1(filter.clsid.c_str()));
    }
}

void FilterTable::setMerit(int row, const FilterRow &filter)
{
    if (QTableWidgetItem *merit = item(row, ColumnCurrentMerit)) {
        merit->setText(meritText(filter.merit, filter.defaultMerit));
        merit->setData(kMeritRole, filter.merit);
    }
}

// The location column is often too narrow for the whole path, which the
// unregister question asks the user to remember: the tooltip shows it all.
void FilterTable::setLocation(int row, const FilterRow &filter)
{
    if (QTableWidgetItem *location = item(row, ColumnLocation)) {
        location->setText(locationText(filter));
        location->setToolTip(locationText(filter));
    }
}

void FilterTable::markUndoneChoices(const std::vector<UndoneChoice> &undone)
{
    for (int row = 0; row < rowCount(); ++row) {
        QTableWidgetItem *merit = item(row, ColumnCurrentMerit);
        if (!merit)
            continue;
        const int slot = catalogueIndex(row);
        QString note;
        for (const UndoneChoice &choice : undone)
            if (choice.slot == slot && choice.registered)
                note = UndoneChoicesLine::markText(choice);
        merit->setData(MeritToolTip::noteRole, note);
        merit->setIcon(note.isEmpty() ? QIcon() : style()->standardIcon(QStyle::SP_MessageBoxWarning));
    }
}

void FilterTable::showCustomMeritCell(bool show, int row, int slot)
{
    MeritTWLineEdit *cell = qobject_cast<MeritTWLineEdit *>(cellWidget(row, ColumnCustomMerit));
    if (show) {
        if (!cell) {
            cell = new MeritTWLineEdit(rowMerit(row), window, slot);
            setCellWidget(row, ColumnCustomMerit, cell);
            connect(cell, SIGNAL(editingBeautified(const QString&,int)), window,
                    SLOT(slotCustomMeritChanged(const QString&,int)));
            // Locked with its selector, when the policy sets the merit.
            const QWidget *selector = cellWidget(row, ColumnNewMerit);
            if (selector && !selector->isEnabled()) {
                cell->setEnabled(false);
                cell->setToolTip(selector->toolTip());
            }
            describeRow(row);
        }
        if (const QValidator *validator = cell->validator()) {
            QString text = cell->text();
            int position = 0;
            if (validator->validate(text, position) != QValidator::Acceptable)
                cell->setText(QString::fromLatin1("0x"));
        }
    } else if (cell) {
        // The cell may be the very widget whose focus-out finished the edit
        // that led here: it leaves the table at once, but is destroyed only
        // once its own event handling is over.
        disconnect(cell, SIGNAL(editingBeautified(const QString&,int)), window,
                   SLOT(slotCustomMeritChanged(const QString&,int)));
        setCellWidget(row, ColumnCustomMerit, 0);
        cell->hide();
        cell->deleteLater();
    }
}

void FilterTable::removeRowsOf(const std::vector<FilterResult> &removed, int focusedRow)
{
    std::set<int> gone;
    for (const FilterResult &result : removed)
        gone.insert(result.slot);
    for (int row = rowCount() - 1; row >= 0; --row)
        if (gone.count(catalogueIndex(row)))
            removeRow(row);
    describeRows();
    if (rowCount() > 0)
        setCurrentCell(qMin(focusedRow, rowCount() - 1), ColumnName);
    setFocus(Qt::OtherFocusReason);
}

void FilterTable::selectRowsOf(const std::vector<int> &selected)
{
    bool first = true;
    for (int slot : selected) {
        const int row = rowOfSlot(slot);
        if (row < 0)
            continue;
        if (first)
            setCurrentCell(row, ColumnName);
        first = false;
        selectionModel()->select(model()->index(row, ColumnName),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

void FilterTable::describeRows()
{
    setAccessibleName(rowsView == RegistryView::Bits32 ? windowText("Filters of 32-bit players")
                                                       : windowText("Filters of 64-bit players"));
    setAccessibleDescription(windowText("%1 filters. The context menu key on a Current Merit cell says which "
                                        "filter DirectShow tries first.").arg(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        describeRow(row);
}

void FilterTable::describeRow(int row)
{
    const QTableWidgetItem *nameCell = item(row, ColumnName);
    QTableWidgetItem *meritCell = item(row, ColumnCurrentMerit);
    const QTableWidgetItem *locationCell = item(row, ColumnLocation);
    if (!nameCell || !meritCell || !locationCell)
        return;
    const QString name = nameCell->text(), merit = meritCell->text();
    QTableWidgetItem *header = verticalHeaderItem(row);
    if (!header) {
        header = new QTableWidgetItem;
        header->setData(Qt::TextAlignmentRole, int(Qt::AlignVCenter)); // as the numbers without an item
        setVerticalHeaderItem(row, header);
    }
    header->setText(QString::number(row + 1));
    header->setData(Qt::AccessibleTextRole, name);
    meritCell->setData(Qt::AccessibleTextRole, windowText("Current merit of %1: %2").arg(name, merit));
    const QString names[] = {windowText("New merit of %1"), windowText("Custom merit of %1"),
                             windowText("Unregister %1")};
    const QString descriptions[] = {
        windowText("Its merit is %1. Space opens the merits to choose from.").arg(merit),
        MeritTWLineEdit::inputHint(),
        windowText("Unregisters the server %1, and with it every filter it serves.").arg(locationCell->text())};
    for (int column = ColumnNewMerit; column <= ColumnUnregister; ++column) {
        QWidget *widget = cellWidget(row, column);
        QString description = descriptions[column - ColumnNewMerit];
        if (widget && !widget->isEnabled() && !widget->toolTip().isEmpty())
            description = widget->toolTip(); // why it is disabled
        QTableWidgetItem *cell = item(row, column);
        if (!cell) { // the cell under the widget, where the keyboard is
            cell = new QTableWidgetItem;
            cell->setFlags(kItemFlags);
            setItem(row, column, cell);
        }
        // An empty custom merit cell is a stop of the arrow keys too.
        const bool emptyCustom = !widget && column == ColumnCustomMerit;
        cell->setData(Qt::AccessibleTextRole,
                      widget || emptyCustom ? names[column - ColumnNewMerit].arg(name) : QString());
        cell->setData(Qt::AccessibleDescriptionRole,
                      widget ? description
                             : emptyCustom ? windowText("Choose Custom as the new merit to type one here.") : QString());
        if (widget) {
            widget->setAccessibleName(names[column - ColumnNewMerit].arg(name));
            widget->setAccessibleDescription(description);
        }
    }
}

// After a row is removed the keyboard goes to the table, on the name of the
// filter that took the row's place: on an Unregister button of the next row,
// Return would ask to remove that filter too, with Yes as the default answer.
