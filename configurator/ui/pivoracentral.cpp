#include "pivoracentral.h"

#include "administratorrights.h"
#include "appconstants.h"
#include "filtertable.h"
#include "merittext.h"
#include "meritwords.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "noticeline.h"
#include "outcomemessages.h"
#include "overridecursor.h"
#include "registrationrunner.h"
#include "registryviewswitch.h"
#include "undonechoicesline.h"
#include "windowactions.h"
#include "externalchangeline.h"

#include <QApplication>
#include <QDateTime>
#include <QDebug>
#include <QDesktopWidget>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMap>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <set>
#include <string>

namespace {

const int kButtonMaximumWidth = 120;
const int kWindowWidthExtra = 22;   // frame and scroll bar beside the columns
const int kWindowColumnMargin = 72; // what the window is wider than its six columns

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

} // namespace

PivoraCentral::PivoraCentral(QWidget *parent)
    : QWidget(parent),
      catalogue(0),
      actions(0),
      work(0),
      table(0),
      registerButton(0),
      refreshButton(0),
      closeButton(0),
      resetButton(0),
      rightsLine(0),
      viewSwitch(0),
      undoneLine(0),
      changeLine(0),
      readErrorLine(0),
      ownWorkDepth(0),
      ownWorkQuietUntil(0)
{
    setWindowTitle(applicationTitle);
    if (!buildCatalogue(catalogue)) {
        QMessageBox::critical(0, applicationTitle, QObject::tr("Insufficient memory!"), QMessageBox::Ok,
                              QMessageBox::NoButton);
        return;
    }
    actions = new FilterActions(catalogue, RegistryView::Bits64);
    work = new WindowActions(this, actions);
    table = new FilterTable(this);
    createViewSwitch();
    undoneLine = new UndoneChoicesLine(this);
    connect(undoneLine, SIGNAL(buttonClicked()), this, SLOT(slotPutBack()));
    // Notifications of this window's own changes come in up to a second after them.
    changeLine = new ExternalChangeLine(this, [this] {
        return ownWorkDepth > 0 || QDateTime::currentMSecsSinceEpoch() < ownWorkQuietUntil;
    });
    connect(changeLine, SIGNAL(buttonClicked()), this, SLOT(slotRefresh()));
    readErrorLine = new NoticeLine(QStyle::SP_MessageBoxCritical, tr("Read &again"), this);
    connect(readErrorLine, SIGNAL(buttonClicked()), this, SLOT(slotRefresh()));
    QSize size(-1, -1);
    computeWindowSize(size);
    resize(size);
    slotRefresh();
    createButtons();
    createLayout();
}

PivoraCentral::~PivoraCentral()
{
    delete work;
    delete actions;
    releaseCatalogue(catalogue);
}

// --- Slots -----------------------------------------------------------------

void PivoraCentral::slotReset()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    refusedAction = pendingAction(PendingAction::Reset, -1);
    if (!registrationToolPresent())
        return;
    UndoneWork undone;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        const std::vector<int> listed = table->listedSlots();
        QMap<int, QString> names;
        for (int slot : listed)
            names[slot] = table->item(table->rowOfSlot(slot), ColumnName)->text();
        undone = work->reset(listed, names);
        slotRefresh();
    }
    showUndone(undone);
}

void PivoraCentral::slotRefresh()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    int32_t status = 0;
    fillTable(filterActions().registeredFilters(&status));
    readErrorLine->say(status ? registrationsUnreadableText(status) : QString());
    updateViewCounts();
    updateUndoneChoices();
    changeLine->tableRead();
}

void PivoraCentral::slotRefresh(int index, int i, int j)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    if (!table->refreshCell(i, j, filterActions().row(index)))
        qDebug("PivoraCentral::slotRefresh(index,i,j): Invalid j!");
}

void PivoraCentral::slotMeritIdSelected(int id, int index)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    const int row = rowOfSender(ColumnNewMerit);
    if (row < 0)
        return;
    static const char *const named[] = {"default", "disable", "high"};
    if (id >= MeritIdDefault && id <= MeritIdHigh) {
        updateCustomMeritCell(false, row, index);
        changeMerit(index, row, QString::fromLatin1(named[id]));
    } else if (id == MeritIdCustom) {
        // Nothing is written until the user finishes an edit of the cell,
        // neither this filter's merit nor its partner's.
        updateCustomMeritCell(true, row, index);
        showMeritChange({FilterResult{index}}, row);
    } else {
        qDebug("Invalid meritId!");
        updateCustomMeritCell(false, row, index);
        showMeritChange({FilterResult{index, FilterOutcome::Failed, -1}}, row);
    }
}

void PivoraCentral::slotCustomMeritChanged(const QString &text, int index)
{
    if (text.isEmpty() || !table || !entryAt(index))
        return;
    const ButtonSignalsBlocked blocked(this);
    const int row = rowOfSender(ColumnCustomMerit);
    if (row < 0)
        return;
    changeMerit(index, row, text.startsWith(QLatin1String("0x")) ? text : QLatin1String("0x") + text);
}

void PivoraCentral::slotRegister()
{
    const ButtonSignalsBlocked blocked(this);
    const QStringList files = QFileDialog::getOpenFileNames(this, applicationTitle, lastServerFolder,
                                                            QString::fromLatin1("*.ax"));
    if (!files.isEmpty()) // the folder of the first file, with its trailing separator
        lastServerFolder = QDir::toNativeSeparators(files.first())
                               .section(QDir::separator(), 0, -2,
                                        QString::SectionIncludeLeadingSep | QString::SectionIncludeTrailingSep);
    RegistrationReport report;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        report = work->registerFiles(files);
    }
    if (report.cancelled)
        showRegistrationStopped(this, int(report.files.size()), files.size());
    if (report.status != 0)
        showFailures(this, {FilterResult{-1, FilterOutcome::Failed, report.status}}, {tr("Register")});
    // regsvr32 shows its own result once it runs; a file the runner refused
    // before starting it would otherwise pass without a word.
    for (const ServerFileResult &file : report.files)
        if (file.status != 0 && file.status != statusNotAServer)
            showRegistrationRefused(this, file);
    slotRefresh();
    // The rows the files added are selected, the first one current.
    std::vector<int> added;
    for (const ServerFileResult &file : report.files)
        added.insert(added.end(), file.added.begin(), file.added.end());
    table->selectRowsOf(added);
    showRegistrationOutcome(this, report.files, actions->view());
}

void PivoraCentral::slotUnregister()
{
    if (!table)
        return;
    const int row = rowOfSender(ColumnUnregister);
    if (row >= 0)
        unregisterRow(row, true);
}

// --- Operations ----------------------------------------------------------------

void PivoraCentral::performAction(const PendingAction &action)
{
    if (viewSwitch && action.view != filterActions().view()) {
        viewSwitch->setView(action.view);
        slotViewChosen(int(action.view));
    }
    const int slot = filterActions().slotOf(action.clsid.toLatin1().constData());
    const int row = table ? table->rowOfSlot(slot) : -1;
    switch (action.kind) {
    case PendingAction::SetMerit:
        if (row >= 0) {
            changeMerit(slot, row, action.merit);
            // The selector shows the choice the registry now holds.
            slotRefresh(slot, row, ColumnNewMerit);
        }
        break;
    case PendingAction::Reset:
        slotReset();
        break;
    case PendingAction::Unregister:
        if (row >= 0)
            unregisterRow(row, false); // the user confirmed it before the restart
        break;
    case PendingAction::PutBack:
        slotPutBack();
        break;
    case PendingAction::None:
        break;
    }
}

void PivoraCentral::unregisterRow(int row, bool confirm)
{
    const ButtonSignalsBlocked blocked(this);
    const int index = rowCatalogueIndex(row);
    if (!entryAt(index))
        return;
    refusedAction = pendingAction(PendingAction::Unregister, index);
    // Without its server file there is nothing to confirm: the result asks
    // whether the stale registration is to be removed instead.
    const FilterRow filter = filterActions().row(index);
    if (filter.serverExists && !registrationToolPresent())
        return;
    if (filter.serverExists && confirm) {
        QStringList companions;
        for (int other : filterActions().serverCompanions(index))
            companions << FilterTable::nameText(filterActions().row(other));
        if (!confirmUnregister(this, QString::fromLatin1(filter.name.c_str()),
                               QString::fromStdWString(filter.serverPath), companions))
            return;
    }
    std::vector<FilterResult> results;
    const bool waited = work->change(tr("Unregistering %1\xE2\x80\xA6").arg(FilterTable::nameText(filter)),
                                     [&](FilterActions &actions) { results = actions.unregister(index); });
    if (results.front().outcome != FilterOutcome::Removed) {
        reportResult(results.front(), row);
        if (waited)
            refreshLater();
        return;
    }
    // A server unregisters every filter it serves: their rows go too.
    std::set<int> removed;
    for (const FilterResult &result : results)
        removed.insert(result.slot);
    table->removeRowsOf(removed);
    table->focusAfterRemoval(row);
    updateViewCounts();
    updateUndoneChoices();
    if (waited)
        refreshLater();
}

// Writes a merit named in the actions' words (meritwords.h), as a pending
// action names it, and shows the outcome.
void PivoraCentral::changeMerit(int index, int row, const QString &merit)
{
    MeritChoice choice;
    if (!parseMeritChoice(merit.toStdString(), &choice)) {
        qDebug("PivoraCentral::changeMerit: no merit: %s", qPrintable(merit));
        return;
    }
    const ButtonSignalsBlocked blocked(this);
    refusedAction = pendingAction(PendingAction::SetMerit, index, QString::fromStdString(meritWord(choice)));
    std::vector<FilterResult> results;
    const bool waited =
        work->change(tr("Changing the merit of %1\xE2\x80\xA6").arg(FilterTable::nameText(filterActions().row(index))),
                     [&](FilterActions &actions) {
                         results = choice.isDefault ? actions.setDefaultMerit(index) : actions.setMerit(index, choice.value);
                     });
    showMeritChange(results, row);
    if (results.front().recordStatus != 0)
        showChoiceNotRemembered(this, FilterTable::nameText(filterActions().row(index)), results.front().recordStatus);
    if (waited)
        refreshLater();
    updateUndoneChoices();
}

PendingAction PivoraCentral::pendingAction(PendingAction::Kind kind, int index, const QString &merit) const
{
    PendingAction action;
    action.kind = kind;
    if (const KnownFilter *entry = entryAt(index))
        action.clsid = QString::fromLatin1(entry->clsid);
    action.merit = merit;
    action.view = actions->view();
    return action;
}

void PivoraCentral::warnAccessDenied(const QStringList &keptTheirMerits)
{
    if (showAccessDenied(this, keptTheirMerits, canRestartAsAdministrator()) &&
        restartAsAdministrator(this, refusedAction))
        close();
}

void PivoraCentral::slotRestartAsAdministrator()
{
    if (restartAsAdministrator(this, PendingAction()))
        close();
}

// Writes the chosen merits again that a re-registration undid; a refusal
// names the filters that stay undone.
void PivoraCentral::slotPutBack()
{
    if (!table)
        return;
    const ButtonSignalsBlocked blocked(this);
    refusedAction = pendingAction(PendingAction::PutBack, -1);
    std::vector<FilterResult> results;
    work->change(tr("Putting back the merits chosen\xE2\x80\xA6"), [&](FilterActions &actions) { results = actions.putBack(); });
    UndoneWork undone;
    for (const FilterResult &result : results)
        undone.add(result, result.slot >= 0 ? FilterTable::nameText(filterActions().row(result.slot)) : tr("Put back"));
    slotRefresh();
    showUndone(undone);
}

// After a change that waited for another tool's, the table is read again
// for what that tool changed: once the event loop is back, because the
// change's sender, a cell of the table, is still inside its signal.
void PivoraCentral::refreshLater()
{
    QMetaObject::invokeMethod(this, "slotRefresh", Qt::QueuedConnection);
}

// Says what an action left undone: where the user stopped it, what failed,
// and last the refusals, which may restart the program as administrator.
void PivoraCentral::showUndone(const UndoneWork &undone)
{
    if (undone.stoppedAfter >= 0)
        showResetStopped(this, undone.stoppedAfter, undone.total);
    showFailures(this, undone.failed, undone.failedNames);
    if (!undone.refused.isEmpty())
        warnAccessDenied(undone.refused);
}

void PivoraCentral::slotViewChosen(int view)
{
    if (!table)
        return;
    actions->setView(RegistryView(view));
    refusedAction = PendingAction();
    slotRefresh();
    // The other view's table opens at its top, not where this one was.
    table->scrollToTop();
}

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
    const int naturalWidth = 50 + (table ? table->columnsWidth() : 0);
    const bool fits = widthLimit >= naturalWidth;
    const int width = fits ? naturalWidth : widthLimit;
    const int height = table && table->rowCount() > 0 ? table->rowHeight(0) * 10 + 100
                                                      : (geometry.bottom() - geometry.top() + 1) / 3;
    size = QSize(width, height);
    return fits;
}

void PivoraCentral::blockButtonSignals(bool block)
{
    if (block) {
        ++ownWorkDepth;
    } else {
        ownWorkDepth = qMax(0, ownWorkDepth - 1);
        ownWorkQuietUntil = QDateTime::currentMSecsSinceEpoch() + 1500;
    }
    QPushButton *const buttons[] = {registerButton, refreshButton, resetButton, closeButton};
    for (QPushButton *button : buttons)
        if (button)
            button->blockSignals(block);
}

QString PivoraCentral::meritToText(quint32 merit, quint32 defaultMerit) const
{
    return meritText(merit, defaultMerit);
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
    if (table)
        table->showCustomMeritCell(show, row, index);
}

// The filter's own outcome, then the rows of the other listed filters the
// change touched (its server's, its linked partner's) show what the registry
// now holds.
void PivoraCentral::showMeritChange(const std::vector<FilterResult> &results, int row)
{
    reportResult(results.front(), row);
    const int columns[] = {ColumnCurrentMerit, ColumnNewMerit, ColumnCustomMerit};
    for (size_t k = 1; k < results.size(); ++k) {
        const int other = table->rowOfSlot(results[k].slot);
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
        warnAccessDenied();
        for (int column : columnsAfterDenial)
            slotRefresh(index, row, column);
        return;
    case FilterOutcome::ServerMissing:
        if (askToRemoveStaleRegistration(this, QString::fromLatin1(filterActions().row(index).name.c_str()))) {
            // With administrator rights the removal is an unregistration
            // that finds the server gone and asks again.
            refusedAction = pendingAction(PendingAction::Unregister, index);
            FilterResult removal;
            work->change(tr("Removing the registration of %1\xE2\x80\xA6").arg(FilterTable::nameText(filterActions().row(index))),
                      [&](FilterActions &actions) { removal = actions.removeRegistration(index); });
            if (removal.outcome == FilterOutcome::Removed) {
                const int removed = row;
                --row;
                table->removeRow(removed);
                table->focusAfterRemoval(removed);
                return;
            }
            if (removal.outcome == FilterOutcome::Refused)
                reportResult(removal, row);
        }
        break;
    case FilterOutcome::NotRegistered:
        showNotRegistered(this);
        break;
    case FilterOutcome::Failed:
        if (result.status == statusWaitCancelled)
            break; // the user stopped the wait: nothing was done, and the row says so
        if (result.status == statusRegistrationFailed || result.status == statusOtherToolBusy)
            showFailures(this, {result}, {FilterTable::nameText(filterActions().row(index))});
        else if (result.status == statusPathHasQuote || result.status == statusPathTooLong ||
            result.status == statusRegistrationToolMissing)
            showRunnerRefusal(this, QString::fromStdWString(filterActions().row(index).serverPath), result.status,
                              actions->view());
        else
            showUnknownError(this);
        break;
    }
    for (int column = ColumnName; column <= ColumnUnregister; ++column)
        slotRefresh(index, row, column);
}

int PivoraCentral::rowOfSender(int column)
{
    return table ? table->rowOfCell(sender(), column) : -1;
}

int PivoraCentral::rowCatalogueIndex(int row)
{
    return table ? table->catalogueIndex(row) : -1;
}

void PivoraCentral::fillTable(const std::vector<FilterRow> &rows)
{
    const FilterTable::Place place = table->place();
    table->setUpdatesEnabled(false);
    table->setRows(rows, actions->view());
    if (!isMaximized()) {
        QSize size;
        const bool fits = computeWindowSize(size);
        resize(size.width() + kWindowWidthExtra, height());
        if (!fits)
            table->fitLocationColumn(width() - kWindowColumnMargin);
    }
    table->sortItems(ColumnName, Qt::AscendingOrder);
    table->setUpdatesEnabled(true);
    table->restorePlace(place);
}

// --- Helpers ---------------------------------------------------------------------

// The actions' regsvr32 runs belong to this window.
FilterActions &PivoraCentral::filterActions()
{
    return work->here();
}

KnownFilter *PivoraCentral::entryAt(int index) const
{
    return catalogueEntry(catalogue, index);
}

// Reset and Unregister need the view's regsvr32.exe: without it, one
// message before anything is asked or changed.
bool PivoraCentral::registrationToolPresent()
{
    if (actions->missingRegistrationTool().empty())
        return true;
    showRegistrationToolMissing(this, actions->view());
    return false;
}

void PivoraCentral::updateUndoneChoices()
{
    const std::vector<UndoneChoice> undone = actions->undoneChoices();
    undoneLine->setChoices(undone);
    table->markUndoneChoices(undone);
}

void PivoraCentral::updateViewCounts()
{
    if (viewSwitch)
        viewSwitch->setCounts(actions->registeredCount(RegistryView::Bits64),
                              actions->registeredCount(RegistryView::Bits32));
}

// Only where Windows keeps two views. The window opens on the 64-bit one,
// or on the 32-bit one when only that one holds listed filters.
void PivoraCentral::createViewSwitch()
{
    if (!systemHasTwoViews())
        return;
    viewSwitch = new RegistryViewSwitch(this, this);
    if (actions->registeredCount(RegistryView::Bits64) == 0 && actions->registeredCount(RegistryView::Bits32) > 0) {
        actions->setView(RegistryView::Bits32);
        viewSwitch->setView(RegistryView::Bits32);
    }
    connect(viewSwitch, SIGNAL(viewChosen(int)), this, SLOT(slotViewChosen(int)));
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
    rightsLine = createRightsLine(this, SLOT(slotRestartAsAdministrator()), actions->changesAllowed());
    if (rightsLine)
        layout->addWidget(rightsLine);
    layout->addWidget(readErrorLine);
    layout->addWidget(changeLine);
    layout->addWidget(undoneLine);
    if (viewSwitch)
        layout->addWidget(viewSwitch);
    layout->addWidget(table);
    layout->addLayout(buttons);
    setLayout(layout);
}

