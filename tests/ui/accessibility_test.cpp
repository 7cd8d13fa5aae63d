// What a screen reader gets of the window through Qt's accessibility
// interface: names that say each control's filter, descriptions and alerts
// that follow changes, the names heard with the keyboard alone; the merit
// answer by keyboard; high contrast.
#include "accessibility.h"
#include "backgroundaction.h"
#include "filtertablefixture.h"
#include "merittooltip.h"
#include "messageboxcloser.h"
#include "readabletooltips.h"

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessibleEvent>
#include <QFile>
#include <QHeaderView>
#include <QThread>
#include <QToolTip>
#include <QtTest>

namespace {

const int h264Software = 1, vc1 = 4;

// Qt names a combo box by its choice on Linux (screen readers there take
// its label's name), by its accessible name on Windows.
QString nameOf(QAccessibleInterface *control)
{
    return control->role() == QAccessible::ComboBox ? static_cast<QWidget *>(control->object())->accessibleName()
                                                    : control->text(QAccessible::Name);
}

// Every event raised: its type, and its source's name and description then.
QStringList heard;
void listen(QAccessibleEvent *event)
{
    if (QAccessibleInterface *source = event->accessibleInterface())
        heard << QString("%1 %2 | %3").arg(event->type()).arg(nameOf(source), source->text(QAccessible::Description));
}
bool wasHeard(QAccessible::Event type, const QString &name, const QString &description = QString())
{
    for (const QString &h : heard)
        if (h.startsWith(QString("%1 %2 | %3").arg(type).arg(name, description)))
            return true;
    return false;
}

void setHighContrastFlags(const char *flags)
{
    HKEY key = 0;
    QCOMPARE(int(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", 0, 0, 0,
                                 KEY_WRITE, 0, &key, 0)), 0);
    RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE *>(flags), DWORD(strlen(flags) + 1));
    RegCloseKey(key);
}

} // namespace

class AccessibilityTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        setUpRegistry();
        registerFilters({h264Software, vc1});
        // As the platform does when a screen reader first asks the window.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        heard.clear();
        QAccessible::installUpdateHandler(listen);
        open();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }
    void cleanup()
    {
        QAccessible::installUpdateHandler(nullptr);
        tearDown();
    }

    void everyRowControlHasAUniqueNameOfItsFilter();
    void descriptionsAndAlertsFollowChanges();
    void keyboardAloneAndTheMeritAnswer();
    void highContrast();
};

void AccessibilityTest::everyRowControlHasAUniqueNameOfItsFilter()
{
    choose(vc1, 3); // a custom merit cell in one row
    QAccessibleTableInterface *cells = QAccessible::queryAccessibleInterface(table)->tableInterface();
    QCOMPARE(QAccessible::queryAccessibleInterface(table)->text(QAccessible::Name), QString("Filters of 64-bit players"));
    QStringList names;
    for (QPushButton *button : window->findChildren<QPushButton *>())
        if (button->isVisible() && !table->isAncestorOf(button))
            names << nameOf(QAccessible::queryAccessibleInterface(button));
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString name = table->item(row, ColumnName)->text();
        QCOMPARE(cells->cellAt(row, 0)->tableCellInterface()->rowHeaderCells().value(0)->text(QAccessible::Name), name);
        QCOMPARE(table->model()->headerData(row, Qt::Vertical).toString(), QString::number(row + 1)); // as shown
        for (int column = ColumnNewMerit; column <= ColumnUnregister; ++column)
            if (QWidget *widget = table->cellWidget(row, column)) {
                const QString said = nameOf(QAccessible::queryAccessibleInterface(widget));
                QVERIFY2(said.endsWith(" of " + name) || said == "Unregister " + name, qPrintable(said));
                QCOMPARE(cells->cellAt(row, column)->text(QAccessible::Name), said); // where the keyboard is
                QVERIFY(!widget->accessibleDescription().isEmpty());
                names << said;
            }
    }
    QVERIFY(names.contains(QString("Custom merit of ") + knownFilterRows[vc1].name));
    QCOMPARE(names.size(), 4 + 4 * 2 + 1); // the window's buttons, each row's and the custom cell
    QCOMPARE(names.removeDuplicates(), 0);

    // A disabled control says why, as its tooltip does.
    QWidget *selector = table->cellWidget(rowOfSlot(h264Software), ColumnNewMerit);
    selector->setEnabled(false);
    selector->setToolTip("Set by your organisation's policy: High");
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, h264Software),
                                      Q_ARG(int, rowOfSlot(h264Software)), Q_ARG(int, int(ColumnName))));
    QCOMPARE(selector->accessibleDescription(), selector->toolTip());
}

void AccessibilityTest::descriptionsAndAlertsFollowChanges()
{
    const QString name = knownFilterRows[vc1].name;
    const auto meritCell = [&] {
        return QAccessible::queryAccessibleInterface(table)->tableInterface()->cellAt(rowOfSlot(vc1),
                                                                                      ColumnCurrentMerit);
    };
    QVERIFY(meritCell()->text(QAccessible::Description).contains("Tried first")); // the tooltip's answer
    choose(vc1, 1); // Disable
    QVERIFY(wasHeard(QAccessible::Alert, "Current merit of " + name + ": Disable"));
    QVERIFY(wasHeard(QAccessible::DescriptionChanged, "New merit of " + name,
                     "Its merit is Disable. Space opens the merits to choose from."));
    QVERIFY(meritCell()->text(QAccessible::Description).contains("Never tried"));

    // A re-registration undoes the choice: the line that says so is heard, once.
    registerFilters({vc1, vc1});
    heard.clear();
    refresh();
    const QString line = "1 filter lost the merit chosen for it: its server was registered again.";
    QVERIFY(wasHeard(QAccessible::Alert, line));
    heard.clear();
    refresh();
    QVERIFY(!wasHeard(QAccessible::Alert, line));

    // A long action: heard as its progress dialog shows, and as it ends.
    BackgroundAction action(window);
    action.run([&] {
        action.report("Resetting", 0, 1);
        QThread::msleep(BackgroundAction::progressDelayMs + 3 * BackgroundAction::progressUpdateMs);
    });
    QVERIFY(wasHeard(QAccessible::Alert, "Progress of the action", "Resetting"));
    QVERIFY(wasHeard(QAccessible::Alert, "Progress of the action", "Done."));
}

// What a screen reader says at each stop of Tab and of the arrow keys
// along a row; with KESTRANE_SCREEN_READER_LOG, written to that file.
// The context menu key on a "Current Merit" cell shows the tooltip's answer.
void AccessibilityTest::keyboardAloneAndTheMeritAnswer()
{
    QApplication::setActiveWindow(window);
    table->setFocus();
    table->setCurrentCell(rowOfSlot(vc1), ColumnName);
    QStringList said;
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Right, Qt::Key_Right,
                        Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}) {
        heard.clear();
        QTest::keyClick(QApplication::focusWidget(), key);
        for (const QString &h : heard)
            if (h.startsWith(QString("%1 ").arg(QAccessible::Focus)))
                said << QKeySequence(key).toString() + ": " + h.section(' ', 1).section(" | ", 0, 0);
    }
    if (!qEnvironmentVariableIsEmpty("KESTRANE_SCREEN_READER_LOG")) {
        QFile log(qEnvironmentVariable("KESTRANE_SCREEN_READER_LOG"));
        QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Text));
        log.write(said.join('\n').toUtf8() + '\n');
    }
    const QString name = knownFilterRows[vc1].name;
    for (const QString &expected : {"Right: Current merit of " + name + ": Default", "Right: New merit of " + name,
                                    "Right: Custom merit of " + name, "Right: Unregister " + name, QString("Tab: Reset")})
        QVERIFY2(said.contains(expected), qPrintable(said.join('\n')));
    QVERIFY2(!said.join('\n').contains(": \n"), qPrintable(said.join('\n')));

    MessageBoxCloser closer;
    table->setCurrentCell(rowOfSlot(vc1), ColumnCurrentMerit);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(1, 1));
    QApplication::sendEvent(table, &key);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen().first().text, meritToolTipText(meritStanding(knownFilterRows[vc1].clsid, RegistryView::Bits64)));
}

// The stand-in follows the setting as written; Windows reads it at logon
// and Wine not at all, where scripts/wine-tests checks the window's text
// contrast in high-contrast colours instead (KESTRANE_HIGH_CONTRAST_SCHEME).
void AccessibilityTest::highContrast()
{
    if (!qEnvironmentVariableIsEmpty("KESTRANE_HIGH_CONTRAST_SCHEME")) {
        makeToolTipsReadable();
        QList<QWidget *> widgets = window->findChildren<QWidget *>() << window;
        for (QWidget *widget : widgets) {
            const QPalette palette = widget->palette();
            for (auto pair : {qMakePair(widget->foregroundRole(), widget->backgroundRole()),
                              qMakePair(QPalette::ButtonText, QPalette::Button), qMakePair(QPalette::Text, QPalette::Base),
                              qMakePair(QPalette::HighlightedText, QPalette::Highlight)})
                QVERIFY2(!widget->isVisible() || contrastRatio(palette.color(pair.first), palette.color(pair.second)) >= 4.5,
                         qPrintable(QString("%1: %2 on %3").arg(widget->metaObject()->className(),
                                                                palette.color(pair.first).name(),
                                                                palette.color(pair.second).name())));
        }
        QVERIFY(contrastRatio(QToolTip::palette().color(QPalette::ToolTipText),
                              QToolTip::palette().color(QPalette::ToolTipBase)) >= 4.5);
        return;
    }
    if (QGuiApplication::platformName() == QLatin1String("windows"))
        QSKIP("the high-contrast setting is the system's own here");
    QPalette theme = QToolTip::palette(); // grey on grey, which would be mended
    theme.setColor(QPalette::Inactive, QPalette::ToolTipBase, QColor(0x80, 0x80, 0x80));
    theme.setColor(QPalette::Inactive, QPalette::ToolTipText, QColor(0x90, 0x90, 0x90));
    QToolTip::setPalette(theme);
    setHighContrastFlags("126"); // available, not on
    QVERIFY(!highContrastOn());
    setHighContrastFlags("127");
    QVERIFY(highContrastOn());
    makeToolTipsReadable();
    QCOMPARE(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipText), QColor(0x90, 0x90, 0x90));
    tearDown();
    setUpRegistry();
    setHighContrastFlags("127");
    open(); // no header section drawn over the classic style's dithered pattern
    QVERIFY(!table->horizontalHeader()->highlightSections() && !table->verticalHeader()->highlightSections());
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
