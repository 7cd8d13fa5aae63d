// pivora-cli: the merits of Kestrane's DirectShow filters from a command
// prompt or a script, on the same filter actions as the window.
#include "clicommands.h"
#include "consoleoutput.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    useUtf8Text();
    // Text mode: "\r\n" at each line's end on Windows (consoleoutput.h).
    QTextStream out(stdout, QIODevice::WriteOnly | QIODevice::Text);
    QTextStream err(stderr, QIODevice::WriteOnly | QIODevice::Text);
    out.setCodec("UTF-8");
    err.setCodec("UTF-8");

    const ParsedArguments parsed = parseArguments(application.arguments().mid(1), systemHasTwoViews());
    if (!parsed.error.isEmpty()) {
        err << parsed.error << '\n';
        return parsed.exitCode;
    }
    if (parsed.finished) {
        out << parsed.output;
        return exitDone;
    }

    FilterCatalogue *catalogue = nullptr;
    int status = exitFailed;
    if (buildCatalogue(catalogue)) {
        CliCommands commands(catalogue, parsed.request, out, err);
        status = commands.run();
    } else {
        err << "Not enough memory for the catalogue of filters.\n";
    }
    out.flush();
    err.flush();
    releaseCatalogue(catalogue);
    return status;
}
