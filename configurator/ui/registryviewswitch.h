// The switch above the table between the two registries of filters that
// 64-bit Windows keeps: "64-bit players" and "32-bit players", each with the
// number of listed filters it holds. Ctrl+Tab and Ctrl+Shift+Tab anywhere in
// the window, or Alt with the underlined digit, choose the other view.
#ifndef REGISTRYVIEWSWITCH_H
#define REGISTRYVIEWSWITCH_H

#include "registryview.h"

#include <QTabBar>

class RegistryViewSwitch : public QTabBar
{
    Q_OBJECT

public:
    // `shortcutsOwner` holds the Ctrl+Tab shortcuts: the window.
    RegistryViewSwitch(QWidget *shortcutsOwner, QWidget *parent);

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
