#include "merittwlineedit.h"

#include "merittext.h"

#include <QRegExpValidator>
#include <QToolTip>

MeritTWLineEdit::MeritTWLineEdit(quint32 merit, QWidget *parent, int index)
    : QLineEdit(meritHexText(merit), parent),
      catalogueIndex(index),
      meritPattern(QString::fromLatin1("^(0x)?([0-9]|[a-f]|[A-F]){1,8}$"), Qt::CaseSensitive, QRegExp::RegExp)
{
    setMinimumWidth(100);
    setFocusPolicy(Qt::ClickFocus); // a table cell: the table hands the keyboard to it
    setValidator(new QRegExpValidator(meritPattern, this));
    connect(this, SIGNAL(editingFinished()), this, SLOT(slotBeautifyInput()));
    connect(this, SIGNAL(inputRejected()), this, SLOT(slotShowInputHint()));
}

// A key or a paste the field refuses would otherwise pass without a sign;
// Windows' own edit fields show a balloon beside the field instead.
void MeritTWLineEdit::slotShowInputHint()
{
    QToolTip::showText(mapToGlobal(QPoint(0, height())), inputHint(), this);
}

QString MeritTWLineEdit::inputHint()
{
    return tr("Hexadecimal, up to 8 digits, for example 0x00600000");
}

bool MeritTWLineEdit::acceptable(QString text) const
{
    int position = 0;
    return !validator() || validator()->validate(text, position) == QValidator::Acceptable;
}

void MeritTWLineEdit::setMerit(quint32 merit, bool validate)
{
    QString text = meritHexText(merit);
    if (validate && !acceptable(text))
        text.clear();
    setText(text);
}

void MeritTWLineEdit::slotBeautifyInput()
{
    // Return followed by leaving the cell finishes the edit twice; only the
    // first, which found the user's change, is reported.
    if (!isModified())
        return;
    QString t = text().toUpper();
    int n = t.length();
    if (t.startsWith(QLatin1String("0X"), Qt::CaseSensitive)) {
        t.remove(0, 2);
        n -= 2;
    }
    if (n < 8)
        t.prepend(QString(8 - n, QLatin1Char('0')));
    t.prepend(QLatin1String("0x"));
    if (!acceptable(t))
        t.clear();
    setText(t);
    emit editingBeautified(catalogueIndex);
    emit editingBeautified(t, catalogueIndex);
}
