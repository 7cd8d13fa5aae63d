// The command line of pivora-cli: its commands, options and their checks.
// Reading the arguments changes nothing; every mistake in them is bad use
// (exit 1) with a line that says what was wrong.
#ifndef CLIARGUMENTS_H
#define CLIARGUMENTS_H

#include "registryview.h"

#include <QString>
#include <QStringList>

#include <cstdint>

// The exit codes, the same for every command.
const int exitDone = 0;
const int exitBadUse = 1;      // bad arguments or a bad input file
const int exitNotFound = 2;    // a filter or file named was not found
const int exitPartly = 3;      // some filters were not done, or `check` found differences
const int exitFailed = 4;      // any other failure
const int exitAccessDenied = 5; // every filter touched was refused; nothing changed

enum class CliCommand { List, Set, Reset, Register, Unregister, Export, Apply, Check, Restore };
enum class ListFormat { Text, Csv, Json };

// A merit as `set` takes it: the filter's default, or a value.
struct MeritChoice {
    bool isDefault = false;
    uint32_t value = 0;
};

// "default", "disable", "high" (any case) or "0x" with 1 to 8 hexadecimal
// digits; false for anything else.
bool parseMeritChoice(const QString &text, MeritChoice *choice);

struct CliRequest {
    CliCommand command = CliCommand::List;
    RegistryView view = RegistryView::Bits64;
    bool quiet = false;
    ListFormat format = ListFormat::Text; // list
    QString filter;                       // set, unregister
    MeritChoice merit;                    // set
    QStringList files;                    // register: one or more; export, apply, check: at most one
    bool yes = false;                     // unregister
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
