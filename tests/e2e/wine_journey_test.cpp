// The user's journey through the real window under Wine: sample servers
// registered by the system's own regsvr32.exe, then High, Disable, Default, a
// custom merit, Reset, Register through the file dialog and Unregister with
// its confirmation. After every step the window must show what the registry
// holds, read through the registry API and, for one filter, through
// DirectShow's enumeration of the legacy filter category.
#include "filterview_windows.h"
#include "knownfilterrows.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "messageboxcloser.h"
#include "pivoracentral.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <windows.h>

#include <cstring>

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

// Answers, with OK, the message boxes of other programs: the system's
// regsvr32 reports on its own when it is not silent, and waits for the user.
BOOL CALLBACK answerForeignBox(HWND window, LPARAM seen)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char windowClass[16] = "";
    GetClassNameA(window, windowClass, sizeof(windowClass));
    if (pid != GetCurrentProcessId() && std::strcmp(windowClass, "#32770") == 0 && IsWindowVisible(window)) {
        char text[1024] = "";
        GetDlgItemTextA(window, 0xFFFF, text, sizeof(text)); // the box's text control
        reinterpret_cast<QStringList *>(seen)->append(QString::fromLocal8Bit(text));
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

// The merit a "Current Merit" cell stands for.
quint32 shownMerit(const QString &text, quint32 defaultMerit, bool &ok)
{
    ok = true;
    if (text == "Default")
        return defaultMerit;
    if (text == "Disable")
        return 0x200000;
    if (text == "High")
        return 0xFFFFFFFF;
    return text.toUInt(&ok, 16);
}

} // namespace

// A step's checks; a failed one ends the journey there.
#define VERIFY_AGREEMENT(step)                                                                                        \
    do {                                                                                                               \
        verifyAgreement(step);                                                                                         \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (0)

class WineJourneyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void windowAndRegistryAgreeAfterEveryStep();

private:
    void verifyAgreement(const char *step);
    int rowOfSlot(int slot);
    MeritTWComboBox *selector(int row) { return qobject_cast<MeritTWComboBox *>(table->cellWidget(row, 3)); }
    void choose(int slot, int position);
    QPushButton *windowButton(const QString &label);

    testsupport::ScopedRegistry *registry = 0;
    PivoraCentral *window = 0;
    QTableWidget *table = 0;
};

void WineJourneyTest::initTestCase()
{
    // Qt's own file dialog, which the test can type into.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    registry = new testsupport::ScopedRegistry;
    for (int slot : startSlots) {
        const QString path = QDir::toNativeSeparators(serverPath(slot));
        QCOMPARE(QProcess::execute("regsvr32.exe", {"/s", path}), 0);
    }
    window = new PivoraCentral;
    table = window->findChild<QTableWidget *>();
    QVERIFY(table);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void WineJourneyTest::cleanupTestCase()
{
    delete window;
    delete registry;
}

int WineJourneyTest::rowOfSlot(int slot)
{
    for (int r = 0; r < table->rowCount(); ++r)
        if (selector(r) && selector(r)->index() == slot)
            return r;
    return -1;
}

// Opens the row's "New Merit" selector and picks an entry with the keyboard.
void WineJourneyTest::choose(int slot, int position)
{
    MeritTWComboBox *box = selector(rowOfSlot(slot));
    QVERIFY(box);
    box->setFocus();
    box->showPopup();
    box->view()->setCurrentIndex(box->model()->index(position, 0));
    QTest::keyClick(box->view(), Qt::Key_Return);
}

QPushButton *WineJourneyTest::windowButton(const QString &label)
{
    for (QPushButton *b : window->findChildren<QPushButton *>())
        if (b->text() == label)
            return b;
    return 0;
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
        bool ok = false;
        const quint32 merit = shownMerit(table->item(row, 1)->text(), known.defaultMerit, ok);
        QVERIFY2(ok && view.hasMerit && merit == view.merit,
                 qPrintable(QString("%1: %2 shows %3, the registry holds %4")
                                .arg(step, known.name, table->item(row, 1)->text())
                                .arg(view.merit, 8, 16, QChar('0'))));
        QCOMPARE(table->item(row, 0)->text(), QString::fromStdString(view.name));
        if (slot == watchedSlot) {
            const FilterView listed = directShowView(known.clsid);
            QVERIFY2(listed.registered && listed.hasMerit, step);
            QCOMPARE(listed.merit, merit);
            QCOMPARE(QString::fromStdString(listed.name), table->item(row, 0)->text());
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
    QCOMPARE(table->item(rowOfSlot(watchedSlot), 1)->text(), QString("High"));
    VERIFY_AGREEMENT("High");
    choose(watchedSlot, 1);
    QCOMPARE(table->item(rowOfSlot(watchedSlot), 1)->text(), QString("Disable"));
    VERIFY_AGREEMENT("Disable");
    choose(watchedSlot, 0);
    QCOMPARE(table->item(rowOfSlot(watchedSlot), 1)->text(), QString("Default"));
    VERIFY_AGREEMENT("Default");

    choose(customSlot, 3);
    MeritTWLineEdit *cell = qobject_cast<MeritTWLineEdit *>(table->cellWidget(rowOfSlot(customSlot), 4));
    QVERIFY(cell);
    cell->setFocus();
    cell->selectAll();
    QTest::keyClicks(cell, "654321");
    QTest::keyClick(cell, Qt::Key_Return);
    QCOMPARE(table->item(rowOfSlot(customSlot), 1)->text(), QString("0x00654321"));
    VERIFY_AGREEMENT("custom merit");

    choose(watchedSlot, 2);
    QTest::mouseClick(windowButton("&Reset"), Qt::LeftButton);
    for (int r = 0; r < table->rowCount(); ++r)
        QCOMPARE(table->item(r, 1)->text(), QString("Default"));
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
    QStringList regsvr32Boxes;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, [&] { EnumWindows(answerForeignBox, LPARAM(&regsvr32Boxes)); });
    typist.start(20);
    answerer.start(50);
    QTest::mouseClick(windowButton("Register &new filters"), Qt::LeftButton);
    typist.stop();
    answerer.stop();
    QCOMPARE(dialogs, 1);
    QVERIFY2(regsvr32Boxes.size() <= 1, qPrintable(regsvr32Boxes.join(" | ")));
    QVERIFY(rowOfSlot(registeredSlot) >= 0);
    VERIFY_AGREEMENT("Register");

    const int row = rowOfSlot(registeredSlot);
    QTest::mouseClick(qobject_cast<QPushButton *>(table->cellWidget(row, 5)), Qt::LeftButton);
    QCOMPARE(closer.count(), 1);
    QVERIFY(closer.seen()[0].text.contains(knownFilterRows[registeredSlot].name));
    QCOMPARE(rowOfSlot(registeredSlot), -1);
    VERIFY_AGREEMENT("Unregister");
}

QTEST_MAIN(WineJourneyTest)
#include "wine_journey_test.moc"
