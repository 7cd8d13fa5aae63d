#include "pivoracentral.h"

#include "appconstants.h"
#include "cellkeyboardaccess.h"
#include "filterregistrystore.h"
#include "locationdelegate.h"
#include "merittext.h"
#include "merittooltip.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "registrationrunner.h"
#include "windowsversion.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>
#include <string>

namespace {

const Qt::ItemFlags kItemFlags = Qt::ItemIsSelectable | Qt::ItemIsEnabled; // 0x21
const int kButtonMaximumWidth = 120;
const int kWindowWidthExtra = 22;   // frame and scroll bar beside the columns
const int kWindowColumnMargin = 72; // what the window is wider than its six columns

// Windows HWND of a widget, for the shell calls that take an owner window.
HWND nativeWindow(QWidget *widget)
{
    return reinterpret_cast<HWND>(static_cast<quintptr>(widget->winId()));
}

std::wstring toWide(const QString &text)
{
    std::wstring wide(size_t(text.size()) * 2 + 1, L'\0'); // room for UTF-16 or UTF-32
    wide.resize(size_t(text.toWCharArray(&wide[0])));
    return wide;
}

QString unknownText()
{
    return QString::fromLatin1("<Unknown>");
}

// The merit a "Current Merit" item stands for, beside its text form.
const int kMeritRole = Qt::UserRole;

// The buttons' signals are blocked while one lives: blockButtonSignals(true)
// when it is made, blockButtonSignals(false) when it ends, on every way out
// of a slot.
class ButtonSignalsBlocked
{
public:
    explicit ButtonSignalsBlocked(PivoraCentral *window) : window(window) { window->blockButtonSignals(true); }
    ~ButtonSignalsBlocked() { window->blockButtonSignals(false); }
    ButtonSignalsBlocked(const ButtonSignalsBlocked &) = delete;
    ButtonSignalsBlocked &operator=(const ButtonSignalsBlocked &) = delete;

private:
    PivoraCentral *window;
};

// An override cursor set while one lives and restored when it ends.
class OverrideCursor
{
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~OverrideCursor() { QApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor &) = delete;
    OverrideCursor &operator=(const OverrideCursor &) = delete;
};

} // namespace

PivoraCentral::PivoraCentral(QWidget *parent)
    : QWidget(parent),
      catalogue(0),
      actions(0),
      table(0),
      registerButton(0),
      refreshButton(0),
      closeButton(0),
      resetButton(0)
{
    setWindowTitle(applicationTitle);
    if (!buildCatalogue(catalogue)) {
        QMessageBox::critical(0, applicationTitle, QObject::tr("Insufficient memory!"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        return;
    }
    actions = new FilterActions(catalogue);
    createTable();
    QSize size(-1, -1);
    computeWindowSize(size);
    resize(size);
    slotRefresh();
    createButtons();
    createLayout();
}

PivoraCentral::~PivoraCentral()
{
    delete actions;
    releaseCatalogue(catalogue);
}

// --- Slots -----------------------------------------------------------------

void PivoraCentral::slotReset()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    bool refused = false;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        // The filters in the order the table lists them.
        std::vector<int> order;
        for (int row = 0; row < table->rowCount(); ++row)
            if (entryAt(rowCatalogueIndex(row)))
                order.push_back(rowCatalogueIndex(row));
        ActionCallbacks callbacks;
        callbacks.removeStaleRegistration = [this](const FilterRow &filter) {
            return askToRemoveStaleRegistration(filter);
        };
        for (const FilterResult &result : filterActions().reset(order, callbacks).filters)
            refused = refused || result.outcome == FilterOutcome::Refused;
        slotRefresh();
    }
    if (refused) {
        const OverrideCursor arrow(Qt::ArrowCursor);
        showAccessDenied();
    }
}

void PivoraCentral::slotRefresh()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    fillTable(filterActions().registeredFilters());
}

void PivoraCentral::slotRefresh(int index, int i, int j)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    switch (j) {
    case ColumnName:
        if (QTableWidgetItem *item = table->item(i, j))
            item->setText(nameText(filterActions().row(index)));
        break;
    case ColumnCurrentMerit:
        if (QTableWidgetItem *item = table->item(i, j))
            setMeritItem(item, filterActions().row(index));
        break;
    case ColumnLocation:
        if (QTableWidgetItem *item = table->item(i, j))
            setLocation(item, locationText(filterActions().row(index)));
        break;
    case ColumnNewMerit:
        if (MeritTWComboBox *selector = qobject_cast<MeritTWComboBox *>(table->cellWidget(i, j))) {
            const FilterRow filter = filterActions().row(index);
            const int choice = meritIdOf(filter.merit, filter.defaultMerit);
            selector->setMeritId(choice);
            updateCustomMeritCell(choice == MeritIdCustom, i, index);
        }
        break;
    case ColumnCustomMerit:
        if (MeritTWLineEdit *cell = qobject_cast<MeritTWLineEdit *>(table->cellWidget(i, j)))
            cell->setMerit(itemMerit(table->item(i, ColumnCurrentMerit)), true);
        break;
    case ColumnUnregister:
        break;
    default:
        qDebug("PivoraCentral::slotRefresh(index,i,j): Invalid j!");
        break;
    }
}

void PivoraCentral::slotMeritIdSelected(int id, int index)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    const int row = rowOfSender(ColumnNewMerit);
    if (row < 0)
        return;
    if (id != MeritIdCustom)
        updateCustomMeritCell(false, row, index);
    std::vector<FilterResult> results;
    switch (id) {
    case MeritIdDefault:
        results = filterActions().setDefaultMerit(index);
        break;
    case MeritIdDisable:
        results = filterActions().setMerit(index, meritDisable);
        break;
    case MeritIdHigh:
        results = filterActions().setMerit(index, meritHigh);
        break;
    case MeritIdCustom:
        // Nothing is written until the user finishes an edit of the cell,
        // neither this filter's merit nor its partner's.
        updateCustomMeritCell(true, row, index);
        results.push_back(FilterResult());
        results.back().slot = index;
        break;
    default:
        qDebug("Invalid meritId!");
        results.push_back(FilterResult());
        results.back().slot = index;
        results.back().outcome = FilterOutcome::Failed;
        results.back().status = -1;
        break;
    }
    showMeritChange(results, row);
}

void PivoraCentral::slotCustomMeritChanged(const QString &text, int index)
{
    if (text.isEmpty() || !table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    const int row = rowOfSender(ColumnCustomMerit);
    if (row < 0)
        return;
    showMeritChange(filterActions().setMerit(index, parseMeritHex(text)), row);
}

void PivoraCentral::slotRegister()
{
    const ButtonSignalsBlocked blocked(this);
    const QStringList files = QFileDialog::getOpenFileNames(this, applicationTitle, lastServerFolder,
                                                            QString::fromLatin1("*.ax"));
    std::vector<std::wstring> paths;
    for (int i = 0; i < files.size(); ++i) {
        const QString path = QDir::toNativeSeparators(files.at(i));
        if (i == 0) {
            // The folder of the first file, with its trailing separator.
            const QChar separator = QDir::separator();
            lastServerFolder = path.section(separator, 0, -2,
                                            QString::SectionIncludeLeadingSep | QString::SectionIncludeTrailingSep);
        }
        paths.push_back(toWide(path));
    }
    // regsvr32 shows its own result once it runs; a file the runner refused
    // before starting it would otherwise pass without a word.
    for (const ServerFileResult &file : filterActions().registerServers(paths, ActionCallbacks()).files)
        if (file.status != 0)
            reportRegistrationRefused(QString::fromStdWString(file.path), file.status);
    slotRefresh();
}

void PivoraCentral::slotUnregister()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    int row = rowOfSender(ColumnUnregister);
    const int index = row < 0 ? -1 : rowCatalogueIndex(row);
    if (!entryAt(index))
        return;
    // Without its server file there is nothing to confirm: the result asks
    // whether the stale registration is to be removed instead.
    const FilterRow filter = filterActions().row(index);
    if (filter.serverExists) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, applicationTitle,
            tr("This action will permanently unlink %1 from your computer's DirectShow engine, it will not be "
               "available any longer for applications like e.g. Windows Media Player! If you want to register the "
               "same filter again later, you need to remember its \"Filter Location\".\n\nAre you sure to "
               "permanently remove this filter from the list?").arg(QString::fromLatin1(filter.name.c_str())),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
        if (answer != QMessageBox::Yes)
            return;
    }
    const std::vector<FilterResult> results = filterActions().unregister(index);
    if (results.front().outcome != FilterOutcome::Removed) {
        reportResult(results.front(), row);
        return;
    }
    // A server unregisters every filter it serves: their rows go too.
    std::set<int> removed;
    for (const FilterResult &result : results)
        removed.insert(result.slot);
    for (int r = table->rowCount() - 1; r >= 0; --r)
        if (removed.count(rowCatalogueIndex(r)))
            table->removeRow(r);
    focusAfterRemoval(row);
}

// --- Operations ----------------------------------------------------------------

bool PivoraCentral::computeWindowSize(QSize &size)
{
    QDesktopWidget *desktop = QApplication::desktop();
    if (!desktop)
        return computeWindowSize(size, 0);
    const QRect screen = desktop->screenGeometry(desktop->primaryScreen());
    return computeWindowSize(size, &screen);
}

bool PivoraCentral::computeWindowSize(QSize &size, const QRect *screen) const
{
    const QRect geometry = screen ? *screen : QRect(QPoint(0, 0), QPoint(799, 599));
    const int widthLimit = (2 * (geometry.right() - geometry.left()) + 2) / 3;
    int naturalWidth = 50;
    for (int column = 0; table && column < ColumnCount; ++column)
        naturalWidth += table->columnWidth(column);
    const bool fits = widthLimit >= naturalWidth;
    const int width = fits ? naturalWidth : widthLimit;
    const int height = table && table->rowCount() > 0 ? table->rowHeight(0) * 10 + 100
                                                      : (geometry.bottom() - geometry.top() + 1) / 3;
    size = QSize(width, height);
    return fits;
}

void PivoraCentral::blockButtonSignals(bool block)
{
    QPushButton *const buttons[] = {registerButton, refreshButton, resetButton, closeButton};
    for (QPushButton *button : buttons)
        if (button)
            button->blockSignals(block);
}

QString PivoraCentral::meritToText(quint32 merit, quint32 defaultMerit) const
{
    if (merit == 0)
        return QString::number(0);
    if (merit == defaultMerit)
        return meritNameDefault;
    if (merit == meritDisable)
        return meritNameDisable;
    if (merit == meritHigh)
        return meritNameHigh;
    return meritHexText(merit);
}

quint32 PivoraCentral::textToMerit(const QString &text, unsigned int index) const
{
    const KnownFilter *entry = entryAt(int(index));
    if (entry && text == meritNameDefault)
        return entry->defaultMerit;
    if (text == meritNameDisable)
        return meritDisable;
    if (text == meritNameHigh)
        return meritHigh;
    return parseMeritHex(text);
}

void PivoraCentral::updateCustomMeritCell(bool show, int row, int index)
{
    if (!table)
        return;
    MeritTWLineEdit *cell = qobject_cast<MeritTWLineEdit *>(table->cellWidget(row, ColumnCustomMerit));
    if (show) {
        if (!cell) {
            cell = new MeritTWLineEdit(itemMerit(table->item(row, ColumnCurrentMerit)), this, index);
            table->setCellWidget(row, ColumnCustomMerit, cell);
            connect(cell, SIGNAL(editingBeautified(const QString&,int)), this,
                    SLOT(slotCustomMeritChanged(const QString&,int)));
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
        disconnect(cell, SIGNAL(editingBeautified(const QString&,int)), this,
                   SLOT(slotCustomMeritChanged(const QString&,int)));
        table->setCellWidget(row, ColumnCustomMerit, 0);
        cell->hide();
        cell->deleteLater();
    }
}

// The filter's own outcome, then the rows of the other listed filters the
// change touched (its server's, its linked partner's) show what the registry
// now holds.
void PivoraCentral::showMeritChange(const std::vector<FilterResult> &results, int row)
{
    reportResult(results.front(), row);
    const int columns[] = {ColumnCurrentMerit, ColumnNewMerit, ColumnCustomMerit};
    for (size_t k = 1; k < results.size(); ++k) {
        const int other = rowOfSlot(results[k].slot);
        if (other >= 0)
            for (int column : columns)
                slotRefresh(results[k].slot, other, column);
    }
}

void PivoraCentral::reportResult(const FilterResult &result, int &row)
{
    const int index = result.slot;
    const OverrideCursor arrow(Qt::ArrowCursor);
    const int columnsAfterSuccess[] = {ColumnCurrentMerit, ColumnCustomMerit, ColumnLocation, ColumnName};
    const int columnsAfterDenial[] = {ColumnNewMerit, ColumnCustomMerit, ColumnLocation, ColumnName};
    switch (result.outcome) {
    case FilterOutcome::Changed:
    case FilterOutcome::Unchanged:
    case FilterOutcome::Removed:
        for (int column : columnsAfterSuccess)
            slotRefresh(index, row, column);
        return;
    case FilterOutcome::Refused:
        showAccessDenied();
        for (int column : columnsAfterDenial)
            slotRefresh(index, row, column);
        return;
    case FilterOutcome::ServerMissing:
        if (askToRemoveStaleRegistration(filterActions().row(index))) {
            const FilterResult removal = filterActions().removeRegistration(index);
            if (removal.outcome == FilterOutcome::Removed) {
                const int removed = row;
                --row;
                table->removeRow(removed);
                focusAfterRemoval(removed);
                return;
            }
            if (removal.outcome == FilterOutcome::Refused)
                reportResult(removal, row);
        }
        break;
    case FilterOutcome::NotRegistered:
        QMessageBox::warning(this, applicationTitle,
                             tr("It seems that this filter isn't registered anymore. Please refresh the table!"),
                             QMessageBox::Ok, QMessageBox::NoButton);
        break;
    case FilterOutcome::Failed:
        if (result.status == statusPathHasQuote || result.status == statusPathTooLong)
            QMessageBox::warning(this, applicationTitle,
                                 tr("regsvr32.exe cannot be run on %1.\n\n%2")
                                     .arg(QString::fromStdWString(filterActions().row(index).serverPath),
                                          registrationRefusalReason(result.status)),
                                 QMessageBox::Ok, QMessageBox::NoButton);
        else
            QMessageBox::critical(this, applicationTitle, tr("Unknown error! Refreshing the table might help."),
                                  QMessageBox::Ok, QMessageBox::NoButton);
        break;
    }
    for (int column = ColumnName; column <= ColumnUnregister; ++column)
        slotRefresh(index, row, column);
}

bool PivoraCentral::askToRemoveStaleRegistration(const FilterRow &filter)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, applicationTitle,
        tr("Though %1 filter is still registered, its registration path is invalid! Probably the file was "
           "deleted or renamed.\n\nDo you want to permanently remove this filter from the list?")
            .arg(QString::fromLatin1(filter.name.c_str())),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

int PivoraCentral::rowOfSender(int column)
{
    QObject *source = sender();
    if (!table || !source)
        return -1;
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->cellWidget(row, column) == source)
            return row;
    return -1;
}

// The slot is read from the row's own selector, not from the widget found at
// the row's place in the viewport: after a row is removed from a scrolled
// table, the viewport settles its scroll offset between two such look-ups,
// and a place found with the old offset names a neighbouring row.
int PivoraCentral::rowCatalogueIndex(int row)
{
    if (!table)
        return -1;
    const MeritTWComboBox *selector = qobject_cast<MeritTWComboBox *>(table->cellWidget(row, ColumnNewMerit));
    return selector ? selector->index() : -1;
}

int PivoraCentral::rowOfSlot(int slot)
{
    for (int row = 0; table && row < table->rowCount(); ++row)
        if (rowCatalogueIndex(row) == slot)
            return row;
    return -1;
}

void PivoraCentral::reportRegistrationRefused(const QString &path, int code)
{
    const OverrideCursor arrow(Qt::ArrowCursor);
    QMessageBox::warning(this, applicationTitle,
                         tr("%1 was not registered.\n\n%2").arg(path, registrationRefusalReason(code)),
                         QMessageBox::Ok, QMessageBox::NoButton);
}

// Why the registration runner refused a server file before regsvr32 ran.
QString PivoraCentral::registrationRefusalReason(int code) const
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return tr("The file cannot be opened for reading.");
    case ERROR_ACCESS_DENIED:
        return tr("Access to the file was denied.");
    case statusPathHasQuote:
        return tr("Its path cannot be passed to regsvr32.exe (it holds a double quote or ends in a backslash).");
    case statusPathTooLong:
        return tr("Its path is too long to be passed to regsvr32.exe.");
    case -1:
        return tr("regsvr32.exe could not be started.");
    default:
        return tr("Unknown error %1.").arg(code);
    }
}

// After a row is removed the keyboard goes to the table, on the name of the
// filter that took the row's place: on an Unregister button of the next row,
// Return would ask to remove that filter too, with Yes as the default answer.
void PivoraCentral::focusAfterRemoval(int row)
{
    if (table->rowCount() > 0)
        table->setCurrentCell(qMin(row, table->rowCount() - 1), ColumnName);
    table->setFocus(Qt::OtherFocusReason);
}

void PivoraCentral::fillTable(const std::vector<FilterRow> &rows)
{
    // The rebuild destroys every cell widget: focus in the table, or nowhere,
    // comes back to the table on the same filter and column.
    QWidget *focused = QApplication::focusWidget();
    const bool focusInTable = !focused || focused == table || table->isAncestorOf(focused);
    const int currentIndex = table->currentRow() >= 0 ? rowCatalogueIndex(table->currentRow()) : -1;
    const int currentColumn = table->currentColumn();
    // The row at the top of the view stays there, so the rebuild keeps the
    // user's place in a long table.
    const int topIndex = rowCatalogueIndex(table->rowAt(0));
    const int verticalScroll = table->verticalScrollBar()->value();
    const int horizontalScroll = table->horizontalScrollBar()->value();
    table->setUpdatesEnabled(false);
    for (int column = ColumnNewMerit; column <= ColumnUnregister; ++column)
        for (int row = 0; row < table->rowCount(); ++row)
            delete table->cellWidget(row, column);
    table->clearContents();
    table->setRowCount(0);

    for (int row = 0; row < int(rows.size()); ++row) {
        const FilterRow &filter = rows[size_t(row)];
        table->setRowCount(row + 1);
        table->setItem(row, ColumnName, new QTableWidgetItem(nameText(filter)));
        QTableWidgetItem *merit = new QTableWidgetItem;
        setMeritItem(merit, filter);
        table->setItem(row, ColumnCurrentMerit, merit);
        QTableWidgetItem *location = new QTableWidgetItem;
        setLocation(location, locationText(filter));
        table->setItem(row, ColumnLocation, location);

        MeritTWComboBox *selector = new MeritTWComboBox(this, filter.slot);
        const int choice = meritIdOf(filter.merit, filter.defaultMerit);
        selector->setMeritId(choice);
        connect(selector, SIGNAL(hackMerit(int,int)), this, SLOT(slotMeritIdSelected(int,int)));
        table->setCellWidget(row, ColumnNewMerit, selector);

        updateCustomMeritCell(choice == MeritIdCustom, row, filter.slot);

        QPushButton *unregister = new QPushButton(tr("Unregister"), this);
        unregister->setFocusPolicy(Qt::ClickFocus);
        connect(unregister, SIGNAL(clicked()), this, SLOT(slotUnregister()));
        table->setCellWidget(row, ColumnUnregister, unregister);
    }

    for (int column = ColumnName; column <= ColumnLocation; ++column) {
        table->resizeColumnToContents(column);
        for (int r = 0; r < table->rowCount(); ++r)
            if (QTableWidgetItem *item = table->item(r, column))
                item->setFlags(kItemFlags);
    }

    if (!isMaximized()) {
        QSize size;
        const bool fits = computeWindowSize(size);
        resize(size.width() + kWindowWidthExtra, height());
        if (!fits) {
            int others = 0;
            for (int column = 0; column < ColumnCount; ++column)
                if (column != ColumnLocation)
                    others += table->columnWidth(column);
            // On a screen too small for the other columns the rule asks for a
            // negative width; the column keeps the smallest one instead.
            table->setColumnWidth(ColumnLocation, qMax(table->horizontalHeader()->minimumSectionSize(),
                                                       width() - kWindowColumnMargin - others));
        }
    }

    table->sortItems(ColumnName, Qt::AscendingOrder);
    table->setUpdatesEnabled(true);

    if (focusInTable) {
        for (int row = 0; row < table->rowCount(); ++row)
            if (rowCatalogueIndex(row) == currentIndex && currentIndex >= 0)
                table->setCurrentCell(row, currentColumn);
        table->setFocus();
    }
    restoreScrollPosition(topIndex, verticalScroll, horizontalScroll);
}

void PivoraCentral::restoreScrollPosition(int topIndex, int verticalScroll, int horizontalScroll)
{
    // The scroll bars' ranges follow the new rows only once the view has laid
    // them out.
    table->doItemsLayout();
    int top = -1;
    for (int row = 0; row < table->rowCount() && topIndex >= 0 && top < 0; ++row)
        if (rowCatalogueIndex(row) == topIndex)
            top = row;
    if (top >= 0)
        table->scrollTo(table->model()->index(top, ColumnName), QAbstractItemView::PositionAtTop);
    else
        table->verticalScrollBar()->setValue(verticalScroll);
    table->horizontalScrollBar()->setValue(horizontalScroll);
}

// --- Helpers ---------------------------------------------------------------------

// The actions' regsvr32 runs belong to this window.
FilterActions &PivoraCentral::filterActions()
{
    actions->setOwnerWindow(nativeWindow(this));
    return *actions;
}

KnownFilter *PivoraCentral::entryAt(int index) const
{
    return catalogueEntry(catalogue, index);
}

void PivoraCentral::setMeritItem(QTableWidgetItem *item, const FilterRow &filter) const
{
    item->setText(meritToText(filter.merit, filter.defaultMerit));
    item->setData(kMeritRole, filter.merit);
}

quint32 PivoraCentral::itemMerit(const QTableWidgetItem *item)
{
    return item ? item->data(kMeritRole).toUInt() : 0;
}

QString PivoraCentral::nameText(const FilterRow &filter)
{
    return filter.hasName ? QString::fromLatin1(filter.name.c_str()) : unknownText();
}

// The Filter Location text: the server path when its file opens for reading,
// the path behind the invalid-path prefix when it does not, "<Unknown>"
// without a path.
QString PivoraCentral::locationText(const FilterRow &filter)
{
    const QString path = QString::fromStdWString(filter.serverPath);
    if (path.isEmpty())
        return unknownText();
    if (filter.serverExists)
        return path;
    return QString::fromWCharArray(invalidPathPrefix) + path;
}

// The location column is often too narrow for the whole path, which the
// unregister question asks the user to remember: the tooltip shows it all.
void PivoraCentral::setLocation(QTableWidgetItem *item, const QString &location)
{
    item->setText(location);
    item->setToolTip(location);
}

void PivoraCentral::showAccessDenied()
{
    QString text = tr("The operation was declined due to access denial! You need administrative privileges to "
                      "do any changes in this table!\n\n");
    if (windowsVersion() >= windowsVersionVista)
        text += tr("In particular, under Windows Vista with the UAC turned on - even if you're logged in as an "
                   "administrator - you must launch this application via the context menu's \"Run as "
                   "administrator...\" entry in order to have your selections be successfully applied. For "
                   "application shortcut's like 'Start' menu entries there's also the possibility to turn on the "
                   "\"Run as administrator...\" property permanently.");
    QMessageBox::warning(this, applicationTitle, text, QMessageBox::Ok, QMessageBox::NoButton);
}

void PivoraCentral::createTable()
{
    table = new QTableWidget(0, ColumnCount, this);
    table->setHorizontalHeaderLabels(QStringList() << tr("Filter Name") << tr("Current Merit")
                                                   << tr("Filter Location") << tr("New Merit")
                                                   << tr("Custom Merit") << tr("Unregister"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Locations stay on one line and lose the middle of their folder when
    // the column is too narrow, so the drive and the file name stay
    // readable; wrapping at blanks showed a path without blanks as "C:...".
    table->setWordWrap(false);
    table->setItemDelegateForColumn(ColumnLocation, new LocationDelegate(table));
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab moves between the table and the buttons; arrow keys move between
    // cells, and Space, Return or F2 work the cell widget of the current cell.
    table->setTabKeyNavigation(false);
    table->installEventFilter(new CellKeyboardAccess(table));
    table->setColumnWidth(ColumnNewMerit, 80);
    table->setColumnWidth(ColumnCustomMerit, 100);
    table->setColumnWidth(ColumnUnregister, 100);
    // The merit cell's tooltip says whether the filter's merit wins; it is
    // worked out when asked for, so refreshes cost nothing more.
    new MeritToolTip(table, ColumnCurrentMerit,
                     [this](int row) {
                         const KnownFilter *entry = entryAt(rowCatalogueIndex(row));
                         return entry ? QString::fromLatin1(entry->clsid) : QString();
                     },
                     [this](quint32 merit, quint32 defaultMerit) { return meritToText(merit, defaultMerit); });
}

QPushButton *PivoraCentral::createButton(const QString &label, const QString &toolTip)
{
    QPushButton *button = new QPushButton(label, this);
    // A font wider than Windows' own keeps its whole label.
    button->setMaximumWidth(qMax(kButtonMaximumWidth, button->sizeHint().width()));
    button->setToolTip(toolTip);
    return button;
}

void PivoraCentral::createButtons()
{
    registerButton = createButton(tr("Register &new filters"),
                                  tr("Browse for registering new DirectShow filters (only Kestrane decoders and "
                                     "demultiplexers are added to this table)"));
    refreshButton = createButton(tr("Re&fresh"),
                                 tr("Refreshes all table contents, useful if filters were (un)registered in the "
                                    "meantime"));
    resetButton = createButton(tr("&Reset"),
                               tr("Resets all listed filters to their default merits and refreshes the table"));
    closeButton = createButton(tr("&Close"), tr("Quit the application"));
    connect(registerButton, SIGNAL(clicked()), this, SLOT(slotRegister()));
    connect(refreshButton, SIGNAL(clicked()), this, SLOT(slotRefresh()));
    connect(resetButton, SIGNAL(clicked()), this, SLOT(slotReset()));
    connect(closeButton, SIGNAL(clicked()), qApp, SLOT(quit()));
}

void PivoraCentral::createLayout()
{
    QHBoxLayout *buttons = new QHBoxLayout;
    buttons->addWidget(registerButton);
    buttons->addWidget(refreshButton);
    buttons->addWidget(resetButton);
    buttons->addWidget(closeButton);
    QVBoxLayout *layout = new QVBoxLayout;
    layout->addWidget(table);
    layout->addLayout(buttons);
    setLayout(layout);
}
