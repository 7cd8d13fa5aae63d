// What the user does with the table: merit choices, custom merits, linked
// pairs, access denial, unregistering, stale registrations, reset and
// registering new servers. Against the sample servers and the stand-in
// regsvr32, with every message box found, read and answered.
#include "filterregistrystore.h"
#include "filtertablefixture.h"
#include "meritrecords.h"
#include "knownfilterrows.h"
#include "messageboxcloser.h"
#include "windowsversion.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QDir>
#include <QtTest>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const QString accessDenied = "The operation was declined due to access denial! You need administrative privileges "
                             "to do any changes in this table!\n\n";

// Copies a filter's sample server to a path of `length` characters, in
// folders made in a new temporary folder `top`; empty when that fails.
std::string copyServerToPathOfLength(int slot, size_t length, std::string &top)
{
    top = testsupport::makeTempFolder();
    std::string folder = top;
    while (folder.size() + 50 < length)
        folder += std::string(40, 'd') + top.back();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string path = folder + std::string(length - 3 - folder.size(), 'p') + ".ax";
    return copyServer(knownFilterRows[slot].server, path) ? path : std::string();
}

} // namespace

class ActionsTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    // Qt's own file dialog, which the tests can type into, on Windows too.
    void initTestCase() { QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); }
    void init()
    {
        setUpRegistry();
        testsupport::setEnvironment("WIN32_STANDIN_WINDOWS_VERSION", 0);
    }
    void cleanup() { tearDown(); }

    void choosingHighWritesTheHighestMerit();
    void choosingCustomShowsTheCurrentMeritAndWritesNothing();
    void finishingACustomEditWritesItsMerit();
    void linkedPartnerKeepsItsMerit();
    void refusedWriteWarnsAndPutsTheSelectorBack();
    void defaultThatChangesNothingCountsAsRefused();
    void unregisterAnsweredNoChangesNothing();
    void unregisterAnsweredYesRemovesTheRow();
    void stalePathOffersToRemoveTheRegistration();
    void resetRestoresDefaultsAndWarnsOnce();
    void resetWhileTheCommandLineRestoresLosesNothing();
    void policyRowsAreLockedAndItsLineEnforcesIt();
    void registerAddsTheServersFiltersAndRemembersTheFolder();
    void cellRefreshOfUnknownColumnsOnlyTraces();
    void customEditEndedByFocusOutSurvivesItsCellsRemoval();
    void rowsOfTheSameServerFollowItsChanges();
    void partnerThatWasNotRegisteredIsNotWritten();
    void registerSaysWhyAFileWasRefused();
    void registerNamesFilesThatAddedNoRow();
    void keyboardMovesBetweenTableAndButtons();
    void unknownChoiceIsReportedAsAnUnknownError();
    void removalsFromAScrolledTableKeepRowsFocusAndPlace();
    void closedSelectorLeavesStepKeysToTheTable();
    void serverPathOfTheSystemsLongestLengthIsUsable();

private:
    QString merit(int row) { return table->item(row, ColumnCurrentMerit)->text(); }
    void showWindow()
    {
        open();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    // Clicks "Register new filters" and answers its file dialog with a path
    // typed into the file name field, as a user would, or cancels it for an
    // empty path. Returns the dialog's title and folder.
    QStringList registerThroughTheDialog(const QString &path)
    {
        QStringList seen;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            QFileDialog *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog || !seen.isEmpty())
                return;
            seen << dialog->windowTitle() << dialog->directory().absolutePath() + "/";
            if (path.isEmpty()) {
                dialog->reject();
                return;
            }
            if (QLineEdit *name = dialog->findChild<QLineEdit *>("fileNameEdit"))
                name->setText(path);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        });
        timer.start(20);
        windowButton("Register &new filters")->click();
        return seen;
    }
    void clickUnregister(int slot)
    {
        QPushButton *button = qobject_cast<QPushButton *>(table->cellWidget(rowOfSlot(slot), ColumnUnregister));
        QVERIFY(button);
        button->click();
    }
};

void ActionsTest::choosingHighWritesTheHighestMerit()
{
    registerFilters(videoDecoders);
    open();
    MessageBoxCloser closer;
    choose(6, 2);
    QCOMPARE(readFilterMerit(0, knownFilterRows[6].clsid), 0xFFFFFFFFu);
    const int row = rowOfSlot(6);
    QCOMPARE(merit(row), QString("High"));
    QCOMPARE(selector(row)->currentText(), QString("High"));
    QVERIFY(!customCell(row));
    QCOMPARE(closer.count(), 0);

    choose(6, 1); // then Disable
    QCOMPARE(readFilterMerit(0, knownFilterRows[6].clsid), 0x200000u);
    QCOMPARE(merit(rowOfSlot(6)), QString("Disable"));
    choose(6, 0); // and back to Default by re-registering
    QCOMPARE(readFilterMerit(0, knownFilterRows[6].clsid), knownFilterRows[6].defaultMerit);
    QCOMPARE(merit(rowOfSlot(6)), QString("Default"));
    QCOMPARE(closer.count(), 0);
}

void ActionsTest::choosingCustomShowsTheCurrentMeritAndWritesNothing()
{
    registerFilters(videoDecoders);
    open();
    choose(0, 3);
    const int row = rowOfSlot(0);
    QVERIFY(customCell(row));
    QCOMPARE(customCell(row)->text(), QString("0x00800000"));
    QCOMPARE(merit(row), QString("Default"));
    QCOMPARE(readFilterMerit(0, knownFilterRows[0].clsid), 0x800000u);
    choose(0, 1); // leaving Custom removes the cell
    QVERIFY(!customCell(rowOfSlot(0)));
}

void ActionsTest::finishingACustomEditWritesItsMerit()
{
    registerFilters(videoDecoders);
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window));
    MeritTWLineEdit *cell = typeCustomMerit(2, "654321");
    QVERIFY(cell);
    QTest::keyClick(cell, Qt::Key_Return);
    QCOMPARE(readFilterMerit(0, knownFilterRows[2].clsid), 0x654321u);
    const int row = rowOfSlot(2);
    QCOMPARE(merit(row), QString("0x00654321"));
    QVERIFY(customCell(row));
    QCOMPARE(customCell(row)->text(), QString("0x00654321"));
}

void ActionsTest::linkedPartnerKeepsItsMerit()
{
    registerFilters(mpeg2Decoders);
    QCOMPARE(writeFilterMerit(0x123456, 0, knownFilterRows[42].clsid), 0);
    QCOMPARE(writeFilterMerit(0x654321, 0, knownFilterRows[43].clsid), 0);
    open();
    MessageBoxCloser closer;
    choose(40, 2); // re-registering the server resets 42 too; its merit comes back
    QCOMPARE(readFilterMerit(0, knownFilterRows[40].clsid), 0xFFFFFFFFu);
    QCOMPARE(readFilterMerit(0, knownFilterRows[42].clsid), 0x123456u);
    QCOMPARE(readFilterMerit(0, knownFilterRows[43].clsid), 0x654321u); // another server
    choose(43, 1);
    QCOMPARE(readFilterMerit(0, knownFilterRows[41].clsid), knownFilterRows[41].defaultMerit);
    QCOMPARE(readFilterMerit(0, knownFilterRows[43].clsid), 0x200000u);
    QCOMPARE(closer.count(), 0);
}

void ActionsTest::refusedWriteWarnsAndPutsTheSelectorBack()
{
    registerFilters(videoDecoders);
    open();
    if (!registry->setFiltersWritable(false))
        QSKIP("this platform cannot take write access away from a test");
    MessageBoxCloser closer;
    choose(8, 2);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].icon, QMessageBox::Warning);
    QCOMPARE(closer.seen()[0].title, QString("Kestrane Pivora!"));
    QVERIFY(closer.seen()[0].text.startsWith(accessDenied));
    // The system's own version (on Wine, the one Wine reports) is past Windows
    // XP: the box explains elevation.
    QVERIFY(windowsVersion() >= windowsVersionVista);
    QVERIFY(closer.seen()[0].text.contains("\"Run as administrator...\" property permanently."));
    const int row = rowOfSlot(8);
    QCOMPARE(selector(row)->currentText(), QString("Default"));
    QCOMPARE(merit(row), QString("Default"));
    QCOMPARE(readFilterMerit(0, knownFilterRows[8].clsid), knownFilterRows[8].defaultMerit);

    // Windows XP has no elevation to explain; only the stand-in can be told
    // to be one.
    testsupport::setEnvironment("WIN32_STANDIN_WINDOWS_VERSION", "0x0030");
    if (windowsVersion() < windowsVersionVista) {
        choose(8, 1);
        QCOMPARE(closer.count(), 2);
        QCOMPARE(closer.seen()[1].text, accessDenied);
    }
}

void ActionsTest::defaultThatChangesNothingCountsAsRefused()
{
    registerFilters(audioDecoders);
    QCOMPARE(writeFilterMerit(0x600000, 0, knownFilterRows[21].clsid), 0); // default 0x5FFFFF
    QCOMPARE(writeFilterMerit(0x600000, 0, knownFilterRows[20].clsid), 0); // already its default
    open();
    if (!registry->setFiltersWritable(false))
        QSKIP("this platform cannot take write access away from a test");
    MessageBoxCloser closer;
    choose(21, 0);
    QCOMPARE(closer.count(), 1);
    QVERIFY(closer.seen()[0].text.startsWith(accessDenied));
    QCOMPARE(selector(rowOfSlot(21))->currentText(), QString("Custom"));
    QVERIFY(customCell(rowOfSlot(21)));

    // A merit that already is the default is never refused: Custom writes
    // nothing, and Default then changes nothing without being refused.
    choose(20, 3);
    choose(20, 0);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(selector(rowOfSlot(20))->currentText(), QString("Default"));
}

void ActionsTest::unregisterAnsweredNoChangesNothing()
{
    registerFilters(demultiplexers);
    open();
    MessageBoxCloser closer({QMessageBox::No});
    clickUnregister(44);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].icon, QMessageBox::Question);
    QCOMPARE(closer.seen()[0].defaultButton, QMessageBox::Yes);
    QVERIFY(closer.seen()[0].text.startsWith("This action will permanently unlink Kestrane MPEG-TS Demultiplexer from"));
    QCOMPARE(table->rowCount(), 8);
    QVERIFY(isFilterRegistered(0, knownFilterRows[44].clsid));
}

void ActionsTest::unregisterAnsweredYesRemovesTheRow()
{
    registerFilters(demultiplexers);
    open();
    MessageBoxCloser closer({QMessageBox::Yes});
    clickUnregister(44);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(table->rowCount(), 7);
    QCOMPARE(rowOfSlot(44), -1);
    QVERIFY(!isFilterRegistered(0, knownFilterRows[44].clsid));
}

void ActionsTest::stalePathOffersToRemoveTheRegistration()
{
    // A copy of a server registers itself from its own location; the copy
    // then disappears.
    const std::string folder = testsupport::makeTempFolder();
    registerFilters(demultiplexers);
    const std::string copy = folder + knownFilterRows[46].server + ".ax";
    QVERIFY(copyServer(knownFilterRows[46].server, copy));
    QCOMPARE(serverCall(copy, true), 0);
    std::remove(copy.c_str());
    open();
    const int row = rowOfSlot(46);
    QCOMPARE(table->item(row, ColumnLocation)->text(), QString("<Invalid Path:> ") + QString::fromStdString(copy));

    MessageBoxCloser closer({QMessageBox::No, QMessageBox::Yes});
    clickUnregister(46); // no confirmation: straight to the stale-path question, answered No
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].text,
             QString("Though Kestrane Matroska Demultiplexer filter is still registered, its registration path is "
                     "invalid! Probably the file was deleted or renamed.\n\nDo you want to permanently remove this "
                     "filter from the list?"));
    QCOMPARE(table->rowCount(), 8);
    clickUnregister(46); // Yes
    QCOMPARE(closer.count(), 2);
    QCOMPARE(table->rowCount(), 7);
    QVERIFY(!isFilterRegistered(0, knownFilterRows[46].clsid));
    HKEY key = 0;
    QCOMPARE(int(RegOpenKeyExA(HKEY_CLASSES_ROOT, (std::string("CLSID\\") + knownFilterRows[46].clsid).c_str(), 0,
                               KEY_READ, &key)), 2);
    testsupport::removeTree(folder);
}

void ActionsTest::resetRestoresDefaultsAndWarnsOnce()
{
    registerFilters(mpeg2Decoders);
    registerFilters(demultiplexers);
    for (int slot : {40, 45, 49})
        QCOMPARE(writeFilterMerit(0x111111, 0, knownFilterRows[slot].clsid), 0);
    open();
    MessageBoxCloser closer;
    windowButton("&Reset")->click();
    QCOMPARE(closer.count(), 0);
    for (int slot : {40, 45, 49})
        QCOMPARE(readFilterMerit(0, knownFilterRows[slot].clsid), knownFilterRows[slot].defaultMerit);
    QCOMPARE(table->rowCount(), 12);
    for (int r = 0; r < table->rowCount(); ++r)
        QCOMPARE(merit(r), QString("Default"));

    for (int slot : {41, 47})
        QCOMPARE(writeFilterMerit(0x222222, 0, knownFilterRows[slot].clsid), 0);
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh"));
    if (!registry->setFiltersWritable(false))
        QSKIP("this platform cannot take write access away from a test");
    windowButton("&Reset")->click();
    QCOMPARE(closer.count(), 1); // one warning for the whole reset, naming what kept its merit
    QVERIFY(closer.seen()[0].text.startsWith(accessDenied));
    QVERIFY(closer.seen()[0].text.endsWith("These filters kept their merits; every other one was reset:\n"
                                           "    Kestrane MPEG-2 Audio Decoder\n    Kestrane WebM Demultiplexer"));
    QCOMPARE(merit(rowOfSlot(41)), QString("0x00222222"));
}

// A Reset while pivora-cli restore puts undone choices back: one waits for
// the other, so whichever goes first, every filter ends at its default and
// no choice stays recorded.
void ActionsTest::resetWhileTheCommandLineRestoresLosesNothing()
{
    const QString base = QString::fromStdString(testsupport::programFolder()) + "pivora-cli";
    const QString program = QFileInfo::exists(base + ".exe") ? base + ".exe" : base;
    const int chosen[] = {44, 45, 47, 49};
    registerFilters(demultiplexers);
    open();
    MessageBoxCloser closer;
    for (int delayMs : {0, 150, 300}) {
        for (int slot : chosen)
            QCOMPARE(QProcess::execute(program, {"set", knownFilterRows[slot].clsid, "0x00654321"}), 0);
        registerFilters(demultiplexers); // a re-registration from outside undoes the choices
        refresh();
        QProcess restore;
        restore.start(program, {"restore"});
        QVERIFY(restore.waitForStarted());
        QTest::qWait(delayMs);
        windowButton("&Reset")->click();
        // It may have ended in the event loop the Reset ran.
        QVERIFY(restore.state() == QProcess::NotRunning || restore.waitForFinished(60000));
        QCOMPARE(restore.exitCode(), 0);
        QCOMPARE(closer.count(), 0);
        for (int slot : chosen)
            QCOMPARE(readFilterMerit(0, knownFilterRows[slot].clsid), knownFilterRows[slot].defaultMerit);
        QVERIFY(readMeritRecords(RegistryView::Bits64).empty());
    }
}

// What the Group Policy editor writes for a list: the rows the policy sets
// are locked and say so, the line above the table counts the differences
// and names the value that is not applied, its button enforces the policy,
// and a Reset says it left those filters at the policy's merits.
void ActionsTest::policyRowsAreLockedAndItsLineEnforcesIt()
{
    registerFilters(mpeg2Decoders);
    const std::string folder = testsupport::makeTempFolder();
    const std::string reg = folder + "policy.reg";
    std::FILE *file = std::fopen(reg.c_str(), "wb");
    QVERIFY(file);
    std::fprintf(file, "Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits64]\r\n"
                       "\"%s\"=\"high\"\r\n\"%s\"=\"0x00700000\"\r\n\"%s\"=\"fastest\"\r\n",
                 knownFilterRows[40].clsid, knownFilterRows[42].clsid, knownFilterRows[43].clsid);
    std::fclose(file);
    QVERIFY(registry->importRegFile(reg));
    testsupport::removeTree(folder);
    showWindow();
    for (int slot : {40, 42}) {
        QVERIFY(selector(rowOfSlot(slot)));
        QVERIFY(!selector(rowOfSlot(slot))->isEnabled());
    }
    QCOMPARE(selector(rowOfSlot(40))->toolTip(), QString("Set by your organisation's policy: High"));
    QCOMPARE(selector(rowOfSlot(42))->toolTip(), QString("Set by your organisation's policy: 0x00700000"));
    QVERIFY(selector(rowOfSlot(43))->isEnabled()); // its value is not applied
    {
        MessageBoxCloser keep({QMessageBox::No});
        clickUnregister(40);
        QCOMPARE(keep.count(), 1);
        QVERIFY2(keep.seen()[0].text.contains("Your organisation's policy sets its merit (High)."),
                 qPrintable(keep.seen()[0].text));
    }

    QPushButton *enforce = windowButton("&Enforce the policy");
    QVERIFY(enforce && enforce->isVisible());
    const auto lineText = [enforce] {
        for (const QLabel *label : enforce->parentWidget()->findChildren<QLabel *>())
            if (!label->text().isEmpty())
                return label->text();
        return QString();
    };
    QCOMPARE(lineText(),
             QString("2 filters have merits other than your organisation's policy sets.\n"
                     "The policy value \"%1\" in HKLM\\SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits64 is not "
                     "applied: \"fastest\" is no merit: give default, disable, high or 0x with 1 to 8 hexadecimal digits.")
                 .arg(knownFilterRows[43].clsid));
    MessageBoxCloser closer;
    if (registry->setFiltersWritable(false)) { // refused, it names what kept its merit, and nothing else
        enforce->click();
        QCOMPARE(closer.count(), 1);
        QVERIFY(closer.seen()[0].text.startsWith(accessDenied));
        QVERIFY2(closer.seen()[0].text.endsWith("These filters kept their merits:\n    Kestrane MPEG-2 Video Decoder\n"
                                                "    Kestrane MPEG-2 Video Decoder (Compatibility)"),
                 qPrintable(closer.seen()[0].text));
        QVERIFY(registry->setFiltersWritable(true));
    }
    windowButton("&Enforce the policy")->click();
    QCOMPARE(readFilterMerit(0, knownFilterRows[40].clsid), 0xFFFFFFFFu);
    QCOMPARE(readFilterMerit(0, knownFilterRows[42].clsid), 0x00700000u);
    QCOMPARE(merit(rowOfSlot(40)), QString("High"));
    QVERIFY(customCell(rowOfSlot(42)) && !customCell(rowOfSlot(42))->isEnabled());
    QVERIFY(!lineText().startsWith("2 filters"));
    QVERIFY(!windowButton("&Enforce the policy")->isVisible());

    const int seen = closer.count();
    windowButton("&Reset")->click();
    QCOMPARE(closer.count(), seen + 1);
    QCOMPARE(closer.seen().last().text, QString("These filters stay at the merits your organisation's policy sets:\n"
                                            "    Kestrane MPEG-2 Video Decoder\n"
                                            "    Kestrane MPEG-2 Video Decoder (Compatibility)"));
    QCOMPARE(readFilterMerit(0, knownFilterRows[40].clsid), 0xFFFFFFFFu);
    QCOMPARE(readFilterMerit(0, knownFilterRows[42].clsid), 0x00700000u);
}

void ActionsTest::registerAddsTheServersFiltersAndRemembersTheFolder()
{
    open();
    QCOMPARE(table->rowCount(), 0);
    MessageBoxCloser closer;
    testsupport::UiCapture regsvr32Reports; // without /s regsvr32 may report in a box of its own
    const QStringList first = registerThroughTheDialog(QString::fromStdString(serverFile(knownFilterRows[41].server)));
    QCOMPARE(first.value(0), QString("Kestrane Pivora!"));
    QCOMPARE(table->rowCount(), 2); // the linked pair 41 and 43
    const QStringList second = registerThroughTheDialog(QString()); // cancelled: the table is rebuilt all the same
    regsvr32Reports.finish();
    QCOMPARE(second.value(0), QString("Kestrane Pivora!"));
    QCOMPARE(second.value(1), QDir::fromNativeSeparators(QString::fromStdString(testsupport::programFolder())));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(closer.count(), 0);
    QVERIFY(regsvr32Reports.messageBoxes().size() <= 1);
}

void ActionsTest::cellRefreshOfUnknownColumnsOnlyTraces()
{
    registerFilters(demultiplexers);
    open();
    const int row = rowOfSlot(44);
    table->item(row, ColumnName)->setText("stale");
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 44), Q_ARG(int, row), Q_ARG(int, 5)));
    QTest::ignoreMessage(QtDebugMsg, "PivoraCentral::slotRefresh(index,i,j): Invalid j!");
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 44), Q_ARG(int, row), Q_ARG(int, 6)));
    QTest::ignoreMessage(QtDebugMsg, "PivoraCentral::slotRefresh(index,i,j): Invalid j!");
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 44), Q_ARG(int, row), Q_ARG(int, -1)));
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 52), Q_ARG(int, row), Q_ARG(int, 0)));
    QCOMPARE(table->item(row, ColumnName)->text(), QString("stale"));
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, 44), Q_ARG(int, row), Q_ARG(int, 0)));
    QCOMPARE(table->item(row, ColumnName)->text(), QString("Kestrane MPEG-TS Demultiplexer"));
}

void ActionsTest::unknownChoiceIsReportedAsAnUnknownError()
{
    registerFilters(demultiplexers);
    open();
    MessageBoxCloser closer;
    QTest::ignoreMessage(QtDebugMsg, "Invalid meritId!");
    emit selector(rowOfSlot(45))->hackMerit(3, 45); // a value no user choice sends
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].icon, QMessageBox::Critical);
    QCOMPARE(closer.seen()[0].text, QString("Unknown error! Refreshing the table might help."));
    QCOMPARE(readFilterMerit(0, knownFilterRows[45].clsid), knownFilterRows[45].defaultMerit);
}

// Leaving a custom cell finishes the edit, and the report of a refusal or of
// a stale path removes that very cell: it must outlive its own focus-out.
void ActionsTest::customEditEndedByFocusOutSurvivesItsCellsRemoval()
{
    registerFilters(videoDecoders);
    const std::string folder = testsupport::makeTempFolder();
    const std::string copy = folder + knownFilterRows[46].server + ".ax";
    QVERIFY(copyServer(knownFilterRows[46].server, copy));
    QCOMPARE(serverCall(copy, true), 0);
    std::remove(copy.c_str());
    showWindow();

    if (!registry->setFiltersWritable(false))
        QSKIP("this platform cannot take write access away from a test");
    MessageBoxCloser closer({QMessageBox::Ok, QMessageBox::No});
    QPointer<MeritTWLineEdit> cell = typeCustomMerit(2, "600000");
    QVERIFY(cell);
    QTest::keyClick(cell, Qt::Key_Tab);
    QVERIFY(cell); // still there once its focus-out has returned: destroyed later
    QCOMPARE(closer.count(), 1);
    QVERIFY(closer.seen()[0].text.startsWith(accessDenied));
    QVERIFY(!customCell(rowOfSlot(2)));
    QCOMPARE(selector(rowOfSlot(2))->currentText(), QString("Default"));
    QCOMPARE(readFilterMerit(0, knownFilterRows[2].clsid), knownFilterRows[2].defaultMerit);

    // The stale path, answered No, left by a click on another cell.
    QVERIFY(registry->setFiltersWritable(true));
    window->activateWindow(); // as the closed box gives it back
    QVERIFY(QTest::qWaitForWindowActive(window));
    cell = typeCustomMerit(46, "600000");
    QVERIFY(cell);
    const QTableWidgetItem *other = table->item(rowOfSlot(0), ColumnName);
    table->scrollToItem(other);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualItemRect(other).center());
    QVERIFY(cell);
    QCOMPARE(closer.count(), 2);
    QCOMPARE(closer.seen()[1].icon, QMessageBox::Question);
    QVERIFY(!customCell(rowOfSlot(46)));
    QCOMPARE(readFilterMerit(0, knownFilterRows[46].clsid), knownFilterRows[46].defaultMerit);
    QCoreApplication::sendPostedEvents(0, QEvent::DeferredDelete);
    QVERIFY(!cell);
    QVERIFY(window->findChildren<MeritTWLineEdit *>().isEmpty());
    testsupport::removeTree(folder);
}

void ActionsTest::rowsOfTheSameServerFollowItsChanges()
{
    registerFilters(mpeg2Decoders);
    open();
    // Changed behind the window's back: the re-registration for 40 resets 42,
    // and 42's merit, read just before, is written back and shown.
    QCOMPARE(writeFilterMerit(0x123456, 0, knownFilterRows[42].clsid), 0);
    MessageBoxCloser closer({QMessageBox::Yes});
    choose(40, 2);
    QCOMPARE(merit(rowOfSlot(42)), QString("0x00123456"));
    QCOMPARE(selector(rowOfSlot(42))->currentText(), QString("Custom"));
    QCOMPARE(customCell(rowOfSlot(42))->text(), QString("0x00123456"));
    QCOMPARE(closer.count(), 0);

    clickUnregister(40); // the server of 40 serves 42 too: the question says so, and both rows go
    QCOMPARE(closer.count(), 1);
    const QString path = QDir::toNativeSeparators(QString::fromStdString(serverFile(knownFilterRows[40].server)));
    QVERIFY(closer.seen()[0].text.endsWith(
        "\n\nFilter Location: " + path + "\n\nThe same server also serves these filters, which go too:\n"
        "    Kestrane MPEG-2 Video Decoder (Compatibility)\n\nAre you sure to permanently remove this filter from "
        "the list?"));
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(rowOfSlot(40), -1);
    QCOMPARE(rowOfSlot(42), -1);
    QVERIFY(rowOfSlot(41) >= 0 && rowOfSlot(43) >= 0);
}

void ActionsTest::partnerThatWasNotRegisteredIsNotWritten()
{
    registerFilters(mpeg2Decoders);
    QCOMPARE(removeFilterRegistration(0, knownFilterRows[43].clsid), 0);
    open();
    MessageBoxCloser closer;
    choose(41, 2);
    QCOMPARE(readFilterMerit(0, knownFilterRows[41].clsid), 0xFFFFFFFFu);
    // The server registered 43 again with its default; no merit 0 written.
    QCOMPARE(readFilterMerit(0, knownFilterRows[43].clsid), knownFilterRows[43].defaultMerit);
    QCOMPARE(closer.count(), 0);
}

void ActionsTest::registerSaysWhyAFileWasRefused()
{
    // A path longer than regsvr32 can load a server from.
    std::string top;
    const std::string path = copyServerToPathOfLength(0, 300, top);
    QVERIFY(!path.empty());
    open();
    MessageBoxCloser closer;
    QVERIFY(!registerThroughTheDialog(QString::fromStdString(path)).isEmpty());
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].icon, QMessageBox::Warning);
    QCOMPARE(closer.seen()[0].text, QString::fromStdString(path) +
                                        " was not registered.\n\nIts path is too long to be passed to regsvr32.exe.");
    QCOMPARE(table->rowCount(), 0);
    testsupport::removeTree(top);
}

void ActionsTest::registerNamesFilesThatAddedNoRow()
{
    // A text file renamed .ax (never given to regsvr32), and a server of no
    // listed filter.
    const std::string folder = testsupport::makeTempFolder();
    const std::string notAServer = folder + "NotAServer.ax";
    FILE *text = std::fopen(notAServer.c_str(), "w");
    QVERIFY(text);
    std::fputs("not a filter server\n", text);
    std::fclose(text);
    QVERIFY(copyServer("TestServer", folder + "Unlisted.ax"));
    open();
    MessageBoxCloser closer;
    testsupport::UiCapture regsvr32Reports;
    const QString both = QString("\"%1\" \"%2\"").arg(QString::fromStdString(notAServer),
                                                       QString::fromStdString(folder + "Unlisted.ax"));
    registerThroughTheDialog(both);
    regsvr32Reports.finish();
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen()[0].text,
             QString("Not every file chosen added filters to this table.\n\nNotAServer.ax is no program image, so it "
                     "is no filter server: it was not registered.\n\nUnlisted.ax was registered, "
                     "but it registers no filter this table lists."));
    QCOMPARE(table->rowCount(), 0);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "KestraneContractTest");
    testsupport::removeTree(folder);
}

void ActionsTest::keyboardMovesBetweenTableAndButtons()
{
    registerFilters(mpeg2Decoders);
    showWindow();
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), windowButton("Register &new filters"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), table);

    // Arrows move between cells; Space opens the current cell's selector.
    const int row = rowOfSlot(43);
    table->setCurrentCell(row, ColumnLocation);
    QTest::keyClick(table, Qt::Key_Right);
    QCOMPARE(table->currentColumn(), int(ColumnNewMerit));
    QTest::keyClick(table, Qt::Key_Space);
    QTRY_VERIFY(selector(row)->view()->isVisible());
    QTest::keyClick(selector(row)->view(), Qt::Key_Escape);
    QTRY_VERIFY(!selector(row)->view()->isVisible());

    // A rebuild keeps the focus in the table, on the same filter and column.
    table->setFocus();
    windowButton("Re&fresh")->click();
    QCOMPARE(QApplication::focusWidget(), table);
    QCOMPARE(slotOfRow(table->currentRow()), 43);
    QCOMPARE(table->currentColumn(), int(ColumnNewMerit));
    // The whole location is the tooltip of its cell.
    QCOMPARE(table->item(row, ColumnLocation)->toolTip(), table->item(row, ColumnLocation)->text());
}


void ActionsTest::removalsFromAScrolledTableKeepRowsFocusAndPlace()
{
    registerFilters(videoDecoders);
    registerFilters(mpeg2Decoders);
    showWindow();
    window->resize(window->width(), 200);
    QTest::qWait(20);
    table->scrollToBottom();
    QTest::qWait(20);
    MessageBoxCloser closer({QMessageBox::Yes});
    clickUnregister(8);
    // The linked pair shares one server: both of its rows go.
    clickUnregister(43);
    QCOMPARE(closer.count(), 2);
    QCOMPARE(table->rowCount(), 21);
    for (int slot : {8, 41, 43})
        QCOMPARE(rowOfSlot(slot), -1);
    for (int row = 0; row < table->rowCount(); ++row) {
        QVERIFY(slotOfRow(row) >= 0);
        QVERIFY(isFilterRegistered(0, knownFilterRows[slotOfRow(row)].clsid));
    }

    // The keyboard is on a name, where Return asks nothing.
    QCOMPARE(window->focusWidget(), table);
    QCOMPARE(table->currentColumn(), int(ColumnName));
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(closer.count(), 2);

    // Refresh keeps the row at the top of the view where it was. The view
    // shows rows however tall the font makes them, scrolled past the first.
    table->scrollToBottom();
    QVERIFY2(table->rowAt(0) > 0, qPrintable(QString("a view %1 high").arg(table->viewport()->height())));
    const int top = slotOfRow(table->rowAt(0));
    QVERIFY(top >= 0);
    windowButton("Re&fresh")->click();
    QCOMPARE(slotOfRow(table->rowAt(0)), top);
}

void ActionsTest::closedSelectorLeavesStepKeysToTheTable()
{
    registerFilters(videoDecoders);
    showWindow();
    const int row = rowOfSlot(6);
    // High, chosen with the mouse, which leaves the focus in the selector.
    QTest::mouseClick(selector(row), Qt::LeftButton);
    choose(6, 2);
    QCOMPARE(QApplication::focusWidget(), selector(row));
    // Down moves to the next row's selector, as from any cell of the column.
    QTest::keyClick(selector(row), Qt::Key_Down);
    QCOMPARE(table->currentRow(), row + 1);
    QCOMPARE(QApplication::focusWidget(), selector(row + 1));
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_End, Qt::Key_Home, Qt::Key_D}) {
        selector(row)->setFocus();
        QTest::keyClick(selector(row), key);
    }
    QCOMPARE(readFilterMerit(0, knownFilterRows[6].clsid), 0xFFFFFFFFu);
    QCOMPARE(selector(row)->currentText(), QString("High"));

    // Alt+Up and Alt+Down open the list, from the selector and from the table
    // on its cell; leaving the list with Escape writes nothing.
    table->setCurrentCell(row, ColumnNewMerit);
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(selector(row)->view()->isVisible());
    QCOMPARE(table->currentRow(), row);
    QTest::keyClick(selector(row)->view(), Qt::Key_Escape);
    QTRY_VERIFY(!selector(row)->view()->isVisible());
    selector(row)->setFocus();
    QTest::keyClick(selector(row), Qt::Key_Up, Qt::AltModifier);
    QTRY_VERIFY(selector(row)->view()->isVisible());
    QTest::keyClick(selector(row)->view(), Qt::Key_Escape);
    QTRY_VERIFY(!selector(row)->view()->isVisible());
    QCOMPARE(readFilterMerit(0, knownFilterRows[6].clsid), 0xFFFFFFFFu);

    // A choice made there is written.
    selector(row)->setFocus();
    QTest::keyClick(selector(row), Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(selector(row)->view()->isVisible());
    QTest::keyClick(selector(row)->view(), Qt::Key_Up);
    QTest::keyClick(selector(row)->view(), Qt::Key_Return);
    QTRY_COMPARE(readFilterMerit(0, knownFilterRows[6].clsid), 0x200000u);
}

void ActionsTest::serverPathOfTheSystemsLongestLengthIsUsable()
{
    // 259 characters: the longest path regsvr32 loads a server from.
    std::string top;
    const std::string path = copyServerToPathOfLength(2, 259, top);
    QVERIFY(!path.empty());
    QCOMPARE(serverCall(path, true), 0);
    open();
    MessageBoxCloser closer({QMessageBox::Yes});
    choose(2, 2);
    QCOMPARE(readFilterMerit(0, knownFilterRows[2].clsid), 0xFFFFFFFFu);
    QCOMPARE(table->item(rowOfSlot(2), ColumnLocation)->text(), QString::fromStdString(path));
    clickUnregister(2);
    QCOMPARE(closer.count(), 1); // the confirmation only
    QCOMPARE(rowOfSlot(2), -1);
    QVERIFY(!isFilterRegistered(0, knownFilterRows[2].clsid));
    testsupport::removeTree(top);
}

QTEST_MAIN(ActionsTest)
#include "actions_test.moc"
