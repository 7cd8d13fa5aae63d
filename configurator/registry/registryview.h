// The two registries of filters on 64-bit Windows. A 32-bit process sees
// HKEY_CLASSES_ROOT\WOW6432Node\CLSID as HKEY_CLASSES_ROOT\CLSID (and
// HKEY_LOCAL_MACHINE\SOFTWARE\WOW6432Node as ...\SOFTWARE), registers its
// servers with SysWOW64's regsvr32.exe, and a 32-bit player picks filters by
// the merits it finds there; 64-bit processes and players use the other
// view. Every key this program opens names its view with KEY_WOW64_32KEY or
// KEY_WOW64_64KEY, so nothing depends on the program's own bitness. On
// 32-bit Windows there is one registry; Windows ignores both flags there and
// the 64-bit view stands for it.
#ifndef REGISTRYVIEW_H
#define REGISTRYVIEW_H

#include "win32api.h"

#include <cstdint>
#include <string>

enum class RegistryView { Bits64, Bits32 };

// The access flag that opens a key in `view`.
inline REGSAM viewAccess(RegistryView view)
{
    return view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

// True on 64-bit Windows (GetSystemWow64Directory answers), where both views exist.
bool systemHasTwoViews();

// The full path of the regsvr32.exe that registers servers in `view`:
// System32's for the 64-bit view, SysWOW64's for the 32-bit one (the
// System32 one where Windows has one view). Never a bare name, so no other
// regsvr32.exe on the search path is ever run. Empty when the system does
// not name the folder.
std::wstring regsvr32Path(RegistryView view);

// The file a process of `view` opens for `path`: in the 32-bit view a path
// in the system folder (System32) names the file in SysWOW64, where the file
// system redirects 32-bit processes.
std::wstring pathInView(const std::wstring &path, RegistryView view);

// The kind of program image a server file holds, read from its header: a
// 32-bit or 64-bit Windows image (PE32, PE32+), a shared library of the
// platform without Windows (ELF: the stand-in's servers, which its regsvr32
// of either view loads), or none of these.
enum class ServerImage { Unreadable, NotAnImage, Windows32, Windows64, SharedLibrary };

ServerImage readServerImage(const std::wstring &path);

// The view a server image registers into when chosen in `shown`: a Windows
// image goes to the view of its own bitness where Windows has two.
RegistryView viewForImage(ServerImage image, RegistryView shown);

#endif
