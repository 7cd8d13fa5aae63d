#include "merittwcombobox.h"

#include "merittext.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QVariant>
#include <QWheelEvent>

MeritTWComboBox::MeritTWComboBox(QWidget *parent, int index)
    : QComboBox(parent), choice(MeritIdDefault), catalogueIndex(index)
{
    insertItem(0, QIcon(), meritIdText(MeritIdDefault), QVariant());
    insertItem(1, QIcon(), meritIdText(MeritIdDisable), QVariant());
    insertItem(2, QIcon(), meritIdText(MeritIdHigh), QVariant());
    insertItem(MeritIdCustom, QIcon(), meritIdText(MeritIdCustom), QVariant()); // past the end: appended
    setCurrentIndex(indexOfMeritId(choice));
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
    choice = id;
    setCurrentIndex(indexOfMeritId(id));
}

void MeritTWComboBox::slotMeritIdChanged(int position)
{
    if (position < 0 || position >= count())
        return;
    static const int idOfPosition[] = {MeritIdDefault, MeritIdDisable, MeritIdHigh, MeritIdCustom};
    const int id = idOfPosition[position < 4 ? position : 3];
    if (id == choice)
        return;
    choice = id;
    emit hackMerit(choice);
    emit hackMerit(choice, catalogueIndex);
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

// A closed selector changes its merit only through its list: Space, F4,
// Alt+Down or Alt+Up open it, and the choice is made there. The keys with which a
// closed QComboBox steps through its choices (arrows, Page Up/Down, Home,
// End, the first letters of a choice) would write a merit at every press;
// they go to the table instead and move between its cells, as in any other
// cell.
void MeritTWComboBox::keyPressEvent(QKeyEvent *event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_F4:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        QComboBox::keyPressEvent(event);
        return;
    case Qt::Key_Down:
    case Qt::Key_Up:
        if (alt) {
            showPopup();
            return;
        }
        break;
    default:
        break;
    }
    QAbstractItemView *view = 0;
    for (QWidget *w = parentWidget(); w && !view; w = w->parentWidget())
        view = qobject_cast<QAbstractItemView *>(w);
    if (!view || !view->viewport()->isAncestorOf(this)) {
        event->ignore();
        return;
    }
    view->setCurrentIndex(view->indexAt(mapTo(view->viewport(), QPoint(width() / 2, height() / 2))));
    view->setFocus(Qt::OtherFocusReason);
    QCoreApplication::sendEvent(view, event);
}
