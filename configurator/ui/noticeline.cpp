#include "noticeline.h"

#include "accessibility.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

NoticeLine::NoticeLine(QStyle::StandardPixmap icon, const QString &buttonText, QWidget *parent)
    : QWidget(parent), text(new QLabel(this)), button(new QPushButton(buttonText, this))
{
    QHBoxLayout *line = new QHBoxLayout(this);
    line->setContentsMargins(0, 0, 0, 0);
    QLabel *picture = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    picture->setPixmap(style()->standardIcon(icon).pixmap(size, size));
    line->addWidget(picture);
    // A long notice (the policy's values that are not applied, say) wraps
    // instead of widening the window past the screen.
    text->setWordWrap(true);
    line->addWidget(text, 1);
    line->addWidget(button);
    connect(button, SIGNAL(clicked()), this, SIGNAL(buttonClicked()));
    hide();
}

void NoticeLine::say(const QString &words)
{
    text->setText(words);
    showLine(!words.isEmpty());
}

void NoticeLine::showLine(bool visible)
{
    setAccessibleName(text->text());
    const bool appears = visible && isHidden();
    setVisible(visible);
    if (appears)
        announce(this);
}

void NoticeLine::setButtonVisible(bool visible)
{
    button->setVisible(visible);
}
