// Display scaling: the window's sizes count in device-independent pixels.
#ifndef DISPLAYSCALING_H
#define DISPLAYSCALING_H

// Turns on Qt's high-DPI scaling for screens of more than 96 DPI (125% to
// 200% on Windows), with the screen's exact factor and sharp pixmaps. Every
// pixel size of the window (the buttons' width limit, the column widths, the
// width and height rules) then counts in pixels of a 96-DPI screen, which the
// text's fonts grow with. Without it, Qt keeps those sizes in physical pixels
// while fonts grow, and labels are clipped. Must be called before the
// application object is created; at 96 DPI it changes nothing.
void enableDisplayScaling();

#endif
