// The filter table against a registry that the sample servers filled.
#include "filterregistrystore.h"
#include "filtertable.h"
#include "filtertablefixture.h"
#include "knownfilterrows.h"
#include "testkeys.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include <string>

namespace {

int slotOf(const QString &name)
{
    for (int i = 0; i < knownFilterRowCount; ++i)
        if (name == QLatin1String(knownFilterRows[i].name))
            return i;
    return -1;
}

HKEY createKey(const std::string &path)
{
    HKEY key = 0;
    RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, 0, REG_OPTION_NON_VOLATILE, KEY_WRITE, 0, &key, 0);
    return key;
}

// Sets the application's font for the widgets made while it lives, and puts
// the former one back.
class ApplicationFont
{
public:
    explicit ApplicationFont(const QFont &font) : saved(QApplication::font()) { QApplication::setFont(font); }
    ~ApplicationFont() { QApplication::setFont(saved); }
    ApplicationFont(const ApplicationFont &) = delete;
    ApplicationFont &operator=(const ApplicationFont &) = delete;

private:
    const QFont saved;
};

} // namespace

class FilterTableTest : public QObject, private FilterTableFixture
{
    Q_OBJECT

private slots:
    void init() { setUpRegistry(); }
    void cleanup() { tearDown(); }

    void listsEveryRegisteredCatalogueFilterSortedByName();
    void classifiesMeritsAndShowsCustomCells();
    void marksUnknownNamesAndInvalidPaths();
    void refreshRebuildsWithNewCellWidgets();
    void emptiesWhenEverythingWasUnregisteredElsewhere();
    void windowIsSeventyTwoPixelsWiderThanItsColumns();
    void lowestWindowShowsWholeRowsAtAnyTextSize_data();
    void lowestWindowShowsWholeRowsAtAnyTextSize();
};

void FilterTableTest::listsEveryRegisteredCatalogueFilterSortedByName()
{
    registerFilters(allFilters);
    // A registered filter the catalogue does not know gets no row.
    const std::string other = std::string(legacyFilterInstancePrefix) + testkeys::testFilterClsid;
    HKEY key = createKey(other);
    RegSetValueExA(key, "FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE *>("Alien"), 6);
    RegCloseKey(key);
    open();

    QCOMPARE(table->rowCount(), 52);
    QStringList names;
    for (int r = 0; r < table->rowCount(); ++r) {
        const QString name = table->item(r, ColumnName)->text();
        names << name;
        const int slot = slotOf(name);
        QVERIFY2(slot >= 0, qPrintable(name));
        QCOMPARE(selector(r)->index(), slot);
        QCOMPARE(selector(r)->meritId(), 0);
        QCOMPARE(table->item(r, ColumnCurrentMerit)->text(), QString("Default"));
        QCOMPARE(table->item(r, ColumnLocation)->text(),
                 QString::fromStdString(serverFile(knownFilterRows[slot].server)));
        QVERIFY(!table->cellWidget(r, ColumnCustomMerit));
        QPushButton *unregister = qobject_cast<QPushButton *>(table->cellWidget(r, ColumnUnregister));
        QVERIFY(unregister);
        QCOMPARE(unregister->text(), QString("Unregister"));
        for (int c = ColumnName; c <= ColumnLocation; ++c)
            QCOMPARE(int(table->item(r, c)->flags()), 0x21);
    }
    // In the order of the user's locale, as Qt's table sorts its text.
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    QCOMPARE(names, sorted);
    QVERIFY(!names.contains("Alien"));
}

void FilterTableTest::classifiesMeritsAndShowsCustomCells()
{
    registerFilters(videoDecoders);
    registerFilters(demultiplexers);
    const int disabled = 0, high = 1, zero = 2, custom = 3, defaultIsDisable = 46, defaultIsDisableAtZero = 50;
    QCOMPARE(writeFilterMerit(0x200000, 0, knownFilterRows[disabled].clsid), 0);
    QCOMPARE(writeFilterMerit(0xFFFFFFFFu, 0, knownFilterRows[high].clsid), 0);
    QCOMPARE(writeFilterMerit(0, 0, knownFilterRows[zero].clsid), 0);
    QCOMPARE(writeFilterMerit(0x123456, 0, knownFilterRows[custom].clsid), 0);
    QCOMPARE(writeFilterMerit(0, 0, knownFilterRows[defaultIsDisableAtZero].clsid), 0);
    open();
    QCOMPARE(table->rowCount(), 20 + 8);

    struct Expected {
        int slot;
        const char *text;
        int choice;
        const char *cell; // custom merit cell text, or null for none
    };
    const Expected expected[] = {
        {disabled, "Disable", 1, 0},
        {high, "High", 2, 0},
        {zero, "0", 10, "0x00000000"},
        {custom, "0x00123456", 10, "0x00123456"},
        {defaultIsDisable, "Default", 0, 0},
        {defaultIsDisableAtZero, "0", 10, "0x00000000"},
        {4, "Default", 0, 0},
    };
    for (const Expected &e : expected) {
        const int row = rowOfSlot(e.slot);
        QVERIFY(row >= 0);
        QCOMPARE(table->item(row, ColumnCurrentMerit)->text(), QString(e.text));
        QCOMPARE(selector(row)->meritId(), e.choice);
        QCOMPARE(selector(row)->currentText(), QString(e.choice == 10 ? "Custom" : e.text));
        if (e.cell) {
            QVERIFY(customCell(row));
            QCOMPARE(customCell(row)->text(), QString(e.cell));
            QCOMPARE(customCell(row)->index(), e.slot);
        } else {
            QVERIFY(!table->cellWidget(row, ColumnCustomMerit));
        }
    }
}

void FilterTableTest::marksUnknownNamesAndInvalidPaths()
{
    // Slot 20: registered, no name, no class key. Slot 21: a name and a
    // server path whose file is gone.
    RegCloseKey(createKey(std::string(legacyFilterInstancePrefix) + knownFilterRows[20].clsid));
    HKEY key = createKey(std::string(legacyFilterInstancePrefix) + knownFilterRows[21].clsid);
    RegSetValueExA(key, "FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE *>("Gone Decoder"), 13);
    RegCloseKey(key);
    key = createKey(std::string("CLSID\\") + knownFilterRows[21].clsid + "\\InprocServer32");
    const std::string goneFile = serverFile("Removed");
    const std::wstring gone(goneFile.begin(), goneFile.end());
    RegSetValueExW(key, 0, 0, REG_SZ, reinterpret_cast<const BYTE *>(gone.c_str()),
                   DWORD((gone.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    open();

    QCOMPARE(table->rowCount(), 2);
    // "<Unknown>" sorts before "Gone Decoder".
    QCOMPARE(table->item(0, ColumnName)->text(), QString("<Unknown>"));
    QCOMPARE(table->item(0, ColumnLocation)->text(), QString("<Unknown>"));
    QCOMPARE(table->item(0, ColumnCurrentMerit)->text(), QString("0")); // no FilterData reads as 0
    QCOMPARE(selector(0)->meritId(), 10);
    QCOMPARE(table->item(1, ColumnName)->text(), QString("Gone Decoder"));
    QCOMPARE(table->item(1, ColumnLocation)->text(), QString("<Invalid Path:> ") + QString::fromStdWString(gone));
}

void FilterTableTest::refreshRebuildsWithNewCellWidgets()
{
    registerFilters(mpeg2Decoders);
    QCOMPARE(writeFilterMerit(0x654321, 0, knownFilterRows[41].clsid), 0);
    open();
    QCOMPARE(table->rowCount(), 4);
    QStringList before;
    QList<QPointer<QWidget>> oldWidgets;
    for (int r = 0; r < table->rowCount(); ++r) {
        before << table->item(r, ColumnName)->text() + "|" + table->item(r, ColumnCurrentMerit)->text() + "|" +
                      table->item(r, ColumnLocation)->text();
        for (int c = ColumnNewMerit; c < ColumnCount; ++c)
            if (table->cellWidget(r, c))
                oldWidgets << QPointer<QWidget>(table->cellWidget(r, c));
    }
    QCOMPARE(oldWidgets.size(), 4 * 2 + 1);
    refresh();
    refresh();
    QStringList after;
    for (int r = 0; r < table->rowCount(); ++r)
        after << table->item(r, ColumnName)->text() + "|" + table->item(r, ColumnCurrentMerit)->text() + "|" +
                     table->item(r, ColumnLocation)->text();
    QCOMPARE(after, before);
    for (const QPointer<QWidget> &w : oldWidgets)
        QVERIFY(w.isNull());
    QCOMPARE(window->findChildren<MeritTWComboBox *>().size(), 4);
    QCOMPARE(window->findChildren<MeritTWLineEdit *>().size(), 1);
}

void FilterTableTest::emptiesWhenEverythingWasUnregisteredElsewhere()
{
    registerFilters(mpeg2Decoders);
    registerFilters(demultiplexers);
    open();
    QCOMPARE(table->rowCount(), 12);
    registerFilters(mpeg2Decoders, false);
    registerFilters(demultiplexers, false);
    refresh();
    QCOMPARE(table->rowCount(), 0);
    QVERIFY(window->findChildren<MeritTWComboBox *>().isEmpty());
    QVERIFY(table->findChildren<QPushButton *>().isEmpty()); // no Unregister button is left
}

void FilterTableTest::windowIsSeventyTwoPixelsWiderThanItsColumns()
{
    registerFilters(videoDecoders);
    open();
    QSize proposal;
    const bool fits = window->computeWindowSize(proposal);
    QCOMPARE(window->width(), proposal.width() + 22);
    int others = 0;
    for (int c = 0; c < ColumnCount; ++c)
        others += c == ColumnLocation ? 0 : table->columnWidth(c);
    if (fits) {
        // The proposal was the natural width: 50 plus the columns.
        QCOMPARE(window->width(), others + table->columnWidth(ColumnLocation) + 72);
    } else if (window->width() - 72 - others >= table->horizontalHeader()->minimumSectionSize()) {
        QCOMPARE(table->columnWidth(ColumnLocation), window->width() - 72 - others);
    } else {
        // A screen too narrow for the other columns leaves the location its least width.
        QCOMPARE(table->columnWidth(ColumnLocation), table->horizontalHeader()->minimumSectionSize());
    }

    // A maximized window keeps its width through a refresh.
    window->showMaximized();
    QTRY_VERIFY(window->isMaximized());
    const int maximizedWidth = window->width();
    refresh();
    QCOMPARE(window->width(), maximizedWidth);
}

void FilterTableTest::lowestWindowShowsWholeRowsAtAnyTextSize_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("scale");
    QTest::newRow("the application's font") << QString() << qreal(1);
    // Windows' "Make text bigger" goes up to 225%.
    QTest::newRow("text at 225%") << QString() << qreal(2.25);
    // A machine without the dialog font may fall back to a face whose line
    // is several times its size under Windows, which takes the line from
    // the face's Windows ascent and descent: a header and buttons to match.
    QTest::newRow("a face with a tall line") << QString("DejaVu Math TeX Gyre") << qreal(1);
    QTest::newRow("a face with a tall line at 225%") << QString("DejaVu Math TeX Gyre") << qreal(2.25);
}

void FilterTableTest::lowestWindowShowsWholeRowsAtAnyTextSize()
{
    QFETCH(QString, family);
    QFETCH(qreal, scale);
    QFont font = QApplication::font();
    if (!family.isEmpty())
        font.setFamily(family);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * scale);
    else
        font.setPixelSize(qRound(font.pixelSize() * scale));
    const ApplicationFont applicationFont(font);
    registerFilters(mpeg2Decoders); // four rows from two servers: few regsvr32 runs under Wine
    open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->resize(1, 1);
    QTRY_COMPARE(window->size(), window->minimumSize());

    // The rows are as high as the font's line, and the lowest window shows
    // the first three whole, below the header, the horizontal scroll bar
    // beneath them where the narrowest window needs it.
    QVERIFY(table->rowHeight(0) >= table->fontMetrics().height());
    QCOMPARE(table->rowAt(0), 0);
    const QRect shown = table->viewport()->rect();
    for (int row = 0; row < FilterTable::leastVisibleRows; ++row) {
        const QRect cell = table->visualRect(table->model()->index(row, ColumnName));
        QVERIFY2(cell.top() >= shown.top() && cell.bottom() <= shown.bottom(),
                 qPrintable(QString("row %1 at %2..%3 of a view %4 high, the line %5 high")
                                .arg(row)
                                .arg(cell.top())
                                .arg(cell.bottom())
                                .arg(shown.height())
                                .arg(table->fontMetrics().height())));
    }
    QVERIFY(table->horizontalScrollBar()->isVisible());
}

QTEST_MAIN(FilterTableTest)
#include "filtertable_test.moc"
