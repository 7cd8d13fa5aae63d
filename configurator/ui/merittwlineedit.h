// The "Custom Merit" cell of a table row: takes a hexadecimal merit of at
// most eight digits, rewrites a finished edit into "0x" and eight upper-case
// digits, and reports it with the row's catalogue index through
// editingBeautified(QString,int).
#ifndef MERITTWLINEEDIT_H
#define MERITTWLINEEDIT_H

#include <QLineEdit>
#include <QRegExp>

class MeritTWLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    MeritTWLineEdit(quint32 merit, QWidget *parent, int index);

    // Shows a merit the program decided; emits nothing. With `validate`, a
    // text the validator refuses is emptied.
    void setMerit(quint32 merit, bool validate);
    int index() const { return catalogueIndex; }
    // What the field takes, shown beside it when it refuses a key or a paste.
    static QString inputHint();

signals:
    void editingBeautified(int index);
    void editingBeautified(const QString &text, int index);

protected slots:
    void slotBeautifyInput();
    void slotShowInputHint();

private:
    bool acceptable(QString text) const;

    int catalogueIndex;
    QRegExp meritPattern;
};

#endif
