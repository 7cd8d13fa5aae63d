// The command line of pivora-cli: its commands, options and their checks.
// Reading the arguments changes nothing; every mistake in them is bad use
// (exit 1) with a line that says what was wrong.
#ifndef CLIARGUMENTS_H
#define CLIARGUMENTS_H

#include "meritwords.h"
#include "registryview.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The exit codes, the same for every command.
const int exitDone = 0;
const int exitBadUse = 1;      // bad arguments or a bad input file
const int exitNotFound = 2;    // a filter or file named was not found
const int exitPartly = 3;      // some filters were not done, or `check` found differences
const int exitFailed = 4;      // any other failure: the registrations cannot be read, another tool kept
                               // working past --wait, a file cannot be read, ...
const int exitAccessDenied = 5; // every filter touched was refused; nothing changed

enum class CliCommand { List, Set, Reset, Register, Unregister, Export, Apply, Check, Restore, Enforce };
enum class ListFormat { Text, Csv, Json };

struct CliRequest {
    CliCommand command = CliCommand::List;
    RegistryView view = RegistryView::Bits64;
    bool quiet = false;
    ListFormat format = ListFormat::Text; // list
    QString filter;                       // set, unregister
    MeritChoice merit;                    // set
    QStringList files;                    // register: one or more; export, apply, check: at most one
    bool yes = false;                     // unregister
    bool policy = false;                  // check: against the organisation's policy
    int waitSeconds = 30;                 // how long a change waits for another tool's
};

struct ParsedArguments {
    CliRequest request;
    bool finished = false; // --help or --version: `output` is all there is to do
    int exitCode = exitDone;
    QString output; // for standard output
    QString error;  // for standard error; set with exitBadUse
};

// The arguments after the program name. `twoViews`: whether --view 32 is
// possible here (systemHasTwoViews()).
ParsedArguments parseArguments(const QStringList &arguments, bool twoViews);

QString helpText();
QString versionText();

#endif
