// Merit values with names, the selector's choice ids and the text forms of
// merits. Every place that shows, compares or parses a merit text goes
// through these, so a text put into the table always reads back as the same
// merit.
#ifndef MERITTEXT_H
#define MERITTEXT_H

#include "meritstanding.h"

#include <QString>

// MeritId: the choice of a row's selector, a plain int. Custom is 10, not 3.
const int MeritIdDefault = 0;
const int MeritIdDisable = 1;
const int MeritIdHigh = 2;
const int MeritIdCustom = 10;

const quint32 meritDisable = meritDoNotUse;
const quint32 meritHigh = 0xFFFFFFFFu;

// "Default", "Disable", "High" or "Custom" for ids 0, 1, 2 and 10; a null
// string for any other id.
QString meritIdText(int id);

// "0x" and exactly eight upper-case hexadecimal digits, e.g. "0x001FFFFF".
QString meritHexText(quint32 value);

// The "Current Merit" form: "0" for 0, else "Default" when it equals the
// filter's default, "Disable", "High", or the hexadecimal form, tested in
// that order.
QString meritText(quint32 merit, quint32 defaultMerit);

// Reads a hexadecimal merit, with or without a lower-case "0x" prefix; text
// that does not convert gives 0.
quint32 parseMeritHex(const QString &text);

// The merit a "Current Merit" text stands for: the names exactly as written
// (case-sensitive), else the hexadecimal form as parseMeritHex reads it.
quint32 meritOfText(const QString &text, quint32 defaultMerit);

// The choice a selector shows for a merit: Default when it equals the row's
// default, else Disable, High, or Custom, tested in that order.
int meritIdOf(quint32 merit, quint32 defaultMerit);

#endif
