// What the widget tests of the filter table share: a registry of their own,
// the sample servers beside the tests, the window, ways to find a row's
// cells by the catalogue slot of its filter, and the user's ways to choose a
// merit and press a button.
#ifndef FILTERTABLEFIXTURE_H
#define FILTERTABLEFIXTURE_H

#include "knownfilterrows.h"
#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "pivoracentral.h"
#include "sampleservers.h"

#include <QAbstractItemView>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <string>

// Catalogue slots by kind, as the sample servers ship them: each filter in a
// server of its own, the linked MPEG-2 pairs (40 with 42, 41 with 43) in one
// server each.
struct SlotRange {
    int first, last;
};
const SlotRange videoDecoders{0, 19}, audioDecoders{20, 39}, mpeg2Decoders{40, 43}, demultiplexers{44, 51},
    allFilters{0, 51};

// The window's push button with the label (its text, "&" included).
inline QPushButton *windowButton(QWidget *window, const QString &label)
{
    for (QPushButton *b : window->findChildren<QPushButton *>())
        if (b->text() == label)
            return b;
    return 0;
}

// Registers or unregisters the servers of every filter in the range.
inline void registerFilters(SlotRange range, bool doRegister = true)
{
    for (int slot = range.first; slot <= range.last; ++slot)
        QCOMPARE(serverCall(serverFile(knownFilterRows[slot].server), doRegister), 0);
}

class FilterTableFixture
{
protected:
    void setUpRegistry() { registry = new testsupport::ScopedRegistry; }
    void tearDown()
    {
        delete window;
        window = 0;
        table = 0;
        registry->setFiltersWritable(true);
        delete registry;
        registry = 0;
    }

    void open()
    {
        window = new PivoraCentral;
        table = window->findChild<QTableWidget *>();
        QVERIFY(table);
    }
    void refresh() { QVERIFY(QMetaObject::invokeMethod(window, "slotRefresh")); }
    MeritTWComboBox *selector(int row)
    {
        return qobject_cast<MeritTWComboBox *>(table->cellWidget(row, ColumnNewMerit));
    }
    MeritTWLineEdit *customCell(int row)
    {
        return qobject_cast<MeritTWLineEdit *>(table->cellWidget(row, ColumnCustomMerit));
    }
    // The catalogue slot of the row's filter, or -1 for a row without a
    // selector and for no row (-1, as rowAt gives for a place in no row).
    int slotOfRow(int row)
    {
        MeritTWComboBox *box = selector(row);
        return box ? box->index() : -1;
    }
    int rowOfSlot(int slot)
    {
        for (int r = 0; r < table->rowCount(); ++r)
            if (selector(r) && selector(r)->index() == slot)
                return r;
        return -1;
    }
    // Opens the row's "New Merit" selector and picks an entry with the
    // keyboard, as the user does.
    void choose(int slot, int position)
    {
        MeritTWComboBox *box = selector(rowOfSlot(slot));
        QVERIFY(box);
        box->showPopup();
        box->view()->setCurrentIndex(box->model()->index(position, 0));
        QTest::keyClick(box->view(), Qt::Key_Return);
        QTRY_VERIFY(!box->view()->isVisible());
    }
    // Types a merit into the row's custom cell, as the user does after
    // choosing Custom; the edit is not finished yet.
    MeritTWLineEdit *typeCustomMerit(int slot, const char *text)
    {
        choose(slot, 3);
        MeritTWLineEdit *cell = customCell(rowOfSlot(slot));
        if (cell) {
            QTest::mouseClick(cell, Qt::LeftButton);
            cell->selectAll();
            QTest::keyClicks(cell, text);
        }
        return cell;
    }
    QPushButton *windowButton(const QString &label) { return ::windowButton(window, label); }

    testsupport::ScopedRegistry *registry = 0;
    PivoraCentral *window = 0;
    QTableWidget *table = 0;
};

#endif
