// Keyboard access to the cell widgets of a table whose cell widgets stay out
// of the Tab chain: with the table focused, Space, Return, Enter or F2 work
// the widget of the current cell as a click would (a drop-down list opens, a
// line edit takes the focus, a button is clicked).
#ifndef CELLKEYBOARDACCESS_H
#define CELLKEYBOARDACCESS_H

#include <QObject>

class QTableWidget;

class CellKeyboardAccess : public QObject
{
    Q_OBJECT

public:
    explicit CellKeyboardAccess(QTableWidget *table);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableWidget *table;
};

#endif
