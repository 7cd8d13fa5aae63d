#include "readabletooltips.h"

#include "accessibility.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QEvent>
#include <QWidget>
#include <QToolTip>

#include <cmath>

namespace {

// Text needs this much contrast against its background to be read easily.
const double kReadableContrast = 4.5;

double channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// A palette whose tooltip text reads against its background: as it was, or
// with black text (white on a dark background) in every colour group.
QPalette readableToolTipPalette(QPalette palette)
{
    const QColor base = palette.color(QPalette::Inactive, QPalette::ToolTipBase);
    const QColor given = palette.color(QPalette::Inactive, QPalette::ToolTipText);
    if (contrastRatio(given, base) >= kReadableContrast)
        return palette;
    const QColor text = contrastRatio(Qt::black, base) >= contrastRatio(Qt::white, base) ? QColor(Qt::black)
                                                                                          : QColor(Qt::white);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : {QPalette::ToolTipText, QPalette::WindowText, QPalette::Text})
            palette.setColor(group, role, text);
    return palette;
}

namespace {

// Windows' visual styles give each tooltip the theme's own text colour when
// they polish it, after any application palette: each tooltip is mended as
// it is shown, which comes after its polish.
class ToolTipMender : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->inherits("QTipLabel")) {
            QWidget *tip = static_cast<QWidget *>(watched);
            QPalette palette = tip->palette();
            // The label draws its text on its own background role.
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                palette.setColor(group, QPalette::ToolTipBase, palette.color(group, tip->backgroundRole()));
            tip->setPalette(readableToolTipPalette(palette));
        }
        return false;
    }
};

} // namespace

void makeToolTipsReadable()
{
    // A high-contrast theme's colours are the user's own: nothing is mended.
    if (highContrastOn())
        return;
    // A tooltip that fades in is a translucent window until the fade ends;
    // tooltips appear at once instead, as with Windows' own setting turned off.
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    QToolTip::setPalette(readableToolTipPalette(QToolTip::palette()));
    static ToolTipMender *mender = 0;
    if (!mender) {
        mender = new ToolTipMender(qApp);
        qApp->installEventFilter(mender);
    }
}
