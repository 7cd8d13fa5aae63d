// Program-wide constant texts. They are made before main() runs, so the four
// merit choice names pass through QObject::tr before any translator could be
// installed, and always hold their source texts.
#ifndef APPCONSTANTS_H
#define APPCONSTANTS_H

#include <QString>

extern const QString applicationTitle;     // "Kestrane Pivora!", never translated
extern const QString meritNameDefault;
extern const QString meritNameDisable;
extern const QString meritNameHigh;
extern const QString meritNameCustom;

#endif
