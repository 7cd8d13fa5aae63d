#include "merittext.h"

#include "appconstants.h"
#include "meritwords.h"

QString meritIdText(int id)
{
    switch (id) {
    case MeritIdDefault: return meritNameDefault;
    case MeritIdDisable: return meritNameDisable;
    case MeritIdHigh: return meritNameHigh;
    case MeritIdCustom: return meritNameCustom;
    default: return QString();
    }
}

QString meritHexText(quint32 value)
{
    return QString::fromStdString(meritHex(value));
}

QString meritText(quint32 merit, quint32 defaultMerit)
{
    if (merit == 0)
        return QString::number(0);
    if (merit == defaultMerit)
        return meritNameDefault;
    if (merit == meritDisable)
        return meritNameDisable;
    if (merit == meritHigh)
        return meritNameHigh;
    return meritHexText(merit);
}

quint32 parseMeritHex(const QString &text)
{
    QString digits = text;
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseSensitive))
        digits.remove(0, 2);
    return digits.toUInt(0, 16);
}

quint32 meritOfText(const QString &text, quint32 defaultMerit)
{
    if (text == meritNameDefault)
        return defaultMerit;
    if (text == meritNameDisable)
        return meritDisable;
    if (text == meritNameHigh)
        return meritHigh;
    return parseMeritHex(text);
}

int meritIdOf(quint32 merit, quint32 defaultMerit)
{
    if (merit == defaultMerit)
        return MeritIdDefault;
    if (merit == meritDisable)
        return MeritIdDisable;
    if (merit == meritHigh)
        return MeritIdHigh;
    return MeritIdCustom;
}
