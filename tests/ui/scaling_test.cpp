// The window at a display scale: every label, header, merit choice and cell
// text fits its widget, the window fits the screen, and the window's size in
// device-independent pixels is the one it has at 96 DPI. Run once per scale,
// on a screen of 1280 x 800 device-independent pixels: natively with Qt's
// scale factor, under Wine with the prefix's DPI (LogPixels).
//
// KESTRANE_EXPECTED_SCALE is the scale the run is made at (1, 1.25, ...).
// KESTRANE_SCALING_REFERENCE names a file: the run at scale 1 writes its sizes
// there, the others compare theirs with it.
#include "displayscaling.h"
#include "filtertablefixture.h"
#include "locationdelegate.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QTextStream>
#include <QtTest>

namespace {

// What a size may differ by between scales, in device-independent pixels:
// fonts are hinted at each scale's own pixel size and the scaled screen's
// edge is rounded, so a text, the column sized to it and the window may be
// a pixel wider or narrower.
const int kRounding = 2;

QString withoutMnemonic(QString label)
{
    return label.remove(QLatin1Char('&'));
}

} // namespace

class ScalingTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void init() { setUpRegistry(); }
    void cleanup() { tearDown(); }
    void everyTextFitsAndTheSizeIsTheOneOf96Dpi();

private:
    void checkButtonsAndHeaders();
    void checkCells();
    QList<int> sizesInDeviceIndependentPixels();
};

void ScalingTest::everyTextFitsAndTheSizeIsTheOneOf96Dpi()
{
    const qreal scale = qEnvironmentVariable("KESTRANE_EXPECTED_SCALE", "1").toDouble();
    registerFilters(allFilters);
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(qRound(window->devicePixelRatioF() * 100), qRound(scale * 100));
    const QRect screen = window->screen()->geometry();
    // Qt rounds the scaled screen's far edge: 1279 x 799 stands for 1280 x 800.
    QVERIFY2(qAbs(screen.width() - 1280) <= 1 && qAbs(screen.height() - 800) <= 1,
             qPrintable(QString("screen %1x%2").arg(screen.width()).arg(screen.height())));
    QVERIFY2(window->screen()->availableGeometry().contains(window->frameGeometry()),
             qPrintable(QString("window %1x%2 at %3,%4")
                            .arg(window->frameGeometry().width())
                            .arg(window->frameGeometry().height())
                            .arg(window->frameGeometry().x())
                            .arg(window->frameGeometry().y())));
    checkButtonsAndHeaders();
    checkCells();

    const QList<int> sizes = sizesInDeviceIndependentPixels();
    QFile reference(qEnvironmentVariable("KESTRANE_SCALING_REFERENCE"));
    if (reference.fileName().isEmpty())
        return;
    if (scale == 1) {
        QDir().mkpath(QFileInfo(reference).absolutePath());
        QVERIFY(reference.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QTextStream out(&reference);
        for (int size : sizes)
            out << size << ' ';
        return;
    }
    QVERIFY2(reference.open(QIODevice::ReadOnly), "the run at scale 1 writes the sizes compared here");
    const QStringList expected = QString::fromLatin1(reference.readAll()).split(' ', Qt::SkipEmptyParts);
    QCOMPARE(expected.size(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i)
        QVERIFY2(qAbs(sizes[i] - expected[i].toInt()) <= kRounding,
                 qPrintable(QString("size %1 is %2 here, %3 at 96 DPI").arg(i).arg(sizes[i]).arg(expected[i])));
}

void ScalingTest::checkButtonsAndHeaders()
{
    // A button's label fits its width as the style lays it out, and its
    // line of text its height (a row may be a pixel lower than the style's
    // preferred button height without cutting any text).
    for (QPushButton *button : window->findChildren<QPushButton *>()) {
        if (!button->isVisible())
            continue;
        const int frame = 2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, 0, button);
        QVERIFY2(button->sizeHint().width() <= button->width() &&
                     button->fontMetrics().height() + frame <= button->height(),
                 qPrintable(QString("%1: needs %2 wide, has %3x%4")
                                .arg(withoutMnemonic(button->text()))
                                .arg(button->sizeHint().width())
                                .arg(button->width())
                                .arg(button->height())));
    }
    const QHeaderView *header = table->horizontalHeader();
    const QFontMetrics metrics(header->font());
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, 0, header);
    for (int column = 0; column < table->columnCount(); ++column) {
        const QString label = table->horizontalHeaderItem(column)->text();
        QVERIFY2(metrics.horizontalAdvance(label) + margin <= header->sectionSize(column), qPrintable(label));
    }
}

void ScalingTest::checkCells()
{
    const QFontMetrics metrics(table->font());
    const int margin = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, 0, table) + 1);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < 2; ++column) {
            const QString text = table->item(row, column)->text();
            QVERIFY2(metrics.horizontalAdvance(text) + margin <= table->columnWidth(column), qPrintable(text));
        }
        // A location too long for its column keeps its root and its file
        // name where the column has room for them, its file name where it
        // has room for that (measured as the cells are, in fractions).
        const QString location = table->item(row, ColumnLocation)->text();
        const QString fileName = location.section(QRegExp("[\\\\/]"), -1);
        const QString separator = location.mid(location.size() - fileName.size() - 1, 1);
        const int width = table->columnWidth(ColumnLocation) - margin;
        const QFontMetricsF exact(table->font());
        const QString shown = LocationDelegate::elidedLocation(location, exact, width);
        const QString elidedFolder = QString(QChar(0x2026)) + separator + fileName;
        QVERIFY2(!table->wordWrap() && metrics.horizontalAdvance(shown) <= width, qPrintable(shown));
        if (exact.horizontalAdvance(location.left(3) + elidedFolder) <= width)
            QVERIFY2(shown.startsWith(location.left(1)) && shown.endsWith(fileName), qPrintable(shown));
        else if (exact.horizontalAdvance(elidedFolder) <= width)
            QVERIFY2(shown.endsWith(fileName), qPrintable(shown));

        MeritTWComboBox *box = selector(row);
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.editable = false;
        const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                         QStyle::SC_ComboBoxEditField, box);
        for (int i = 0; i < box->count(); ++i)
            QVERIFY2(box->fontMetrics().horizontalAdvance(box->itemText(i)) <= field.width(),
                     qPrintable(box->itemText(i)));
    }
}

// The window's size and its columns' widths.
QList<int> ScalingTest::sizesInDeviceIndependentPixels()
{
    QList<int> sizes{window->width(), window->height()};
    for (int column = 0; column < table->columnCount(); ++column)
        sizes << table->columnWidth(column);
    qInfo() << "sizes at" << window->devicePixelRatioF() << sizes;
    return sizes;
}

int main(int argc, char **argv)
{
    enableDisplayScaling();
    QApplication application(argc, argv);
    ScalingTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "scaling_test.moc"
