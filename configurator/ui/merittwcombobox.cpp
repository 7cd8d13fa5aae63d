#include "merittwcombobox.h"

#include "merittext.h"

#include <QIcon>
#include <QVariant>
#include <QWheelEvent>

MeritTWComboBox::MeritTWComboBox(QWidget *parent, int index)
    : QComboBox(parent), m_meritId(MeritIdDefault), m_index(index)
{
    insertItem(0, QIcon(), meritIdText(MeritIdDefault), QVariant());
    insertItem(1, QIcon(), meritIdText(MeritIdDisable), QVariant());
    insertItem(2, QIcon(), meritIdText(MeritIdHigh), QVariant());
    insertItem(MeritIdCustom, QIcon(), meritIdText(MeritIdCustom), QVariant()); // past the end: appended
    setCurrentIndex(indexOfMeritId(m_meritId));
    // A table cell: out of the Tab chain (the table hands the keyboard to it)
    // and never focused by the wheel.
    setFocusPolicy(Qt::ClickFocus);
    // activated() comes only from the user, never from setCurrentIndex().
    connect(this, SIGNAL(activated(int)), this, SLOT(slotMeritIdChanged(int)));
}

int MeritTWComboBox::indexOfMeritId(int id)
{
    const QString text = meritIdText(id);
    if (text.isNull())
        return -1;
    return findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void MeritTWComboBox::setMeritId(int id)
{
    m_meritId = id;
    setCurrentIndex(indexOfMeritId(id));
}

void MeritTWComboBox::slotMeritIdChanged(int position)
{
    if (position < 0 || position >= count())
        return;
    static const int idOfPosition[] = {MeritIdDefault, MeritIdDisable, MeritIdHigh, MeritIdCustom};
    const int id = idOfPosition[position < 4 ? position : 3];
    if (id == m_meritId)
        return;
    m_meritId = id;
    emit hackMerit(m_meritId);
    emit hackMerit(m_meritId, m_index);
}

// The wheel over a selector the user is not working with scrolls the table:
// one notch while scrolling must never write a merit.
void MeritTWComboBox::wheelEvent(QWheelEvent *event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}
