#include "cellkeyboardaccess.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableWidget>

CellKeyboardAccess::CellKeyboardAccess(QTableWidget *table) : QObject(table), table(table)
{
}

bool CellKeyboardAccess::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != table || event->type() != QEvent::KeyPress)
        return false;
    const QKeyEvent *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    // Alt+Down, Alt+Up and F4 open a list, as on any Windows combo box; the
    // table would otherwise take Alt+Down as Down and leave the cell.
    const bool altArrow = key->key() == Qt::Key_Down || key->key() == Qt::Key_Up;
    const bool opensList = (modifiers == Qt::AltModifier && altArrow) ||
                           (modifiers == Qt::NoModifier && key->key() == Qt::Key_F4);
    if (modifiers && !opensList)
        return false;
    switch (key->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        break;
    default:
        if (!opensList)
            return false;
        break;
    }
    QWidget *cell = table->cellWidget(table->currentRow(), table->currentColumn());
    if (!cell || !cell->isEnabled() || (opensList && !qobject_cast<QComboBox *>(cell)))
        return false;
    if (QComboBox *list = qobject_cast<QComboBox *>(cell)) {
        list->setFocus(Qt::OtherFocusReason);
        list->showPopup();
    } else if (QLineEdit *edit = qobject_cast<QLineEdit *>(cell)) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    } else if (QAbstractButton *button = qobject_cast<QAbstractButton *>(cell)) {
        button->click();
    } else {
        return false;
    }
    return true;
}
