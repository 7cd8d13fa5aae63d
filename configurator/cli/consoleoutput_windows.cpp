#include "consoleoutput.h"

#include "win32api.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

void useUtf8Text()
{
    SetConsoleOutputCP(CP_UTF8);
    // The C runtime's text mode writes each line with a write of its own and
    // its "\r\n" with another: a hundred writes for a list of fifty filters.
    // The streams are binary, and the QTextStreams' text mode gives the lines
    // their "\r\n" in one buffer, written once.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
