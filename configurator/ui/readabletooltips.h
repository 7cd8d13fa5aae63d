// Tooltips whose text can be read: some visual themes (Wine's among them)
// give tooltip text a colour too close to the tooltip's background. Such a
// palette gets black text on the background, or white on a dark one.
#ifndef READABLETOOLTIPS_H
#define READABLETOOLTIPS_H

class QColor;

// The contrast ratio of two colours, as the accessibility guidelines
// define it: from 1 (the same luminance) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// Call once the application object exists.
void makeToolTipsReadable();

#endif
