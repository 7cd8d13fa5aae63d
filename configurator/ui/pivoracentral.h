// The configurator's only window: a table of the known filters registered on
// this machine, with their merits and server locations, and the buttons that
// register, refresh, reset and close.
#ifndef PIVORACENTRAL_H
#define PIVORACENTRAL_H

#include <QString>
#include <QWidget>

#include "filtercatalogue.h"

class QPushButton;
class QRect;
class QSize;
class QTableWidget;
class QTableWidgetItem;

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

protected:
    // What a refresh shows of one registered catalogue filter.
    struct FilterRow {
        int index;            // catalogue slot
        QString name;         // friendly name or "<Unknown>"
        quint32 merit;
        quint32 defaultMerit;
        QString location;     // server path, "<Invalid Path:> " + path, or "<Unknown>"
    };
    // Reads the registered catalogue filters from the registry, in slot order.
    QList<FilterRow> readRegisteredFilters();
    // Rebuilds the table from rows, fits the columns and the window width and
    // sorts by name. Reads nothing from the registry.
    void fillTable(const QList<FilterRow> &rows);

    void updateCustomMeritCell(bool show, int row, int index);
    int reregisterWithMerit(int row, quint32 merit, KnownFilter *entry);
    void reportResult(int code, int index, int &row);
    int rowOfSender(int column);
    int rowCatalogueIndex(int row);
    const char *linkedPartner(const KnownFilter &entry) const;
    const char *registeredLinkedPartner(const KnownFilter &entry) const;
    void refreshServerSiblings(const QString &location, int index);
    void removeUnregisteredRows();
    void reportRegistrationRefused(const QString &path, int code);
    QString registrationRefusalReason(int code) const;
    void focusAfterRemoval(int row);
    void restoreScrollPosition(int topIndex, int verticalScroll, int horizontalScroll);

private:
    bool buildCatalogue();
    void releaseCatalogue();
    KnownFilter *entryAt(int index) const;
    QString locationText(int row) const;
    static void setLocation(QTableWidgetItem *item, const QString &location);
    QString locationOf(const KnownFilter *entry) const;
    QString nameOf(KnownFilter *entry) const;
    int runSilentRegistration(int row);
    void createTable();
    void createButtons();
    void createLayout();
    QPushButton *createButton(const QString &label, const QString &toolTip);
    void showAccessDenied();

    FilterCatalogue *catalogue;
    QTableWidget *table;
    QPushButton *registerButton;
    QPushButton *refreshButton;
    QPushButton *closeButton;
    QPushButton *resetButton;
    QString lastServerFolder;
};

#endif
