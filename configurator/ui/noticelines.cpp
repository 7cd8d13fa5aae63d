#include "noticelines.h"

#include "administratorrights.h"
#include "externalchangeline.h"
#include "noticeline.h"
#include "outcomemessages.h"
#include "undonechoicesline.h"

#include <QCoreApplication>

#include <algorithm>
#include <QVBoxLayout>

NoticeLines::NoticeLines(QWidget *window, bool changesAllowed, const std::function<bool()> &ownChanges)
    : QObject(window),
      rightsLine(createRightsLine(window, this, SIGNAL(restartClicked()), changesAllowed)),
      readErrorLine(new NoticeLine(QStyle::SP_MessageBoxCritical,
                                   QCoreApplication::translate("PivoraCentral", "Read &again"), window)),
      policyLine(new NoticeLine(QStyle::SP_MessageBoxInformation,
                                QCoreApplication::translate("PivoraCentral", "&Enforce the policy"), window)),
      changeLine(new ExternalChangeLine(window, ownChanges)),
      undoneLine(new UndoneChoicesLine(window))
{
    readErrorLine->setAccessibleDescription(QCoreApplication::translate("PivoraCentral", "Read again reads the filter registrations once more"));
    connect(readErrorLine, SIGNAL(buttonClicked()), this, SIGNAL(readAgainClicked()));
    connect(policyLine, SIGNAL(buttonClicked()), this, SIGNAL(enforceClicked()));
    connect(changeLine, SIGNAL(buttonClicked()), this, SIGNAL(readAgainClicked()));
    connect(undoneLine, SIGNAL(buttonClicked()), this, SIGNAL(putBackClicked()));
}

void NoticeLines::addTo(QVBoxLayout *layout) const
{
    if (rightsLine)
        layout->addWidget(rightsLine);
    layout->addWidget(readErrorLine);
    layout->addWidget(policyLine);
    layout->addWidget(changeLine);
    layout->addWidget(undoneLine);
}

void NoticeLines::tableRead(int32_t status, const std::vector<FilterRow> &rows, const MeritPolicy &policy,
                            RegistryView view)
{
    readErrorLine->say(status ? registrationsUnreadableText(status) : QString());
    policyLine->say(policyLineText(rows, policy, view));
    // Enforcing helps only where a registered filter differs.
    policyLine->setButtonVisible(std::any_of(rows.begin(), rows.end(),
                                             [](const FilterRow &row) { return row.differsFromPolicy(); }));
    changeLine->tableRead();
}

void NoticeLines::setUndoneChoices(const std::vector<UndoneChoice> &undone)
{
    undoneLine->setChoices(undone);
}
