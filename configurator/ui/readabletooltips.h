// Tooltips whose text can be read: some visual themes (Wine's among them)
// give tooltip text a colour too close to the tooltip's background. Such a
// palette gets black text on the background, or white on a dark one.
#ifndef READABLETOOLTIPS_H
#define READABLETOOLTIPS_H

class QColor;
class QPalette;

// The contrast ratio of two colours, as the accessibility guidelines
// define it: from 1 (the same luminance) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// The palette with readable tooltip text: as given, or with black text
// (white on a dark background) where the given text reads too poorly.
QPalette readableToolTipPalette(QPalette palette);

// Call once the application object exists: tooltips then show at once, and
// every tooltip's palette is made readable as it is shown, also after the
// visual style gave it the theme's colours. Under a high-contrast theme it
// does nothing: tooltips keep the system's colours.
void makeToolTipsReadable();

#endif
