// What a screen reader gets of the window through Qt's accessibility
// interface: a name for every control that says its filter, descriptions
// that follow a change, and the events that make it speak changes it did not
// cause. Also the merit tooltip's answer by keyboard and the high-contrast
// theme, in which the tooltips keep the system's colours.
#include "accessibility.h"
#include "backgroundaction.h"
#include "filtertablefixture.h"
#include "merittooltip.h"
#include "readabletooltips.h"
#include "testsupport.h"

#include "messageboxcloser.h"

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessibleEvent>
#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QFile>
#include <QSet>
#include <QThread>
#include <QToolTip>
#include <QtTest>

namespace {

const int h264Software = 1, vc1 = 4;

// A control's name. Qt names a combo box by its choice on Linux, where
// screen readers name it by its label, and by its accessible name on Windows.
QString controlName(QAccessibleInterface *control)
{
    if (control->role() == QAccessible::ComboBox)
        return static_cast<QWidget *>(control->object())->accessibleName();
    return control->text(QAccessible::Name);
}

// Every event raised, with what its source said when it was raised.
struct Heard {
    QAccessible::Event type;
    QString name, description;
};
QList<Heard> heard;

void listen(QAccessibleEvent *event)
{
    QAccessibleInterface *source = event->accessibleInterface();
    if (source)
        heard.append({event->type(), controlName(source), source->text(QAccessible::Description)});
}

bool wasHeard(QAccessible::Event type, const QString &name, const QString &description = QString())
{
    for (const Heard &h : heard)
        if (h.type == type && h.name == name && (description.isNull() || h.description == description))
            return true;
    return false;
}

// The controls a user can work: focusable, or with an action to press.
void collectControls(QAccessibleInterface *object, QList<QAccessibleInterface *> &controls)
{
    if (object->state().invisible)
        return;
    const QAccessible::State state = object->state();
    const bool acts = object->actionInterface() && !object->actionInterface()->actionNames().isEmpty();
    if ((state.focusable || acts) && object->role() != QAccessible::Cell)
        controls << object;
    for (int i = 0; i < object->childCount(); ++i)
        if (QAccessibleInterface *child = object->child(i))
            collectControls(child, controls);
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
        registerFilters(mpeg2Decoders);
        // As the platform does when a screen reader first asks the window.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        heard.clear();
        QAccessible::installUpdateHandler(listen);
    }
    void cleanup()
    {
        QAccessible::installUpdateHandler(nullptr);
        tearDown();
    }

    void everyControlSaysWhatItIsForAndWhichFilter();
    void descriptionsAndAnnouncementsFollowChanges();
    void longActionAnnouncesItsStartAndEnd();
    void meritAnswerByKeyboard();
    void keyboardAloneAsAScreenReaderHearsIt();
    void highContrastKeepsTheSystemColours();
    void textContrastInTheSystemColours();
};

void AccessibilityTest::everyControlSaysWhatItIsForAndWhichFilter()
{
    open();
    choose(vc1, 3); // a custom merit cell in one row
    QVERIFY(customCell(rowOfSlot(vc1)));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(window);
    QList<QAccessibleInterface *> controls;
    collectControls(root, controls);
    QAccessibleTableInterface *cells = QAccessible::queryAccessibleInterface(table)->tableInterface();
    QVERIFY(cells);
    QCOMPARE(QAccessible::queryAccessibleInterface(table)->text(QAccessible::Name),
             QString("Filters of 64-bit players"));

    // Each row's controls, as the keyboard meets them (the cells) and as
    // their widgets say themselves.
    for (int row = 0; row < table->rowCount(); ++row) {
        const QString name = table->item(row, ColumnName)->text();
        QCOMPARE(cells->cellAt(row, 0)->tableCellInterface()->rowHeaderCells().value(0)->text(QAccessible::Name), name);
        QCOMPARE(table->model()->headerData(row, Qt::Vertical).toString(), QString::number(row + 1));
        QCOMPARE(cells->cellAt(row, ColumnCurrentMerit)->text(QAccessible::Name),
                 QString("Current merit of %1: %2").arg(name, table->item(row, ColumnCurrentMerit)->text()));
        const QString expected[] = {"New merit of " + name, "Custom merit of " + name, "Unregister " + name};
        for (int column = ColumnNewMerit; column <= ColumnUnregister; ++column) {
            QWidget *widget = table->cellWidget(row, column);
            if (!widget)
                continue;
            QAccessibleInterface *control = QAccessible::queryAccessibleInterface(widget);
            QCOMPARE(controlName(control), expected[column - ColumnNewMerit]);
            QVERIFY(!control->text(QAccessible::Description).isEmpty());
            QCOMPARE(cells->cellAt(row, column)->text(QAccessible::Name), expected[column - ColumnNewMerit]);
            if (!controls.contains(control))
                controls << control;
        }
    }
    // Unique in the window, and none without a name.
    QSet<QString> names;
    for (QAccessibleInterface *control : controls) {
        const QString name = controlName(control);
        QVERIFY2(!name.isEmpty(), qPrintable(QString("a control of role %1").arg(control->role())));
        QVERIFY2(!names.contains(name), qPrintable("twice: " + name));
        names << name;
    }
    QVERIFY(names.contains(QString("Unregister ") + knownFilterRows[vc1].name));
    QVERIFY(names.contains(QString("Custom merit of ") + knownFilterRows[vc1].name));
    QVERIFY(names.contains("Reset"));
    QVERIFY2(names.size() >= 6 * 2 + 1 + 4, qPrintable(QStringList(names.values()).join(", ")));

    // A disabled control says why, as its tooltip does.
    QWidget *selector = table->cellWidget(rowOfSlot(h264Software), ColumnNewMerit);
    selector->setEnabled(false);
    selector->setToolTip("Set by your organisation's policy: High");
    QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh", Q_ARG(int, h264Software), Q_ARG(int, rowOfSlot(h264Software)),
                                      Q_ARG(int, int(ColumnName))));
    QCOMPARE(selector->accessibleDescription(), QString("Set by your organisation's policy: High"));
}

void AccessibilityTest::descriptionsAndAnnouncementsFollowChanges()
{
    open();
    window->show();
    const QString name = knownFilterRows[vc1].name;
    const int row = rowOfSlot(vc1);
    QAccessibleInterface *meritCell = QAccessible::queryAccessibleInterface(table)->tableInterface()->cellAt(
        row, ColumnCurrentMerit);
    const QString before = meritCell->text(QAccessible::Description);
    QVERIFY2(before.contains("Tried first"), qPrintable(before));

    choose(vc1, 1); // Disable
    QVERIFY(wasHeard(QAccessible::Alert, "Current merit of " + name + ": Disable"));
    QCOMPARE(selector(row)->accessibleDescription(), QString("Its merit is Disable. Space opens the merits to "
                                                             "choose from."));
    QVERIFY(wasHeard(QAccessible::DescriptionChanged, "New merit of " + name));
    // The cell's description is the tooltip's answer for the merit now.
    meritCell = QAccessible::queryAccessibleInterface(table)->tableInterface()->cellAt(rowOfSlot(vc1),
                                                                                       ColumnCurrentMerit);
    QVERIFY2(meritCell->text(QAccessible::Description).contains("Never tried"),
             qPrintable(meritCell->text(QAccessible::Description)));

    // A re-registration undoes the choice: the line that says so is heard.
    registerFilters({vc1, vc1});
    heard.clear();
    refresh();
    const QString line = "1 filter lost the merit chosen for it: its server was registered again.";
    QVERIFY(wasHeard(QAccessible::Alert, line));
    heard.clear();
    refresh(); // a line already shown is not heard again
    QVERIFY(!wasHeard(QAccessible::Alert, line));
}

void AccessibilityTest::longActionAnnouncesItsStartAndEnd()
{
    QWidget parent;
    parent.show();
    BackgroundAction action(&parent);
    action.run([&] {
        action.report("Resetting Kestrane VP9 Video Decoder (1 of 1)\xE2\x80\xA6", 0, 1);
        QThread::msleep(BackgroundAction::progressDelayMs + 3 * BackgroundAction::progressUpdateMs);
    });
    QVERIFY(wasHeard(QAccessible::Alert, "Progress of the action",
                     QString::fromUtf8("Resetting Kestrane VP9 Video Decoder (1 of 1)\xE2\x80\xA6")));
    QVERIFY(wasHeard(QAccessible::Alert, "Progress of the action", "Done."));
}

void AccessibilityTest::meritAnswerByKeyboard()
{
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    table->setFocus();
    MessageBoxCloser closer;
    // Elsewhere than on a Current Merit cell the key does nothing of ours.
    table->setCurrentCell(rowOfSlot(vc1), ColumnName);
    QContextMenuEvent onName(QContextMenuEvent::Keyboard, QPoint(1, 1));
    QApplication::sendEvent(table, &onName);
    QCOMPARE(closer.count(), 0);
    table->setCurrentCell(rowOfSlot(vc1), ColumnCurrentMerit);
    QContextMenuEvent onMerit(QContextMenuEvent::Keyboard, QPoint(1, 1));
    QApplication::sendEvent(table, &onMerit);
    QCOMPARE(closer.count(), 1);
    QCOMPARE(closer.seen().first().text,
             meritToolTipText(meritStanding(knownFilterRows[vc1].clsid, RegistryView::Bits64)));
}

// The user's setting where Windows keeps it; a decimal string of flags.
void setHighContrastFlags(const char *flags)
{
    HKEY key = 0;
    QCOMPARE(int(RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", 0, 0, 0,
                                 KEY_WRITE, 0, &key, 0)), 0);
    QCOMPARE(int(RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE *>(flags),
                                DWORD(strlen(flags) + 1))), 0);
    RegCloseKey(key);
}

// The window with the keyboard alone: what a screen reader says at every
// stop of Tab and of the arrow keys through a row, each a name that says
// what the stop is for. With KESTRANE_SCREEN_READER_LOG, the names go to
// that file in the order heard.
void AccessibilityTest::keyboardAloneAsAScreenReaderHearsIt()
{
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    table->setFocus();
    table->setCurrentCell(rowOfSlot(vc1), ColumnName);
    QStringList said;
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        heard.clear();
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        for (const Heard &h : heard)
            if (h.type == QAccessible::Focus)
                said << QKeySequence(int(key) | int(modifiers)).toString() + QString(": ") + h.name;
    };
    for (int stop = 0; stop < 5; ++stop) // the buttons, and back to the table
        press(Qt::Key_Tab, Qt::NoModifier);
    for (int column = ColumnName; column < ColumnUnregister; ++column)
        press(Qt::Key_Right, Qt::NoModifier);
    press(Qt::Key_Down, Qt::NoModifier);
    if (!qEnvironmentVariableIsEmpty("KESTRANE_SCREEN_READER_LOG")) {
        QFile log(qEnvironmentVariable("KESTRANE_SCREEN_READER_LOG"));
        QVERIFY(log.open(QIODevice::WriteOnly | QIODevice::Text));
        log.write(said.join(QLatin1Char('\n')).toUtf8() + '\n');
    }
    const QString name = knownFilterRows[vc1].name;
    for (const QString &expected : {"Right: New merit of " + name, "Right: Unregister " + name,
                                    "Right: Current merit of " + name + ": Default", QString("Tab: Reset")})
        QVERIFY2(said.contains(expected), qPrintable(expected + " not among:\n" + said.join(QLatin1Char('\n'))));
    for (const QString &stop : said)
        QVERIFY2(!stop.endsWith(QLatin1String(": ")), qPrintable("a stop without a name: " + said.join(", ")));
}

void AccessibilityTest::highContrastKeepsTheSystemColours()
{
    // Windows reads the setting at logon and Wine not at all: only the
    // stand-in follows the value as the test writes it.
    if (QGuiApplication::platformName() == QLatin1String("windows"))
        QSKIP("the high-contrast setting is the system's own here");
    // A theme whose tooltip text would be mended: grey on grey.
    QPalette theme = QToolTip::palette();
    theme.setColor(QPalette::Inactive, QPalette::ToolTipBase, QColor(0x80, 0x80, 0x80));
    theme.setColor(QPalette::Inactive, QPalette::ToolTipText, QColor(0x90, 0x90, 0x90));
    QToolTip::setPalette(theme);
    QVERIFY(!highContrastOn());
    setHighContrastFlags("126"); // available, but not on
    QVERIFY(!highContrastOn());
    setHighContrastFlags("127");
    QVERIFY(highContrastOn());
    makeToolTipsReadable();
    QCOMPARE(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipText), QColor(0x90, 0x90, 0x90));
    open(); // no header section drawn over the classic style's dithered pattern
    QVERIFY(!table->horizontalHeader()->highlightSections() && !table->verticalHeader()->highlightSections());
    setHighContrastFlags("126");
    makeToolTipsReadable();
    QVERIFY(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipText) != QColor(0x90, 0x90, 0x90));
}

// Every text of the window against its background, at least 4.5:1 in the
// system's colours of a high-contrast scheme (Wine's own default theme
// selects in white on #3096fa, 3.06:1, which is no colour of ours).
void AccessibilityTest::textContrastInTheSystemColours()
{
    if (qEnvironmentVariableIsEmpty("KESTRANE_HIGH_CONTRAST_SCHEME"))
        QSKIP("checked in the high-contrast schemes that scripts/wine-tests gives a Wine prefix");
    followHighContrast();
    makeToolTipsReadable();
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    typedef QPair<QPalette::ColorRole, QPalette::ColorRole> Pair; // text, background
    const auto check = [](const QString &what, const QPalette &palette, Pair pair) {
        const QColor text = palette.color(QPalette::Active, pair.first),
                     background = palette.color(QPalette::Active, pair.second);
        QVERIFY2(contrastRatio(text, background) >= 4.5,
                 qPrintable(QString("%1: %2 on %3, %4:1").arg(what, text.name(), background.name())
                                .arg(contrastRatio(text, background), 0, 'f', 2)));
    };
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets << window;
    for (QWidget *widget : widgets) {
        if (!widget->isVisible())
            continue;
        const QString what = widget->metaObject()->className();
        QList<Pair> pairs{{widget->foregroundRole(), widget->backgroundRole()}};
        if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget) ||
            qobject_cast<QHeaderView *>(widget))
            pairs << Pair(QPalette::ButtonText, QPalette::Button);
        if (qobject_cast<QAbstractItemView *>(widget))
            pairs << Pair(QPalette::Text, QPalette::Base) << Pair(QPalette::HighlightedText, QPalette::Highlight);
        for (const Pair &pair : pairs) {
            check(what, widget->palette(), pair);
            if (QTest::currentTestFailed())
                return;
        }
    }
    check("tooltip", QToolTip::palette(), Pair(QPalette::ToolTipText, QPalette::ToolTipBase));
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
