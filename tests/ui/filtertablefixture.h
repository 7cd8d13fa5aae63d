// What the widget tests of the filter table share: a registry of their own,
// the sample servers beside the tests, the window and ways to find a row's
// cells by the catalogue slot of its filter.
#ifndef FILTERTABLEFIXTURE_H
#define FILTERTABLEFIXTURE_H

#include "merittwcombobox.h"
#include "merittwlineedit.h"
#include "pivoracentral.h"
#include "registrationrunner.h"
#include "testsupport.h"

#include <QTableWidget>
#include <QtTest>

#include <string>

// Full path of a sample server (or another .ax name) beside the tests.
inline std::string serverFile(const char *server)
{
    return testsupport::programFolder() + server + ".ax";
}

// Registers or unregisters a server file silently; the runner's status.
inline int serverCall(const std::string &path, bool doRegister)
{
    return runRegsvr32(0, doRegister, std::wstring(path.begin(), path.end()).c_str(), true);
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
        registry->setWritable(true);
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
    MeritTWComboBox *selector(int row) { return qobject_cast<MeritTWComboBox *>(table->cellWidget(row, 3)); }
    MeritTWLineEdit *customCell(int row) { return qobject_cast<MeritTWLineEdit *>(table->cellWidget(row, 4)); }
    int rowOfSlot(int slot)
    {
        for (int r = 0; r < table->rowCount(); ++r)
            if (selector(r) && selector(r)->index() == slot)
                return r;
        return -1;
    }

    testsupport::ScopedRegistry *registry = 0;
    PivoraCentral *window = 0;
    QTableWidget *table = 0;
};

#endif
