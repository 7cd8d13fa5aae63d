// The two cell widgets driven as a user drives them.
#include "merittext.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "readabletooltips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QToolTip>
#include <QWheelEvent>
#include <QtTest>

class MeritCellsTest : public QObject
{
    Q_OBJECT

private slots:
    void selectorStartsAtDefaultWithFourChoices();
    void pickingAChoiceEmitsBothSignalsInOrder();
    void programmaticChoicesEmitNothing();
    void lineEditStartsInNormalForm();
    void typedMeritIsNormalised_data();
    void typedMeritIsNormalised();
    void validatorRefusesWhatCannotBeAMerit();
    void returnThenFocusOutEmitsOnce();
    void enteringAndLeavingWithoutTypingEmitsNothing();
    void setMeritShowsNormalFormSilently();
    void wheelChangesOnlyAFocusedSelector();
    void toolTipTextContrastsWithItsBackground();

private:
    // Opens the list and picks the item at `position` with the keyboard.
    static void pick(MeritTWComboBox &box, int position)
    {
        box.showPopup();
        QAbstractItemView *view = box.view();
        view->setCurrentIndex(box.model()->index(position, 0));
        QTest::keyClick(view, Qt::Key_Return);
        QTRY_VERIFY(!view->isVisible());
    }
};

void MeritCellsTest::selectorStartsAtDefaultWithFourChoices()
{
    MeritTWComboBox box(0, 17);
    QCOMPARE(box.count(), 4);
    QCOMPARE(box.itemText(0), QString("Default"));
    QCOMPARE(box.itemText(1), QString("Disable"));
    QCOMPARE(box.itemText(2), QString("High"));
    QCOMPARE(box.itemText(3), QString("Custom"));
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(box.meritId(), MeritIdDefault);
    QCOMPARE(box.index(), 17);
    QVERIFY(!box.isEditable());
    QCOMPARE(box.indexOfMeritId(MeritIdCustom), 3);
    QCOMPARE(box.indexOfMeritId(3), -1);
    QCOMPARE(box.indexOfMeritId(-1), -1);
}

void MeritCellsTest::pickingAChoiceEmitsBothSignalsInOrder()
{
    MeritTWComboBox box(0, 42);
    box.show();
    QSignalSpy one(&box, SIGNAL(hackMerit(int)));
    QSignalSpy two(&box, SIGNAL(hackMerit(int,int)));
    QList<int> order;
    connect(&box, static_cast<void (MeritTWComboBox::*)(int)>(&MeritTWComboBox::hackMerit), [&](int) { order << 1; });
    connect(&box, static_cast<void (MeritTWComboBox::*)(int, int)>(&MeritTWComboBox::hackMerit),
            [&](int, int) { order << 2; });

    pick(box, 3); // Custom
    QCOMPARE(one.count(), 1);
    QCOMPARE(one.at(0).at(0).toInt(), MeritIdCustom);
    QCOMPARE(two.count(), 1);
    QCOMPARE(two.at(0).at(0).toInt(), MeritIdCustom);
    QCOMPARE(two.at(0).at(1).toInt(), 42);
    QCOMPARE(order, (QList<int>{1, 2}));
    QCOMPARE(box.meritId(), MeritIdCustom);

    pick(box, 3); // the choice it already stands for
    QCOMPARE(two.count(), 1);

    pick(box, 1);
    QCOMPARE(two.count(), 2);
    QCOMPARE(two.at(1).at(0).toInt(), MeritIdDisable);
    pick(box, 0);
    QCOMPARE(two.count(), 3);
    QCOMPARE(two.at(2).at(0).toInt(), MeritIdDefault);
}

void MeritCellsTest::programmaticChoicesEmitNothing()
{
    MeritTWComboBox box(0, 3);
    box.show();
    QSignalSpy two(&box, SIGNAL(hackMerit(int,int)));
    box.setMeritId(MeritIdHigh);
    QCOMPARE(box.currentIndex(), 2);
    QCOMPARE(box.meritId(), MeritIdHigh);
    box.setMeritId(MeritIdCustom);
    QCOMPARE(box.currentText(), QString("Custom"));
    QCOMPARE(two.count(), 0);

    box.setMeritId(MeritIdHigh);
    pick(box, 2); // High again: nothing
    QCOMPARE(two.count(), 0);
    pick(box, 1);
    QCOMPARE(two.count(), 1);
    QCOMPARE(two.at(0).at(0).toInt(), MeritIdDisable);
    QCOMPARE(two.at(0).at(1).toInt(), 3);
}

void MeritCellsTest::lineEditStartsInNormalForm()
{
    MeritTWLineEdit zero(0, 0, 1);
    QCOMPARE(zero.text(), QString("0x00000000"));
    MeritTWLineEdit edit(0x600000, 0, 5);
    QCOMPARE(edit.text(), QString("0x00600000"));
    QVERIFY(!edit.isModified());
    QVERIFY(edit.minimumWidth() >= 100);
    QVERIFY(edit.validator());
    QCOMPARE(edit.index(), 5);
}

void MeritCellsTest::typedMeritIsNormalised_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("normal");
    QTest::newRow("lower-case digits") << "abc" << "0x00000ABC";
    QTest::newRow("with prefix") << "0x1f" << "0x0000001F";
    QTest::newRow("zero") << "0" << "0x00000000";
    QTest::newRow("eight digits") << "12345678" << "0x12345678";
    QTest::newRow("same text again") << "0x12345678" << "0x12345678";
    QTest::newRow("mixed case") << "fFfF" << "0x0000FFFF";
}

void MeritCellsTest::typedMeritIsNormalised()
{
    QFETCH(QString, typed);
    QFETCH(QString, normal);
    MeritTWLineEdit edit(0x12345678, 0, 9);
    edit.show();
    QSignalSpy one(&edit, SIGNAL(editingBeautified(int)));
    QSignalSpy two(&edit, SIGNAL(editingBeautified(QString,int)));
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, typed);
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(edit.text(), normal);
    QCOMPARE(one.count(), 1);
    QCOMPARE(one.at(0).at(0).toInt(), 9);
    QCOMPARE(two.count(), 1);
    QCOMPARE(two.at(0).at(0).toString(), normal);
    QCOMPARE(two.at(0).at(1).toInt(), 9);
    QVERIFY(!edit.isModified());
}

void MeritCellsTest::validatorRefusesWhatCannotBeAMerit()
{
    MeritTWLineEdit edit(0, 0, 0);
    edit.show();
    edit.setFocus();
    edit.clear();
    QTest::keyClicks(&edit, "123456789");
    QCOMPARE(edit.text(), QString("12345678")); // no ninth digit
    edit.clear();
    QTest::keyClicks(&edit, "0X12");
    QCOMPARE(edit.text(), QString("012")); // "X" refused
    edit.clear();
    QTest::keyClicks(&edit, "0x0x1g-z2");
    QCOMPARE(edit.text(), QString("0x012"));
    edit.clear();
    QTest::keyClicks(&edit, "0x123456789");
    QCOMPARE(edit.text(), QString("0x12345678"));
    // The refused ninth digit showed what the field takes, beside it.
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QString("Hexadecimal, up to 8 digits, for example 0x00600000"));
    QToolTip::hideText();

    // An empty cell or a lone prefix is not a finished merit: nothing is sent.
    QSignalSpy two(&edit, SIGNAL(editingBeautified(QString,int)));
    edit.clear();
    QTest::keyClicks(&edit, "0x");
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(two.count(), 0);
}

// A custom merit cell in a shown window, with another field to move the focus to.
struct CellWithNeighbour {
    explicit CellWithNeighbour(quint32 merit)
        : edit(new MeritTWLineEdit(merit, &window, 4)), other(new QLineEdit(&window))
    {
        other->move(0, 40);
        window.show();
    }
    QWidget window;
    MeritTWLineEdit *edit;
    QLineEdit *other;
};

void MeritCellsTest::returnThenFocusOutEmitsOnce()
{
    CellWithNeighbour cell(0);
    MeritTWLineEdit *edit = cell.edit;
    QLineEdit *other = cell.other;
    QVERIFY(QTest::qWaitForWindowActive(&cell.window));
    QSignalSpy two(edit, SIGNAL(editingBeautified(QString,int)));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "7");
    QTest::keyClick(edit, Qt::Key_Return);
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(two.count(), 1);
    QCOMPARE(two.at(0).at(0).toString(), QString("0x00000007"));
}

void MeritCellsTest::enteringAndLeavingWithoutTypingEmitsNothing()
{
    CellWithNeighbour cell(0x600000);
    MeritTWLineEdit *edit = cell.edit;
    QLineEdit *other = cell.other;
    QVERIFY(QTest::qWaitForWindowActive(&cell.window));
    QSignalSpy two(edit, SIGNAL(editingBeautified(QString,int)));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(two.count(), 0);
    QCOMPARE(edit->text(), QString("0x00600000"));
}

void MeritCellsTest::setMeritShowsNormalFormSilently()
{
    MeritTWLineEdit edit(0, 0, 0);
    QSignalSpy two(&edit, SIGNAL(editingBeautified(QString,int)));
    edit.setMerit(0x200000, true);
    QCOMPARE(edit.text(), QString("0x00200000"));
    edit.setMerit(0xFFFFFFFFu, false);
    QCOMPARE(edit.text(), QString("0xFFFFFFFF"));
    QVERIFY(!edit.isModified());
    QCOMPARE(two.count(), 0);
}

void MeritCellsTest::wheelChangesOnlyAFocusedSelector()
{
    QWidget parent;
    MeritTWComboBox *box = new MeritTWComboBox(&parent, 3);
    QLineEdit *other = new QLineEdit(&parent);
    other->move(0, 60);
    parent.show();
    QVERIFY(QTest::qWaitForWindowActive(&parent));
    other->setFocus();
    QSignalSpy spy(box, SIGNAL(hackMerit(int,int)));
    const auto notch = [box] {
        const QPointF at(box->width() / 2, box->height() / 2);
        QWheelEvent wheel(at, box->mapToGlobal(at.toPoint()), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        return QApplication::sendEvent(box, &wheel) && wheel.isAccepted();
    };
    QVERIFY(!notch()); // ignored, so that the table around it scrolls
    QCOMPARE(spy.count(), 0);
    QCOMPARE(box->meritId(), MeritIdDefault);
    QVERIFY(!box->hasFocus());

    box->setFocus();
    notch();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(box->meritId(), MeritIdDisable);
}

void MeritCellsTest::toolTipTextContrastsWithItsBackground()
{
    const QPalette before = QToolTip::palette();
    QPalette grey = before;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        grey.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 255));
        grey.setColor(group, QPalette::ToolTipText, QColor(166, 166, 166)); // a theme's "grey text"
    }
    QToolTip::setPalette(grey);
    makeToolTipsReadable();
    const QPalette after = QToolTip::palette();
    QVERIFY(contrastRatio(after.color(QPalette::Inactive, QPalette::ToolTipText),
                          after.color(QPalette::Inactive, QPalette::ToolTipBase)) >= 4.5);
    QCOMPARE(after.color(QPalette::Inactive, QPalette::ToolTipBase), QColor(255, 255, 255));
    // Readable colours stay as the theme gave them.
    grey.setColor(QPalette::Inactive, QPalette::ToolTipText, QColor(0, 0, 128));
    QToolTip::setPalette(grey);
    makeToolTipsReadable();
    QCOMPARE(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipText), QColor(0, 0, 128));
    QCOMPARE(contrastRatio(Qt::black, Qt::white), 21.0);
    QToolTip::setPalette(before);
}

QTEST_MAIN(MeritCellsTest)
#include "meritcells_test.moc"
