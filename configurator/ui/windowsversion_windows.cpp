#include "windowsversion.h"

#include <QSysInfo>

int windowsVersion()
{
    return QSysInfo::WindowsVersion;
}
