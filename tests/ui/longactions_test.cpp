// Reset with servers that take their time: the window keeps answering, the
// progress dialog shows where the reset is, and Cancel stops it after the
// server being registered, with the table rebuilt from what happened.
#include "actionlock.h"
#include "filterregistrystore.h"
#include "filtertablefixture.h"
#include "messageboxcloser.h"
#include "testkeys.h"

#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

const int h264 = 0, hevc = 2;
const uint32_t custom = 0x00123456;

// Points a registered filter's class key at a server of the tests' own,
// which takes TESTSERVER_SLEEP_MS to register and leaves the merit alone.
void serveBySlowServer(int slot, const std::string &server)
{
    HKEY key = 0;
    const std::string path = std::string("CLSID\\") + knownFilterRows[slot].clsid + "\\InprocServer32";
    QCOMPARE(int(RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | KEY_WRITE, &key)), 0);
    const std::wstring wide = testsupport::widen(server);
    RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE *>(wide.c_str()),
                   DWORD((wide.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

DWORD testServerRegistrations()
{
    HKEY key = 0;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, testkeys::testServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0, size = sizeof count;
    RegQueryValueExA(key, "Registrations", 0, 0, reinterpret_cast<BYTE *>(&count), &size);
    RegCloseKey(key);
    return count;
}

} // namespace

class LongActionsTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpRegistry();
        SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey);
        testsupport::setEnvironment("TESTSERVER_SLEEP_MS", "1200");
        folder = testsupport::makeTempFolder();
        // Two servers that take their time, for two listed filters.
        registerFilters({h264, h264});
        registerFilters({hevc, hevc});
        const std::string original = testsupport::programFolder() + "TestServer.ax";
        const std::string copy = folder + "TestServerCopy.ax";
        QVERIFY(std::filesystem::copy_file(original, copy));
        serveBySlowServer(h264, original);
        serveBySlowServer(hevc, copy);
        for (int slot : {h264, hevc})
            QCOMPARE(int(writeFilterMerit(custom, 0, knownFilterRows[slot].clsid)), 0);
        open();
        window->show();
        ticks = 0;
        labels.clear();
    }
    void cleanup()
    {
        testsupport::setEnvironment("TESTSERVER_SLEEP_MS", nullptr);
        tearDown();
        SHDeleteKeyA(HKEY_CLASSES_ROOT, testkeys::sandboxKey);
        testsupport::removeTree(folder);
    }

    void windowAnswersAndShowsProgressWhileResetRuns();
    void cancelStopsAfterTheServerBeingRegistered();
    void aChangeWaitsForAnotherToolsWithTheWindowAnswering();

private:
    // Presses Reset from the event loop and records, every 20 ms, the
    // progress dialog's text; `whileShown` runs once it shows.
    void reset(const std::function<void(QProgressDialog *)> &whileShown = {})
    {
        act([this] { windowButton("&Reset")->click(); }, whileShown);
    }
    // Runs `action` from the event loop, recording as reset() does.
    void act(const std::function<void()> &action, const std::function<void(QProgressDialog *)> &whileShown = {})
    {
        bool done = false;
        QTimer watcher;
        connect(&watcher, &QTimer::timeout, [&] {
            ++ticks;
            QProgressDialog *dialog = window->findChild<QProgressDialog *>();
            if (dialog && dialog->isVisible() && !dialog->labelText().isEmpty()) {
                labels << dialog->labelText();
                if (whileShown && labels.size() == 1)
                    whileShown(dialog);
            }
        });
        watcher.start(20);
        QTimer::singleShot(0, [&] {
            action();
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 20000);
    }

    std::string folder;
    int ticks = 0;
    QStringList labels;
};

void LongActionsTest::windowAnswersAndShowsProgressWhileResetRuns()
{
    MessageBoxCloser closer;
    reset();
    // Two servers of 1.2 s each: the event loop ran all along.
    QVERIFY2(ticks > 40, qPrintable(QString("the event loop ran %1 times in 2.4 s").arg(ticks)));
    QVERIFY(!labels.isEmpty());
    QCOMPARE(labels.first(), QString::fromUtf8("Resetting Kestrane H.264 Video Decoder (1 of 2)\xE2\x80\xA6"));
    QCOMPARE(labels.last(), QString::fromUtf8("Resetting Kestrane HEVC Video Decoder (2 of 2)\xE2\x80\xA6"));
    QCOMPARE(int(testServerRegistrations()), 2);
    // The slow server writes no merit: both registrations failed to put the
    // default back, on a registry that refused nothing.
    QCOMPARE(closer.count(), 1);
    QVERIFY(closer.seen()[0].text.startsWith("These filters keep the merits they had:"));
    QVERIFY(closer.seen()[0].text.contains("did not write its default merit"));
    QVERIFY(!window->findChild<QProgressDialog *>() || !window->findChild<QProgressDialog *>()->isVisible());
}

void LongActionsTest::cancelStopsAfterTheServerBeingRegistered()
{
    MessageBoxCloser closer;
    reset([](QProgressDialog *dialog) {
        QPushButton *cancel = dialog->findChild<QPushButton *>();
        QVERIFY(cancel);
        QCOMPARE(cancel->text(), QString("Cancel"));
        cancel->click();
    });
    QCOMPARE(int(testServerRegistrations()), 1); // the first server ran to its end, the second never started
    QCOMPARE(table->rowCount(), 2);              // rebuilt
    QCOMPARE(closer.count(), 2); // what the stop left undone, then the first server's failure
    QCOMPARE(closer.seen()[0].text, QString("Reset stopped after 1 of 2 filters; the others keep their merits."));
}

// Another tool holds the action lock (here a thread of this process, as
// the lock is counted per thread): a merit change waits for it on the worker,
// the window answering and saying what it waits for, then does its work.
void LongActionsTest::aChangeWaitsForAnotherToolsWithTheWindowAnswering()
{
    std::atomic<bool> held(false);
    std::thread otherTool([&] {
        const ActionLock lock(LockWait{});
        held = lock.held();
        testsupport::sleepMs(3000);
        // What the other tool changed meanwhile is in the table afterwards.
        writeFilterMerit(custom + 1, 0, knownFilterRows[h264].clsid);
    });
    QTRY_VERIFY(held);
    MessageBoxCloser closer;
    act([this] { choose(hevc, 2); });
    otherTool.join();
    QVERIFY2(ticks > 50, qPrintable(QString("the event loop ran %1 times in 3 s").arg(ticks)));
    QVERIFY(labels.contains(QString::fromUtf8("Waiting for another Kestrane filter tool to finish\xE2\x80\xA6")));
    QCOMPARE(readFilterMerit(0, knownFilterRows[hevc].clsid), 0xFFFFFFFFu);
    const auto shownMerit = [this] {
        const QTableWidgetItem *item = table->item(rowOfSlot(h264), ColumnCurrentMerit);
        return item ? item->text() : QString();
    };
    QTRY_COMPARE(shownMerit(), QString("0x00123457"));
    QCOMPARE(closer.count(), 0);
}

QTEST_MAIN(LongActionsTest)
#include "longactions_test.moc"
