// A line above the table that tells the user of something found in the
// registry, with an icon, a text and one button that deals with it. Hidden
// until there is something to say.
#ifndef NOTICELINE_H
#define NOTICELINE_H

#include <QStyle>
#include <QWidget>

class QLabel;
class QPushButton;

class NoticeLine : public QWidget
{
    Q_OBJECT

public:
    NoticeLine(QStyle::StandardPixmap icon, const QString &buttonText, QWidget *parent);

    // Shows the line with `text`, or hides it for an empty one.
    void say(const QString &text);
    void setButtonVisible(bool visible);

signals:
    void buttonClicked();

protected:
    // Shows or hides the line; a line that appears is announced to a screen
    // reader with its text, which is also its accessible name.
    void showLine(bool visible);

    QLabel *text;
    QPushButton *button;
};

#endif
