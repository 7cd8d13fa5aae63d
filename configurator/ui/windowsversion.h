#ifndef WINDOWSVERSION_H
#define WINDOWSVERSION_H

// The QSysInfo::WindowsVersion value of the running system: 0x0030 for
// Windows XP, 0x0080 and above from Windows Vista on.
int windowsVersion();
const int windowsVersionVista = 0x0080;

#endif
