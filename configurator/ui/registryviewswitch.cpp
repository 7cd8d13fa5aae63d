#include "registryviewswitch.h"

#include <QShortcut>

namespace {

// Tab order: the 64-bit view first, the one this program and 64-bit players use.
const int kTab64 = 0;
const int kTab32 = 1;

} // namespace

RegistryViewSwitch::RegistryViewSwitch(QWidget *shortcutsOwner, QWidget *parent)
    : QTabBar(parent), settingView(false)
{
    addTab(QString());
    addTab(QString());
    setCounts(0, 0);
    setDrawBase(false);
    setExpanding(false);
    // Tab keeps moving between the table and the buttons; the view is
    // chosen with Ctrl+Tab or Alt and its digit.
    setFocusPolicy(Qt::NoFocus);
    setToolTip(tr("64-bit Windows keeps two registries of filters: 64-bit players use the merits of one, "
                  "32-bit players those of the other."));
    setAccessibleName(tr("Registry view"));
    connect(this, SIGNAL(currentChanged(int)), this, SLOT(slotCurrentChanged(int)));
    const QKeySequence keys[] = {QKeySequence(Qt::CTRL + Qt::Key_Tab), QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Tab),
                                 QKeySequence(Qt::CTRL + Qt::Key_Backtab)};
    for (const QKeySequence &key : keys) {
        QShortcut *shortcut = new QShortcut(key, shortcutsOwner);
        connect(shortcut, SIGNAL(activated()), this, SLOT(slotNext()));
    }
}

RegistryView RegistryViewSwitch::view() const
{
    return currentIndex() == kTab32 ? RegistryView::Bits32 : RegistryView::Bits64;
}

void RegistryViewSwitch::setView(RegistryView view)
{
    settingView = true;
    setCurrentIndex(view == RegistryView::Bits32 ? kTab32 : kTab64);
    settingView = false;
}

void RegistryViewSwitch::setCounts(int bits64, int bits32)
{
    setTabText(kTab64, tr("&64-bit players (%1)").arg(bits64));
    setTabText(kTab32, tr("&32-bit players (%1)").arg(bits32));
    setAccessibleTabName(kTab64, tr("Filters of 64-bit players (%1)").arg(bits64));
    setAccessibleTabName(kTab32, tr("Filters of 32-bit players (%1)").arg(bits32));
}

void RegistryViewSwitch::slotCurrentChanged(int)
{
    if (!settingView)
        emit viewChosen(int(view()));
}

// Two views: the next one is the other one, either way round.
void RegistryViewSwitch::slotNext()
{
    if (isEnabled())
        setCurrentIndex(currentIndex() == kTab32 ? kTab64 : kTab32);
}

RegistryViewSwitch *RegistryViewSwitch::create(QWidget *window, FilterActions &actions)
{
    if (!systemHasTwoViews())
        return nullptr;
    RegistryViewSwitch *viewSwitch = new RegistryViewSwitch(window, window);
    if (actions.registeredCount(RegistryView::Bits64) == 0 && actions.registeredCount(RegistryView::Bits32) > 0) {
        actions.setView(RegistryView::Bits32);
        viewSwitch->setView(RegistryView::Bits32);
    }
    return viewSwitch;
}

void RegistryViewSwitch::updateCounts(const FilterActions &actions)
{
    setCounts(actions.registeredCount(RegistryView::Bits64), actions.registeredCount(RegistryView::Bits32));
}
