// What a screen reader and a high-contrast theme need of the window beyond
// what Qt gives every widget: changes raised as accessibility events, which
// a screen reader speaks with the name and description of their source, and
// whether the user chose a high-contrast theme.
#ifndef ACCESSIBILITY_H
#define ACCESSIBILITY_H

#include <QAccessible>

class QAbstractItemView;
class QObject;

// Raises `kind` for `source`: an Alert asks for the source to be spoken now.
void announce(QObject *source, QAccessible::Event kind = QAccessible::Alert);
// The same for a cell of a table, which is no object of its own.
void announceCell(QAbstractItemView *view, int row, int column, QAccessible::Event kind);

// True under a Windows high-contrast theme: the window then shows the
// system's colours alone.
bool highContrastOn();
// Call once the application object exists: under a high-contrast theme the
// application draws every control in the system's colours with Windows'
// classic style, whose controls take no colour from a visual style.
void followHighContrast();

#endif
