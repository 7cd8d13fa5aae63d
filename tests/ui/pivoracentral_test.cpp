// The main window: its widgets, its size rule, the empty window after a
// failed catalogue, and ending the program.
#include "appconstants.h"
#include "failingallocator.h"
#include "filtertablefixture.h"
#include "messageboxcloser.h"
#include "pivoracentral.h"
#include "registryviewswitch.h"
#include "undonechoicesline.h"
#include "externalchangeline.h"
#include "pendingaction.h"
#include "merittooltip.h"
#include "testsupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

using testsupport::allocateFailingAt;
using testsupport::failingSlot;

class PivoraCentralTest : public QObject
{
    Q_OBJECT

private slots:
    void tableHasItsColumnsAndButtonsTheirTexts();
    void windowSizeFollowsTheScreen();
    void catalogueFailureLeavesAnEmptyWindow();
    void closeButtonEndsWithStatusZero();
    void closingTheWindowEndsWithStatusZero();
    void viewSwitchShowsEachRegistryViewsFilters();
    void undoneChoiceIsMarkedAndPutBack();
    void windowsSeeEachOthersChangesButNotTheirOwn();

private:
    testsupport::ScopedRegistry registry;
};

void PivoraCentralTest::tableHasItsColumnsAndButtonsTheirTexts()
{
    PivoraCentral window;
    QCOMPARE(window.windowTitle(), QString("Kestrane Pivora!"));
    QTableWidget *table = window.findChild<QTableWidget *>();
    QVERIFY(table);
    QCOMPARE(table->columnCount(), 6);
    QCOMPARE(table->rowCount(), 0);
    const QStringList headers = {"Filter Name", "Current Merit", "Filter Location", "New Merit", "Custom Merit",
                                 "Unregister"};
    for (int c = 0; c < 6; ++c)
        QCOMPARE(table->horizontalHeaderItem(c)->text(), headers[c]);
    QCOMPARE(table->columnWidth(ColumnNewMerit), 80);
    QCOMPARE(table->columnWidth(ColumnCustomMerit), 100);
    QCOMPARE(table->columnWidth(ColumnUnregister), 100);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);

    struct Expected {
        const char *label;
        const char *toolTip;
    };
    const Expected expected[] = {
        {"Register &new filters", "Browse for registering new DirectShow filters (only Kestrane decoders and "
                                  "demultiplexers are added to this table)"},
        {"Re&fresh", "Refreshes all table contents, useful if filters were (un)registered in the meantime"},
        {"&Reset", "Resets all listed filters to their default merits and refreshes the table"},
        {"&Close", "Quit the application"},
    };
    // The table, and the row of buttons right below it (above it may be the
    // switch between registry views).
    const int tableAt = window.layout()->indexOf(table);
    QVERIFY(tableAt >= 0);
    QList<QPushButton *> inLayoutOrder;
    QLayout *buttons = window.layout()->itemAt(tableAt + 1)->layout();
    QVERIFY(buttons);
    for (int i = 0; i < buttons->count(); ++i)
        inLayoutOrder << qobject_cast<QPushButton *>(buttons->itemAt(i)->widget());
    QCOMPARE(inLayoutOrder.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(inLayoutOrder[i]);
        QCOMPARE(inLayoutOrder[i]->text(), QString(expected[i].label));
        QCOMPARE(inLayoutOrder[i]->toolTip(), QString(expected[i].toolTip));
        // 120 pixels, unless the font makes the label wider than Windows' does.
        QCOMPARE(inLayoutOrder[i]->maximumWidth(), qMax(120, inLayoutOrder[i]->sizeHint().width()));
    }
}

void PivoraCentralTest::windowSizeFollowsTheScreen()
{
    PivoraCentral window;
    QTableWidget *table = window.findChild<QTableWidget *>();
    const int widths[] = {150, 90, 300, 80, 100, 100}; // natural width 870
    for (int c = 0; c < 6; ++c)
        table->setColumnWidth(c, widths[c]);

    QSize size;
    const QRect large(0, 0, 1280, 1024);
    QVERIFY(!window.computeWindowSize(size, &large));
    QCOMPARE(size, QSize(853, 341));

    // Without a desktop: 800 x 600.
    QVERIFY(!window.computeWindowSize(size, 0));
    QCOMPARE(size, QSize(533, 200));

    // Exactly two thirds of the screen width still fits.
    const QRect exact(0, 0, 1305, 900); // (2 * 1304 + 2) / 3 = 870
    QVERIFY(window.computeWindowSize(size, &exact));
    QCOMPARE(size.width(), 870);
    const QRect oneLess(0, 0, 1304, 900); // 869
    QVERIFY(!window.computeWindowSize(size, &oneLess));
    QCOMPARE(size.width(), 869);

    // A screen not at the origin.
    const QRect offset(100, 50, 1280, 1024);
    QVERIFY(!window.computeWindowSize(size, &offset));
    QCOMPARE(size, QSize(853, 341));

    // With rows, ten of them and a margin.
    table->setRowCount(3);
    table->verticalHeader()->setMinimumSectionSize(1); // the style's minimum follows its font
    table->setRowHeight(0, 30);
    QVERIFY(!window.computeWindowSize(size, &large));
    QCOMPARE(size, QSize(853, 400));
}

void PivoraCentralTest::catalogueFailureLeavesAnEmptyWindow()
{
    const KnownFilterAllocator saved = knownFilterAllocator;
    knownFilterAllocator = allocateFailingAt;
    failingSlot = 5;
    MessageBoxCloser closer;
    PivoraCentral *window = new PivoraCentral;
    knownFilterAllocator = saved;
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].title, QString("Kestrane Pivora!"));
    QCOMPARE(closer.seen()[0].text, QString("Insufficient memory!"));
    QCOMPARE(closer.seen()[0].icon, QMessageBox::Critical);
    QCOMPARE(closer.seen()[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(window->windowTitle(), QString("Kestrane Pivora!"));
    QVERIFY(!window->findChild<QTableWidget *>());
    QVERIFY(window->findChildren<QPushButton *>().isEmpty());
    QVERIFY(!window->layout());
    // The slots find no table and do nothing.
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh"));
    QVERIFY(QMetaObject::invokeMethod(window, "slotReset"));
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 0), Q_ARG(int, 0), Q_ARG(int, 1)));
    delete window; // releases the slots that were filled
}

void PivoraCentralTest::closeButtonEndsWithStatusZero()
{
    PivoraCentral window;
    window.show();
    QPushButton *close = windowButton(&window, "&Close");
    QVERIFY(close);
    QTimer::singleShot(0, close, SLOT(click()));
    QCOMPARE(qApp->exec(), 0);
}

void PivoraCentralTest::closingTheWindowEndsWithStatusZero()
{
    PivoraCentral *window = new PivoraCentral;
    window->show();
    QTimer::singleShot(0, window, SLOT(close()));
    QCOMPARE(qApp->exec(), 0);
    delete window;
}

// The switch names both views with their counts, Ctrl+Tab and
// Ctrl+Shift+Tab show the other view's rows, and a window opens on the
// 32-bit view when only that one holds listed filters.
void PivoraCentralTest::viewSwitchShowsEachRegistryViewsFilters()
{
    if (!systemHasTwoViews())
        QSKIP("this system keeps one registry view");
    const int h264 = 0, hevc = 2;
    for (int slot : {h264, hevc})
        QCOMPARE(serverCall(serverFile(knownFilterRows[slot].server), true), 0);
    QVERIFY(copyTo32BitView(hevc, 0x00500000));
    QCOMPARE(removeFilterRegistration(nullptr, knownFilterRows[hevc].clsid, RegistryView::Bits64), 0);

    PivoraCentral window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    RegistryViewSwitch *views = window.findChild<RegistryViewSwitch *>();
    QTableWidget *table = window.findChild<QTableWidget *>();
    QVERIFY(views && table);
    QCOMPARE(views->tabText(0), QString("&64-bit players (1)"));
    QCOMPARE(views->tabText(1), QString("&32-bit players (1)"));
    QCOMPARE(int(views->view()), int(RegistryView::Bits64));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, ColumnName)->text(), QString(knownFilterRows[h264].name));

    table->setFocus();
    QTest::keyClick(table, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(int(views->view()), int(RegistryView::Bits32));
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->item(0, ColumnName)->text(), QString(knownFilterRows[hevc].name));
    QCOMPARE(table->item(0, ColumnCurrentMerit)->text(), QString("0x00500000"));
    QTest::keyClick(table, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(table->item(0, ColumnName)->text(), QString(knownFilterRows[h264].name));

    QCOMPARE(removeFilterRegistration(nullptr, knownFilterRows[h264].clsid, RegistryView::Bits64), 0);
    PivoraCentral only32;
    QVERIFY(only32.findChild<RegistryViewSwitch *>() && only32.findChild<QTableWidget *>());
    QCOMPARE(int(only32.findChild<RegistryViewSwitch *>()->view()), int(RegistryView::Bits32));
    QCOMPARE(only32.findChild<QTableWidget *>()->rowCount(), 1);
}

// A merit chosen, then undone by a re-registration from outside: the window
// says so above the table and on the row, and "Put back" writes it again.
void PivoraCentralTest::undoneChoiceIsMarkedAndPutBack()
{
    const int h264 = 0;
    QCOMPARE(serverCall(serverFile(knownFilterRows[h264].server), true), 0);
    FilterCatalogue *catalogue = 0;
    QVERIFY(buildCatalogue(catalogue));
    QCOMPARE(int(FilterActions(catalogue, RegistryView::Bits64).setMerit(h264, 0xFFFFFFFFu).front().outcome),
             int(FilterOutcome::Changed));
    releaseCatalogue(catalogue);
    QCOMPARE(serverCall(serverFile(knownFilterRows[h264].server), true), 0);
    QCOMPARE(readFilterMerit(nullptr, knownFilterRows[h264].clsid), knownFilterRows[h264].defaultMerit);

    PivoraCentral window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    UndoneChoicesLine *line = window.findChild<UndoneChoicesLine *>();
    QTableWidget *table = window.findChild<QTableWidget *>();
    QVERIFY(line && line->isVisible());
    QStringList texts;
    for (QLabel *label : line->findChildren<QLabel *>())
        texts << label->text();
    QVERIFY(texts.contains("1 filter lost the merit chosen for it: its server was registered again."));
    QVERIFY(table->item(0, ColumnCurrentMerit)->data(MeritToolTip::noteRole).toString().startsWith("You chose High for this filter on "));
    QVERIFY(!table->item(0, ColumnCurrentMerit)->icon().isNull());

    windowButton(&window, "&Put back")->click();
    QCOMPARE(readFilterMerit(nullptr, knownFilterRows[h264].clsid), 0xFFFFFFFFu);
    QVERIFY(!line->isVisible());
    QVERIFY(table->item(0, ColumnCurrentMerit)->data(MeritToolTip::noteRole).toString().isEmpty());
}

// Two windows: a change made in one shows the line in the other, never in
// the one that made it; Refresh takes the line away.
void PivoraCentralTest::windowsSeeEachOthersChangesButNotTheirOwn()
{
    const int h264 = 0;
    QCOMPARE(serverCall(serverFile(knownFilterRows[h264].server), true), 0);
    PivoraCentral first, second;
    first.show();
    second.show();
    ExternalChangeLine *firstLine = first.findChild<ExternalChangeLine *>();
    ExternalChangeLine *secondLine = second.findChild<ExternalChangeLine *>();
    QVERIFY(firstLine && secondLine && !secondLine->isVisible());
    QTest::qWait(1600); // past the time in which a window takes changes for its own

    first.performAction(PendingAction::fromArguments({"set", knownFilterRows[h264].clsid, "high"}));
    QCOMPARE(readFilterMerit(nullptr, knownFilterRows[h264].clsid), 0xFFFFFFFFu);
    QTRY_VERIFY_WITH_TIMEOUT(secondLine->isVisible(), 5000);
    QTest::qWait(1000);
    QVERIFY(!firstLine->isVisible());

    windowButton(&second, "Re&fresh")->click();
    QVERIFY(!secondLine->isVisible());
    const QTableWidget *secondTable = second.findChild<QTableWidget *>();
    QVERIFY(secondTable && secondTable->item(0, ColumnCurrentMerit));
    QCOMPARE(secondTable->item(0, ColumnCurrentMerit)->text(), QString("High"));
}

QTEST_MAIN(PivoraCentralTest)
#include "pivoracentral_test.moc"
