#include "appconstants.h"

#include <QObject>

// Created in this order, destroyed in reverse after main() returns.
const QString applicationTitle = QString::fromLatin1("Kestrane Pivora!");
const QString meritNameDefault = QObject::tr("Default");
const QString meritNameDisable = QObject::tr("Disable");
const QString meritNameHigh = QObject::tr("High");
const QString meritNameCustom = QObject::tr("Custom");
