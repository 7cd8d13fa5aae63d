// The switch above the table between the two registries of filters that
// 64-bit Windows keeps: "64-bit players" and "32-bit players", each with the
// number of listed filters it holds. Ctrl+Tab and Ctrl+Shift+Tab anywhere in
// the window, or Alt with the underlined digit, choose the other view.
#ifndef REGISTRYVIEWSWITCH_H
#define REGISTRYVIEWSWITCH_H

#include "filteractions.h"
#include "registryview.h"

#include <QTabBar>

class RegistryViewSwitch : public QTabBar
{
    Q_OBJECT

public:
    // `shortcutsOwner` holds the Ctrl+Tab shortcuts: the window.
    RegistryViewSwitch(QWidget *shortcutsOwner, QWidget *parent);
    // Only where Windows keeps two views, else null: a switch on the 64-bit
    // view, or on the 32-bit one when only that one holds listed filters,
    // which `actions` then shows too.
    static RegistryViewSwitch *create(QWidget *window, FilterActions &actions);
    // The number of listed filters of each view, as `actions` reads them.
    void updateCounts(const FilterActions &actions);

    RegistryView view() const;
    void setView(RegistryView view);
    void setCounts(int bits64, int bits32);

signals:
    // The user chose the other view (a RegistryView as int).
    void viewChosen(int view);

private slots:
    void slotCurrentChanged(int index);
    void slotNext();

private:
    bool settingView;
};

#endif
