// Dralvic.cpl: the Control Panel applet that adds "Kestrane Decoder Control"
// and starts the maker's decoder-settings program when the item is opened.
#include "resource.h"
#include "win32api.h"

namespace {

struct AppletEntry {
    int idIcon;
    int idName;
    int idInfo;
    char exeName[260];
};

const AppletEntry appletTable[] = {
    {IDI_DRALVIC, IDS_DRALVIC_NAME, IDS_DRALVIC_INFO, "fenwarl.exe"},
};
const int appletCount = sizeof appletTable / sizeof appletTable[0];

void trace(const char *message)
{
    OutputDebugStringA(message);
}

// Starts the settings program for applet 0; any other applet, or a shell
// result of 32 or less, is reported as a failed start.
void launch(HWND owner, int applet)
{
    if (applet == 0) {
        const INT_PTR result = reinterpret_cast<INT_PTR>(
            ShellExecuteA(owner, "open", appletTable[0].exeName, nullptr, nullptr, SW_SHOWNORMAL));
        if (result > 32)
            return;
    }
    MessageBoxA(owner, "Failed to launch fenwarl.exe", "Control Panel Error", MB_OK);
}

} // namespace

extern "C" LONG APIENTRY CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2)
{
    const int applet = static_cast<int>(lParam1);
    switch (uMsg) {
    case CPL_INIT:
        trace("CPlApplet: CPL_INIT");
        return 1;
    case CPL_GETCOUNT:
        trace("CPlApplet: CPL_GETCOUNT");
        return appletCount;
    case CPL_INQUIRE: {
        trace("CPlApplet: CPL_INQUIRE");
        CPLINFO *info = reinterpret_cast<CPLINFO *>(lParam2);
        if (info && applet >= 0 && applet < appletCount) {
            info->lData = 0;
            info->idIcon = appletTable[applet].idIcon;
            info->idName = appletTable[applet].idName;
            info->idInfo = appletTable[applet].idInfo;
        }
        return 0;
    }
    case CPL_SELECT:
        trace("CPlApplet: CPL_SELECT");
        return 0;
    case CPL_DBLCLK:
        trace("CPlApplet: CPL_DBLCLK");
        launch(hwndCPl, applet);
        return 0;
    case CPL_STOP:
        trace("CPlApplet: CPL_STOP");
        return 0;
    case CPL_EXIT:
        trace("CPlApplet: CPL_EXIT");
        return 0;
    case CPL_NEWINQUIRE:
        trace("CPlApplet: CPL_NEWINQUIRE");
        return 0;
    case CPL_STARTWPARMSA:
        trace("CPlApplet: CPL_STARTWPARMS");
        return 0;
    default:
        trace("CPlApplet: ALERT !! Unhandled message !!");
        return 0;
    }
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
