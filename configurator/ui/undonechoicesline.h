// The line above the table that says how many filters lost the merits the
// user chose for them (a re-registration wrote their servers' own merits
// again), with a button "Put back" that writes the chosen merits again. Its
// tooltip lists the filters chosen for that are no longer registered: their
// choices are kept until the user chooses otherwise. Hidden while nothing
// was undone.
#ifndef UNDONECHOICESLINE_H
#define UNDONECHOICESLINE_H

#include "filteractions.h"
#include "noticeline.h"

#include <vector>

class UndoneChoicesLine : public NoticeLine
{
    Q_OBJECT

public:
    explicit UndoneChoicesLine(QWidget *parent);

    void setChoices(const std::vector<UndoneChoice> &undone);

    // The text of a row's mark: what the user chose, when, and what the
    // registry holds now.
    static QString markText(const UndoneChoice &choice);

};

#endif
