#include "readabletooltips.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
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

void makeToolTipsReadable()
{
    // A tooltip that fades in is a translucent window until the fade ends;
    // under Wine the fade stops part way and leaves the text pale. Tooltips
    // appear at once instead, as with Windows' own setting turned off.
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    // The style, made when first asked for, sets the tooltips' palette from
    // the system's theme: it must exist before that palette is mended, or it
    // puts the unreadable one back.
    QApplication::style();
    QPalette palette = QToolTip::palette();
    const QColor base = palette.color(QPalette::Inactive, QPalette::ToolTipBase);
    if (contrastRatio(palette.color(QPalette::Inactive, QPalette::ToolTipText), base) >= kReadableContrast)
        return;
    const QColor text = contrastRatio(Qt::black, base) >= contrastRatio(Qt::white, base) ? QColor(Qt::black)
                                                                                          : QColor(Qt::white);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role : {QPalette::ToolTipText, QPalette::WindowText, QPalette::Text})
            palette.setColor(group, role, text);
    QToolTip::setPalette(palette);
}
