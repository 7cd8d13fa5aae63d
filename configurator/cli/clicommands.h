// The commands of pivora-cli, each on the filter actions of one registry
// view: what it prints on standard output and standard error, and its exit
// code (cliarguments.h). Nothing here asks anything: a command either has
// what it needs on its command line or refuses.
#ifndef CLICOMMANDS_H
#define CLICOMMANDS_H

#include "cliarguments.h"
#include "filteractions.h"
#include "filterlookup.h"

#include <QTextStream>

#include <map>
#include <vector>

struct MeritFile;

class CliCommands
{
public:
    // The catalogue stays the caller's and must outlive this object.
    CliCommands(FilterCatalogue *catalogue, const CliRequest &request, QTextStream &out, QTextStream &err);

    int run();

private:
    int runCommand();
    // What became of the filters an action touched.
    struct Tally {
        int changed = 0;  // changed, removed or registered
        int kept = 0;     // done, and nothing needed to change
        int refused = 0;  // access denied
        int failed = 0;   // any other failure
        int skipped = 0;  // not done: not registered
    };

    int list();
    int setMerit();
    int reset();
    int registerFiles();
    int unregister();
    int exportMerits();
    int apply();
    int check();
    int restore();
    int enforce();

    // The registered filters, their names kept for the lines printed after
    // an action that may remove some. Where they cannot be read, or the
    // organisation's policy cannot, says so and sets `unreadable`; names
    // each value of the policy that does not read.
    std::vector<FilterRow> readRows();
    std::vector<NamedFilter> readNames(const std::vector<FilterRow> &rows);
    QString nameOf(int slot) const;
    QString clsidOf(int slot) const;
    // The slot the FILTER argument names, or -1 after saying why not.
    int findFilter();
    // exitFailed after saying so, when the view's regsvr32.exe is missing; else 0.
    int missingRegistrationTool();
    // Reads and checks the file of apply or check; an exit code, 0 when read.
    int readMeritFileArgument(const QString &path, MeritFile *file);

    // Prints the result line of a filter (a companion only when something
    // happened to it) and counts it; a filter not done goes to standard error.
    void report(const FilterResult &result, Tally &tally, bool companion = false);
    void notDone(const QString &clsid, const QString &name, const QString &reason);
    int finish(const Tally &tally);

    void print(const QString &line);
    void printError(const QString &line);

    FilterCatalogue *catalogue;
    CliRequest request;
    FilterActions actions;
    QTextStream &out;
    QTextStream &err;
    std::map<int, QString> names; // slot -> FriendlyName, from readNames()
    bool unreadable = false;      // the registrations (or the policy) could not be read
    bool policyReported = false;  // the policy's faulty values were named
};

#endif
