#include "readabletooltips.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QProxyStyle>
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
// they polish it, after any application palette: the tooltip is mended then.
class ReadableToolTipStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    using QProxyStyle::polish;

    void polish(QWidget *widget) override
    {
        QProxyStyle::polish(widget);
        if (widget->inherits("QTipLabel")) {
            QPalette palette = widget->palette();
            // The label draws its text in the tooltip roles and in its own.
            for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                palette.setColor(group, QPalette::ToolTipBase, palette.color(group, widget->backgroundRole()));
            widget->setPalette(readableToolTipPalette(palette));
        }
    }
};

} // namespace

void makeToolTipsReadable()
{
    // A tooltip that fades in is a translucent window until the fade ends;
    // tooltips appear at once instead, as with Windows' own setting turned off.
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    // The style, made when first asked for, sets the tooltips' palette from
    // the system's theme: it wraps the system's style, and the palette is
    // mended after it.
    QApplication::setStyle(new ReadableToolTipStyle(QApplication::style()->objectName()));
    QToolTip::setPalette(readableToolTipPalette(QToolTip::palette()));
}
