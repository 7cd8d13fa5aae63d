#include "pivoracentral.h"

#include "appconstants.h"
#include "merittext.h"
#include "meritwords.h"
#include "merittwcombobox.h"
#include "noticelines.h"
#include "outcomemessages.h"
#include "overridecursor.h"
#include "registryviewswitch.h"
#include "windowactions.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopWidget>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int kButtonMaximumWidth = 120;
const int kWindowWidthExtra = 22;   // frame and scroll bar beside the columns
const int kWindowColumnMargin = 72; // what the window is wider than its six columns

} // namespace

PivoraCentral::PivoraCentral(QWidget *parent) : QWidget(parent), restart(this)
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
    viewSwitch = RegistryViewSwitch::create(this, *actions);
    if (viewSwitch)
        connect(viewSwitch, SIGNAL(viewChosen(int)), this, SLOT(slotViewChosen(int)));
    notices = new NoticeLines(this, actions->changesAllowed(), [this] { return busy.expectsOwnChanges(); });
    connect(notices, SIGNAL(readAgainClicked()), this, SLOT(slotRefresh()));
    connect(notices, SIGNAL(putBackClicked()), this, SLOT(slotPutBack()));
    connect(notices, SIGNAL(enforceClicked()), this, SLOT(slotEnforcePolicy()));
    connect(notices, SIGNAL(restartClicked()), &restart, SLOT(restartWithoutAction()));
    QSize size(-1, -1);
    computeWindowSize(size);
    resize(size);
    slotRefresh();
    createButtons();
    busy.setButtons({registerButton, refreshButton, resetButton, closeButton});
    createLayout();
}

PivoraCentral::~PivoraCentral()
{
    delete work;
    delete actions;
    releaseCatalogue(catalogue);
}

void PivoraCentral::slotReset()
{
    changeMany(PendingAction::Reset, [this] { return work->reset(table->listedSlots(), table->listedNames()); });
}

void PivoraCentral::slotRefresh()
{
    if (!table)
        return;
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    int32_t status = 0;
    MeritPolicy policy;
    const std::vector<FilterRow> rows = filterActions().registeredFilters(&status, &policy);
    fillTable(rows);
    updateCountsAndChoices();
    notices->tableRead(status, rows, policy, actions->view());
}

void PivoraCentral::slotRefresh(int index, int i, int j)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    if (!table->refreshCell(i, j, filterActions().row(index)))
        qDebug("PivoraCentral::slotRefresh(index,i,j): Invalid j!");
}

void PivoraCentral::slotMeritIdSelected(int id, int index)
{
    if (!table || !entryAt(index))
        return;
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
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
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    const int row = rowOfSender(ColumnCustomMerit);
    if (row < 0)
        return;
    changeMerit(index, row, text.startsWith(QLatin1String("0x")) ? text : QLatin1String("0x") + text);
}

void PivoraCentral::slotRegister()
{
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    const QStringList files = work->chooseServerFiles();
    RegistrationReport report;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        report = work->registerFiles(files);
    }
    slotRefresh();
    // The rows the files added are selected, the first one current.
    std::vector<int> added;
    for (const ServerFileResult &file : report.files)
        added.insert(added.end(), file.added.begin(), file.added.end());
    table->selectRowsOf(added);
    showRegistrationReport(this, report, files.size(), actions->view());
}

void PivoraCentral::slotUnregister()
{
    const int row = rowOfSender(ColumnUnregister);
    if (row >= 0)
        unregisterRow(row, true);
}

void PivoraCentral::performAction(const PendingAction &action)
{
    if (!table)
        return;
    if (viewSwitch && action.view != actions->view()) {
        viewSwitch->setView(action.view);
        slotViewChosen(int(action.view));
    }
    const int slot = actions->slotOf(action.clsid.toLatin1().constData());
    const int row = table->rowOfSlot(slot);
    if (action.kind == PendingAction::Reset) {
        slotReset();
    } else if (action.kind == PendingAction::PutBack) {
        slotPutBack();
    } else if (action.kind == PendingAction::Enforce) {
        slotEnforcePolicy();
    } else if (action.kind == PendingAction::Unregister && row >= 0) {
        unregisterRow(row, false); // the user confirmed it before the restart
    } else if (action.kind == PendingAction::SetMerit && row >= 0) {
        changeMerit(slot, row, action.merit);
        slotRefresh(slot, row, ColumnNewMerit); // the selector shows the choice the registry now holds
    }
}

void PivoraCentral::unregisterRow(int row, bool confirm)
{
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    const int index = rowCatalogueIndex(row);
    if (!entryAt(index))
        return;
    rememberAction(PendingAction::Unregister, index);
    // Without its server file, the action asks whether to remove its registration.
    const FilterRow filter = filterActions().row(index);
    if (filter.serverExists && !work->registrationToolPresent())
        return;
    const ChangeDone done = work->unregister(filter, confirm);
    if (done.results.empty()) // the user kept it
        return;
    if (done.results.front().outcome != FilterOutcome::Removed) {
        reportResult(done.results.front(), row);
    } else { // a server unregisters every filter it serves: their rows go too
        table->removeRowsOf(done.results, row);
        updateCountsAndChoices();
    }
    if (done.waited)
        refreshLater();
}

// Writes a merit named in the actions' words (meritwords.h); shows the outcome.
void PivoraCentral::changeMerit(int index, int row, const QString &merit)
{
    MeritChoice choice;
    if (!parseMeritChoice(merit.toStdString(), &choice)) {
        qDebug("PivoraCentral::changeMerit: no merit: %s", qPrintable(merit));
        return;
    }
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    rememberAction(PendingAction::SetMerit, index, QString::fromStdString(meritWord(choice)));
    const QString name = FilterTable::nameText(filterActions().row(index));
    const ChangeDone done = work->changeMerit(index, choice, name);
    showMeritChange(done.results, row);
    if (done.results.front().recordStatus != 0)
        showChoiceNotRemembered(this, name, done.results.front().recordStatus);
    if (done.waited)
        refreshLater();
    updateCountsAndChoices();
}

// What a restart as administrator carries, should this action be refused.
void PivoraCentral::rememberAction(PendingAction::Kind kind, int index, const QString &merit)
{
    const KnownFilter *entry = entryAt(index);
    restart.remember(kind, actions->view(), entry ? entry->clsid : nullptr, merit);
}

// Writes the chosen merits again that a re-registration undid; a refusal
// names the filters that stay undone.
void PivoraCentral::slotPutBack()
{
    changeMany(PendingAction::PutBack, [this] { return work->putBack(); });
}

void PivoraCentral::slotEnforcePolicy()
{
    changeMany(PendingAction::Enforce, [this] { return work->enforcePolicy(); });
}

// An action on many filters: the table is read again afterwards, and what
// the action left undone is said, the refusals last, which may restart the
// program as administrator. All but Put back need regsvr32.exe.
void PivoraCentral::changeMany(PendingAction::Kind kind, const std::function<UndoneWork()> &change)
{
    if (!table)
        return;
    const ButtonSignalsBlocked<PivoraCentral> blocked(this);
    rememberAction(kind);
    if (kind != PendingAction::PutBack && !work->registrationToolPresent())
        return;
    UndoneWork undone;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        undone = change();
        slotRefresh();
    }
    undone.showStoppedAndFailed(this);
    if (!undone.refused.isEmpty())
        restart.offerAfterRefusal(undone.refused);
}

// After a change that waited for another tool's, the table is read again
// for what that tool changed: once the event loop is back, because the
// change's sender, a cell of the table, is still inside its signal.
void PivoraCentral::refreshLater()
{
    QMetaObject::invokeMethod(this, "slotRefresh", Qt::QueuedConnection);
}

void PivoraCentral::slotViewChosen(int view)
{
    actions->setView(RegistryView(view));
    restart.forget();
    slotRefresh();
    // The other view's table opens at its top, not where this one was.
    table->scrollToTop();
}

bool PivoraCentral::computeWindowSize(QSize &size)
{
    const QDesktopWidget *desktop = QApplication::desktop();
    const QRect screen = desktop ? desktop->screenGeometry(desktop->primaryScreen()) : QRect();
    return computeWindowSize(size, desktop ? &screen : 0);
}

bool PivoraCentral::computeWindowSize(QSize &size, const QRect *screen) const
{
    return FilterTable::proposeWindowSize(table, screen ? *screen : QRect(0, 0, 800, 600), size);
}

void PivoraCentral::blockButtonSignals(bool block)
{
    busy.block(block);
}

QString PivoraCentral::meritToText(quint32 merit, quint32 defaultMerit) const
{
    return meritText(merit, defaultMerit);
}

quint32 PivoraCentral::textToMerit(const QString &text, unsigned int index) const
{
    const KnownFilter *entry = entryAt(int(index));
    // Without a filter, "Default" names no merit.
    return entry || text != meritNameDefault ? meritOfText(text, entry ? entry->defaultMerit : 0) : 0;
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
    for (size_t k = 1; k < results.size(); ++k)
        if (table->rowOfSlot(results[k].slot) >= 0)
            refreshCells(results[k].slot, table->rowOfSlot(results[k].slot),
                         {ColumnCurrentMerit, ColumnNewMerit, ColumnCustomMerit});
}

void PivoraCentral::reportResult(const FilterResult &result, int &row)
{
    const int index = result.slot;
    const OverrideCursor arrow(Qt::ArrowCursor);
    switch (result.outcome) {
    case FilterOutcome::Changed:
    case FilterOutcome::Unchanged:
        return refreshCells(index, row, {ColumnCurrentMerit, ColumnCustomMerit, ColumnLocation, ColumnName});
    case FilterOutcome::Removed: // a stale registration the user had removed
        table->removeRowsOf({result}, row);
        --row; // the row is gone; the keyboard is on the one that took its place
        return;
    case FilterOutcome::Refused:
        // With its server file gone, a removal was refused: an unregistration asks again.
        if (!filterActions().row(index).serverExists)
            rememberAction(PendingAction::Unregister, index);
        restart.offerAfterRefusal();
        return refreshCells(index, row, {ColumnNewMerit, ColumnCustomMerit, ColumnLocation, ColumnName});
    case FilterOutcome::ServerMissing: // the user kept the stale registration
        break;
    case FilterOutcome::NotRegistered:
        showNotRegistered(this);
        break;
    case FilterOutcome::Failed:
        showChangeFailed(this, result, filterActions().row(index), actions->view());
        break;
    }
    refreshCells(index, row, {ColumnName, ColumnCurrentMerit, ColumnLocation, ColumnNewMerit, ColumnCustomMerit});
}

// The cells show what the registry holds of the filter now, read once.
void PivoraCentral::refreshCells(int index, int row, std::initializer_list<int> columns)
{
    if (!entryAt(index))
        return;
    const FilterRow filter = filterActions().row(index);
    for (int column : columns)
        table->refreshCell(row, column, filter);
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
    table->showRows(rows, actions->view(), [this] {
        if (isMaximized())
            return;
        QSize size;
        const bool fits = computeWindowSize(size);
        resize(size.width() + kWindowWidthExtra, height());
        if (!fits)
            table->fitLocationColumn(width() - kWindowColumnMargin);
    });
}

// The actions' regsvr32 runs belong to this window.
FilterActions &PivoraCentral::filterActions()
{
    return work->here();
}

KnownFilter *PivoraCentral::entryAt(int index) const
{
    return catalogueEntry(catalogue, index);
}

// The view switch's counts and the undone choices, in their line and their rows.
void PivoraCentral::updateCountsAndChoices()
{
    if (viewSwitch)
        viewSwitch->updateCounts(*actions);
    const std::vector<UndoneChoice> undone = actions->undoneChoices();
    notices->setUndoneChoices(undone);
    table->markUndoneChoices(undone);
}

QPushButton *PivoraCentral::createButton(const QString &label, const QString &toolTip, QObject *receiver,
                                         const char *slot)
{
    QPushButton *button = new QPushButton(label, this);
    // A font wider than Windows' own keeps its whole label.
    button->setMaximumWidth(qMax(kButtonMaximumWidth, button->sizeHint().width()));
    button->setToolTip(toolTip);
    connect(button, SIGNAL(clicked()), receiver, slot);
    return button;
}

void PivoraCentral::createButtons()
{
    registerButton = createButton(tr("Register &new filters"),
                                  tr("Browse for registering new DirectShow filters (only Kestrane decoders and "
                                     "demultiplexers are added to this table)"),
                                  this, SLOT(slotRegister()));
    refreshButton = createButton(tr("Re&fresh"),
                                 tr("Refreshes all table contents, useful if filters were (un)registered in the "
                                    "meantime"),
                                 this, SLOT(slotRefresh()));
    resetButton = createButton(tr("&Reset"),
                               tr("Resets all listed filters to their default merits and refreshes the table"), this,
                               SLOT(slotReset()));
    closeButton = createButton(tr("&Close"), tr("Quit the application"), qApp, SLOT(quit()));
}

void PivoraCentral::createLayout()
{
    QHBoxLayout *buttons = new QHBoxLayout;
    for (QPushButton *button : {registerButton, refreshButton, resetButton, closeButton})
        buttons->addWidget(button);
    QVBoxLayout *layout = new QVBoxLayout;
    notices->addTo(layout);
    if (viewSwitch)
        layout->addWidget(viewSwitch);
    layout->addWidget(table);
    layout->addLayout(buttons);
    setLayout(layout);
}

