// The user's journey through the real window under Wine: sample servers
// registered by the system's own regsvr32.exe, then High, Disable, Default, a
// custom merit, Reset, Register through the file dialog and Unregister with
// its confirmation. After every step the window must show what the registry
// holds, read through the registry API and, for one filter, through
// DirectShow's enumeration of the legacy filter category.
#include "filtertablefixture.h"
#include "elevation.h"
#include "filterregistrystore.h"
#include "filterview_windows.h"
#include "messageboxcloser.h"
#include "pendingaction.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>

#include <windows.h>

namespace {

// Servers registered before the window opens: six video decoders and the
// server of the linked MPEG-2 video pair. The AVI demultiplexer's server is
// registered later through the window.
const int startSlots[] = {0, 1, 2, 3, 4, 5, 40, 42};
const int watchedSlot = 0;    // also read through DirectShow
const int customSlot = 1;
const int registeredSlot = 49;

QString serverPath(int slot)
{
    return QString::fromStdString(testsupport::programFolder()) + knownFilterRows[slot].server + ".ax";
}

} // namespace

// A step's checks; a failed one ends the journey there.
#define VERIFY_AGREEMENT(step)                                                                                        \
    do {                                                                                                               \
        verifyAgreement(step);                                                                                         \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (0)

class WineJourneyTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowAndRegistryAgreeAfterEveryStep();
    void restartWithRightsCarriesTheRefusedAction();

private:
    void verifyAgreement(const char *step);
};

void WineJourneyTest::initTestCase()
{
    // Qt's own file dialog, which the test can type into.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    setUpRegistry();
    for (int slot : startSlots) {
        const QString path = QDir::toNativeSeparators(serverPath(slot));
        QCOMPARE(QProcess::execute("regsvr32.exe", {"/s", path}), 0);
    }
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void WineJourneyTest::cleanupTestCase()
{
    tearDown();
}

// Every known filter is in the table exactly when it is registered, with the
// merit and name the registry holds; the watched filter also as DirectShow
// lists it.
void WineJourneyTest::verifyAgreement(const char *step)
{
    int registered = 0;
    for (int slot = 0; slot < knownFilterRowCount; ++slot) {
        const KnownFilterRow &known = knownFilterRows[slot];
        const FilterView view = registryView(known.clsid);
        const int row = rowOfSlot(slot);
        QVERIFY2(view.registered == (row >= 0), qPrintable(QString("%1: %2").arg(step, known.name)));
        if (row < 0)
            continue;
        ++registered;
        const QString shown = table->item(row, ColumnCurrentMerit)->text();
        QVERIFY2(view.hasMerit && shown == window->meritToText(view.merit, known.defaultMerit),
                 qPrintable(QString("%1: %2 shows %3, the registry holds %4")
                                .arg(step, known.name, shown)
                                .arg(view.merit, 8, 16, QChar('0'))));
        QCOMPARE(table->item(row, ColumnName)->text(), QString::fromStdString(view.name));
        if (slot == watchedSlot) {
            const FilterView listed = directShowView(known.clsid);
            QVERIFY2(listed.registered && listed.hasMerit, step);
            QCOMPARE(listed.merit, view.merit);
            QCOMPARE(QString::fromStdString(listed.name), table->item(row, ColumnName)->text());
        }
    }
    QCOMPARE(table->rowCount(), registered);
}

void WineJourneyTest::windowAndRegistryAgreeAfterEveryStep()
{
    MessageBoxCloser closer({QMessageBox::Yes});
    QCOMPARE(table->rowCount(), int(sizeof(startSlots) / sizeof(startSlots[0])));
    VERIFY_AGREEMENT("start");

    choose(watchedSlot, 2);
    QCOMPARE(table->item(rowOfSlot(watchedSlot), ColumnCurrentMerit)->text(), QString("High"));
    VERIFY_AGREEMENT("High");
    choose(watchedSlot, 1);
    QCOMPARE(table->item(rowOfSlot(watchedSlot), ColumnCurrentMerit)->text(), QString("Disable"));
    VERIFY_AGREEMENT("Disable");
    choose(watchedSlot, 0);
    QCOMPARE(table->item(rowOfSlot(watchedSlot), ColumnCurrentMerit)->text(), QString("Default"));
    VERIFY_AGREEMENT("Default");

    MeritTWLineEdit *cell = typeCustomMerit(customSlot, "654321");
    QVERIFY(cell);
    QTest::keyClick(cell, Qt::Key_Return);
    QCOMPARE(table->item(rowOfSlot(customSlot), ColumnCurrentMerit)->text(), QString("0x00654321"));
    VERIFY_AGREEMENT("custom merit");

    choose(watchedSlot, 2);
    QTest::mouseClick(windowButton("&Reset"), Qt::LeftButton);
    for (int r = 0; r < table->rowCount(); ++r)
        QCOMPARE(table->item(r, ColumnCurrentMerit)->text(), QString("Default"));
    VERIFY_AGREEMENT("Reset");

    // Register: the file name typed into Qt's own file dialog.
    int dialogs = 0;
    QTimer typist;
    connect(&typist, &QTimer::timeout, [&] {
        QFileDialog *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        // Its widgets come a moment after the dialog itself.
        QLineEdit *name = dialog ? dialog->findChild<QLineEdit *>("fileNameEdit") : 0;
        if (!name || !name->isVisible() || dialog->property("answered").toBool())
            return;
        dialog->setProperty("answered", true);
        ++dialogs;
        name->setText(QDir::toNativeSeparators(serverPath(registeredSlot)));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    // The system's regsvr32 reports on its own when it is not silent, and
    // waits for the user: its box is answered with OK.
    testsupport::UiCapture regsvr32Boxes;
    typist.start(20);
    QTest::mouseClick(windowButton("Register &new filters"), Qt::LeftButton);
    typist.stop();
    regsvr32Boxes.finish();
    QCOMPARE(dialogs, 1);
    QStringList boxTexts;
    for (const testsupport::MessageBoxSeen &box : regsvr32Boxes.messageBoxes())
        boxTexts << QString::fromStdString(box.text);
    QVERIFY2(boxTexts.size() <= 1, qPrintable(boxTexts.join(" | ")));
    QVERIFY(rowOfSlot(registeredSlot) >= 0);
    VERIFY_AGREEMENT("Register");

    const int row = rowOfSlot(registeredSlot);
    QTest::mouseClick(qobject_cast<QPushButton *>(table->cellWidget(row, ColumnUnregister)), Qt::LeftButton);
    QCOMPARE(closer.count(), 1);
    QVERIFY(closer.seen()[0].text.contains(knownFilterRows[registeredSlot].name));
    QCOMPARE(rowOfSlot(registeredSlot), -1);
    VERIFY_AGREEMENT("Unregister");
}

// The restart as administrator: pivora.exe started with "runas" and a
// refused action on its command line performs it once its window shows.
// (Wine's user is an administrator already: its shell starts the program
// without a prompt.)
void WineJourneyTest::restartWithRightsCarriesTheRefusedAction()
{
    const char *clsid = knownFilterRows[customSlot].clsid;
    QVERIFY(isFilterRegistered(0, clsid));
    QVERIFY(readFilterMerit(0, clsid) != 0xFFFFFFFFu);
    PendingAction action;
    action.kind = PendingAction::SetMerit;
    action.clsid = clsid;
    action.merit = "high";
    QStringList quoted;
    for (const QString &argument : action.arguments())
        quoted << "\"" + argument + "\"";
    const QString program = QDir::toNativeSeparators(QString::fromStdString(testsupport::programFolder()) + "pivora.exe");
    QCOMPARE(int(startElevated(program.toStdWString(), quoted.join(' ').toStdWString())), 0);
    QTRY_COMPARE_WITH_TIMEOUT(readFilterMerit(0, clsid), 0xFFFFFFFFu, 60000);
    // The new instance shows its table; it is closed as a user would.
    HWND other = 0;
    for (int waited = 0; !other && waited < 20000; waited += 100) {
        for (HWND w = FindWindowW(0, L"Kestrane Pivora!"); w && !other; w = FindWindowExW(0, w, 0, L"Kestrane Pivora!"))
            if (!window || w != reinterpret_cast<HWND>(window->winId()))
                other = w;
        if (!other)
            QTest::qWait(100);
    }
    QVERIFY(other);
    PostMessageW(other, WM_CLOSE, 0, 0);
}

QTEST_MAIN(WineJourneyTest)
#include "wine_journey_test.moc"
