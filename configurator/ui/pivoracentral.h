// The configurator's only window: a table of the known filters registered on
// this machine, with their merits and server locations, and the buttons that
// register, refresh, reset and close.
#ifndef PIVORACENTRAL_H
#define PIVORACENTRAL_H

#include <QString>
#include <QWidget>

#include "busystate.h"
#include "filteractions.h"
#include "filtercatalogue.h"
#include "filtertable.h"
#include "pendingaction.h"
#include "rightsrestart.h"

#include <functional>
#include <initializer_list>
#include <vector>

class QPushButton;
class QRect;
class QSize;
class WindowActions;
struct UndoneWork;
class FilterTable;
class RegistryViewSwitch;
class NoticeLines;

class PivoraCentral : public QWidget
{
    Q_OBJECT

public:
    explicit PivoraCentral(QWidget *parent = 0);
    ~PivoraCentral();

    // Proposes a window size for the primary screen; true when the table's
    // natural width fits two thirds of the screen width.
    bool computeWindowSize(QSize &size);
    // The same for a given screen geometry; null stands for a screen of which
    // nothing is known, taken as 800 x 600.
    bool computeWindowSize(QSize &size, const QRect *screen) const;
    void blockButtonSignals(bool block);

    // Performs an action carried on the command line, as if the user had
    // asked for it (an Unregister without asking again).
    void performAction(const PendingAction &action);

    QString meritToText(quint32 merit, quint32 defaultMerit) const;
    quint32 textToMerit(const QString &text, unsigned int index) const;

protected slots:
    void slotReset();
    void slotRefresh();
    void slotRefresh(int index, int i, int j);
    void slotMeritIdSelected(int id, int index);
    void slotCustomMeritChanged(const QString &text, int index);
    void slotRegister();
    void slotUnregister();
    void slotViewChosen(int view);
    void slotPutBack();
    void slotEnforcePolicy();

protected:
    // Rebuilds the table from rows, fits the columns and the window width and
    // sorts by name. Reads nothing from the registry.
    void fillTable(const std::vector<FilterRow> &rows);

    void updateCustomMeritCell(bool show, int row, int index);
    void reportResult(const FilterResult &result, int &row);
    void showMeritChange(const std::vector<FilterResult> &results, int row);
    int rowOfSender(int column);
    int rowCatalogueIndex(int row);

private:
    FilterActions &filterActions();
    void unregisterRow(int row, bool confirm);
    void changeMerit(int index, int row, const QString &merit);
    void changeMany(PendingAction::Kind kind, const std::function<UndoneWork()> &change);
    void refreshCells(int index, int row, std::initializer_list<int> columns);
    void refreshLater();
    void rememberAction(PendingAction::Kind kind, int index = -1, const QString &merit = QString());
    KnownFilter *entryAt(int index) const;
    void updateCountsAndChoices();
    void createButtons();
    void createLayout();
    QPushButton *createButton(const QString &label, const QString &toolTip, QObject *receiver, const char *slot);

    FilterCatalogue *catalogue = nullptr;
    FilterActions *actions = nullptr;
    WindowActions *work = nullptr;
    FilterTable *table = nullptr;
    QPushButton *registerButton = nullptr;
    QPushButton *refreshButton = nullptr;
    QPushButton *closeButton = nullptr;
    QPushButton *resetButton = nullptr;
    RightsRestart restart;       // what a restart as administrator carries
    BusyState busy;              // at work on the registry: buttons blocked
    RegistryViewSwitch *viewSwitch = nullptr; // where Windows has two registry views
    NoticeLines *notices = nullptr;           // the lines above the table
};

#endif
