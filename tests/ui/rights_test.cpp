// Rights asked for where they are missing. Natively the program runs twice:
// as a limited process, which sees the line that changes need administrator
// rights and is offered a restart with them, and as an elevated one
// (WIN32_STANDIN_ELEVATED=1, as "runas" starts it), for which the registry's
// refusal is lifted and an action carried on the command line runs.
#include "elevation.h"
#include "filterregistrystore.h"
#include "filtertablefixture.h"
#include "messageboxcloser.h"
#include "pendingaction.h"

#include <QLabel>
#include <QMessageBox>
#include <QStyle>
#include <QTimer>

namespace {

const int vp9 = 11;

} // namespace

class RightsTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpRegistry();
        registerFilters({vp9, vp9});
    }
    void cleanup() { tearDown(); }

    void actionsTravelOnTheCommandLine();
    void limitedProcessIsOfferedARestart();
    void elevatedProcessPerformsTheCarriedAction();

private:
    // The buttons of the next message box, which is then answered with Ok.
    QStringList buttonsOfNextBox()
    {
        QStringList texts;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            QMessageBox *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !texts.isEmpty())
                return;
            for (QAbstractButton *button : box->buttons())
                texts << button->text() + (button->icon().isNull() ? "" : " (icon)");
            box->button(QMessageBox::Ok)->click();
        });
        timer.start(20);
        choose(vp9, 2); // High
        return texts;
    }
};

void RightsTest::actionsTravelOnTheCommandLine()
{
    PendingAction action;
    action.kind = PendingAction::SetMerit;
    action.clsid = knownFilterRows[vp9].clsid;
    action.merit = "0x00600000";
    const PendingAction back = PendingAction::fromArguments(action.arguments());
    QCOMPARE(int(back.kind), int(PendingAction::SetMerit));
    QCOMPARE(back.clsid, action.clsid);
    QCOMPARE(back.merit, action.merit);
    QCOMPARE(int(back.view), int(RegistryView::Bits64));
    // The view it was refused in travels with it.
    action.view = RegistryView::Bits32;
    QCOMPARE(action.arguments(), QStringList({"set", action.clsid, "0x00600000", "--view", "32"}));
    QCOMPARE(int(PendingAction::fromArguments(action.arguments()).view), int(RegistryView::Bits32));
    QCOMPARE(int(PendingAction::fromArguments({"reset"}).kind), int(PendingAction::Reset));
    action.kind = PendingAction::Enforce;
    QCOMPARE(action.arguments(), QStringList({"enforce", "--view", "32"}));
    QCOMPARE(int(PendingAction::fromArguments(action.arguments()).kind), int(PendingAction::Enforce));
    QCOMPARE(int(PendingAction::fromArguments({}).kind), int(PendingAction::None));
    // Anything else is no action, and says what was not understood.
    for (const QStringList &bad :
         {QStringList{"set", action.clsid, "higher"}, QStringList{"reset", "x"}, QStringList{"enforce", "now"},
          QStringList{"unregister", "{not-a-clsid}", "--yes"}, QStringList{"unregister", action.clsid},
          QStringList{"-style", "windows"}, QStringList{"--view", "16", "reset"}, QStringList{"--view", "32"}}) {
        QString error;
        QCOMPARE(int(PendingAction::fromArguments(bad, &error).kind), int(PendingAction::None));
        QVERIFY(error.contains(bad.join(' ')));
    }
}

void RightsTest::limitedProcessIsOfferedARestart()
{
    if (processElevated())
        QSKIP("an elevated process is never offered a restart");
    if (!registry->setFiltersWritable(false))
        QSKIP("this platform cannot take write access away from a test");
    open();
    window->show();
    // The line above the table, before the user tried anything.
    QLabel *line = 0;
    for (QLabel *label : window->findChildren<QLabel *>())
        if (label->text() == "Changes to these filters need administrator rights.")
            line = label;
    QVERIFY(line);
    // With the UAC shield, where the style has one (Windows' does).
    const bool shield = !QApplication::style()->standardIcon(QStyle::SP_VistaShield).isNull();
    QPushButton *restart = windowButton("Restart as administrator");
    QVERIFY(restart);
    QCOMPARE(!restart->icon().isNull(), shield);
    // The refusal offers the same restart.
    QCOMPARE(buttonsOfNextBox(),
             QStringList() << "OK" << QString("Restart as administrator") + (shield ? " (icon)" : ""));
    QCOMPARE(readFilterMerit(0, knownFilterRows[vp9].clsid), knownFilterRows[vp9].defaultMerit);
    // Declined at the prompt: the window stays and says nothing more.
    testsupport::setEnvironment("WIN32_STANDIN_UAC", "decline");
    MessageBoxCloser closer;
    restart->click();
    testsupport::setEnvironment("WIN32_STANDIN_UAC", nullptr);
    QCOMPARE(closer.count(), 0);
    QVERIFY(window->isVisible());
}

void RightsTest::elevatedProcessPerformsTheCarriedAction()
{
    if (!processElevated())
        QSKIP("runs in the elevated process");
    // Natively the registry file refuses writes, as for a limited user; the
    // elevated process writes all the same. Windows has no such switch for a
    // test: there an administrator's elevated process just writes.
    registry->setWritable(false);
    open();
    for (QLabel *label : window->findChildren<QLabel *>())
        QVERIFY(label->text() != "Changes to these filters need administrator rights.");
    MessageBoxCloser closer;
    window->performAction(PendingAction::fromArguments({"set", knownFilterRows[vp9].clsid, "high"}));
    QCOMPARE(readFilterMerit(0, knownFilterRows[vp9].clsid), 0xFFFFFFFFu);
    QCOMPARE(table->item(rowOfSlot(vp9), ColumnCurrentMerit)->text(), QString("High"));
    QCOMPARE(selector(rowOfSlot(vp9))->currentText(), QString("High"));
    window->performAction(PendingAction::fromArguments({"unregister", knownFilterRows[vp9].clsid, "--yes"}));
    QCOMPARE(closer.count(), 0); // confirmed before the restart: not asked again
    QVERIFY(!isFilterRegistered(0, knownFilterRows[vp9].clsid));
    QCOMPARE(table->rowCount(), 0);
    registry->setWritable(true);
}

QTEST_MAIN(RightsTest)
#include "rights_test.moc"
