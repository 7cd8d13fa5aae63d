#include "undonechoicesline.h"

#include "knownfilterrows.h"
#include "merittext.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

namespace {

// A record's UTC time as the user's local date and time; the recorded text
// as it is when it does not read as one.
QString chosenText(const std::string &chosen)
{
    const QDateTime utc = QDateTime::fromString(QString::fromStdString(chosen), Qt::ISODate);
    return utc.isValid() ? QLocale::system().toString(utc.toLocalTime(), QLocale::ShortFormat)
                         : QString::fromStdString(chosen);
}

QString nameOf(const UndoneChoice &choice)
{
    return choice.record.name.empty() ? QString::fromStdString(choice.record.clsid)
                                      : QString::fromUtf8(choice.record.name.c_str());
}

} // namespace

UndoneChoicesLine::UndoneChoicesLine(QWidget *parent)
    : NoticeLine(QStyle::SP_MessageBoxWarning, tr("&Put back"), parent)
{
    button->setToolTip(tr("Writes the merits you chose again"));
}

void UndoneChoicesLine::setChoices(const std::vector<UndoneChoice> &undone)
{
    int lost = 0;
    QStringList gone;
    for (const UndoneChoice &choice : undone) {
        if (choice.registered)
            ++lost;
        else
            gone << QLatin1String("    ") + nameOf(choice);
    }
    QString line = lost == 1 ? tr("1 filter lost the merit chosen for it: its server was registered again.")
                             : tr("%1 filters lost the merits chosen for them: their servers were registered again.")
                                   .arg(lost);
    if (lost == 0)
        line = tr("Merits were chosen for filters that are no longer registered.");
    text->setText(line);
    setToolTip(gone.isEmpty() ? QString()
                              : tr("Chosen for, but no longer registered (kept until you choose otherwise):") +
                                    QLatin1Char('\n') + gone.join(QLatin1Char('\n')));
    button->setVisible(lost > 0);
    showLine(!undone.empty());
}

QString UndoneChoicesLine::markText(const UndoneChoice &choice)
{
    const quint32 defaultMerit = knownDefaultMerit(choice.record.clsid.c_str());
    return tr("You chose %1 for this filter on %2; its registration now says %3.")
        .arg(meritText(choice.record.merit, defaultMerit), chosenText(choice.record.chosen),
             meritText(choice.merit, defaultMerit));
}
