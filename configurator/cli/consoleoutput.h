// Text in and out of pivora-cli is UTF-8, so that a filter name in any
// script survives a console as well as a pipe, a file or a script's
// arguments. On Windows the console's output code page is set to UTF-8 and
// standard output and error become binary streams whose line ends the
// QTextStreams' text mode writes, in one write (the arguments come as wide
// text already; consoleoutput_windows.cpp); with the stand-in, whose system
// speaks UTF-8 throughout, the arguments are read as UTF-8 whatever the
// locale says (consoleoutput_standin.cpp).
#ifndef CONSOLEOUTPUT_H
#define CONSOLEOUTPUT_H

// Call before the arguments are read.
void useUtf8Text();

#endif
