#include "consoleoutput.h"

#include "win32api.h"

void useUtf8Text()
{
    SetConsoleOutputCP(CP_UTF8);
}
