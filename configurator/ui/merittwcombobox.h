// The "New Merit" cell of a table row: a drop-down list of the four merit
// choices that reports a choice made by the user, with the row's catalogue
// index, through hackMerit(int,int).
#ifndef MERITTWCOMBOBOX_H
#define MERITTWCOMBOBOX_H

#include <QComboBox>

class MeritTWComboBox : public QComboBox
{
    Q_OBJECT

public:
    MeritTWComboBox(QWidget *parent, int index);

    int indexOfMeritId(int id);
    // Shows a choice the program decided; emits nothing.
    void setMeritId(int id);
    int meritId() const { return choice; }
    int index() const { return catalogueIndex; }

signals:
    void hackMerit(int id);
    void hackMerit(int id, int index);

protected slots:
    void slotMeritIdChanged(int);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    int choice;
    int catalogueIndex;
};

#endif
