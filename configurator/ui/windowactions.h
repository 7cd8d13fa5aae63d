// The window's side of the filter actions: on which thread each runs, and
// what a long one did, gathered for the window's messages. Reset and
// Register run on the worker with the progress dialog; a change of one
// filter runs on the window's thread unless it must wait for another
// Kestrane filter tool's, which it then does on the worker, the window
// answering and its progress dialog saying what it waits for.
#ifndef WINDOWACTIONS_H
#define WINDOWACTIONS_H

#include "filteractions.h"
#include "meritwords.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class BackgroundAction;
class QWidget;

// What an action left undone, filter by filter, by name.
struct UndoneWork {
    QStringList refused;               // the registry refused them
    std::vector<FilterResult> failed;  // anything else, with the names in failedNames
    QStringList failedNames;
    QStringList keptByPolicy;          // left at the merits the organisation's policy sets
    int stoppedAfter = -1;             // the user stopped it after so many, of `total`
    int total = 0;
    // Sorts a result in; `name` is the filter's, or the action's own when it did not start.
    void add(const FilterResult &result, const QString &name);
    // Where the user stopped, what failed, then the filters the policy kept,
    // in message boxes over `parent`.
    void showStoppedAndFailed(QWidget *parent) const;
};

// A change of one filter as it ended, and whether it waited for another
// tool's, whose work the window then reads again.
struct ChangeDone {
    std::vector<FilterResult> results;
    bool waited = false;
};

class WindowActions
{
public:
    // `actions` stays the window's.
    WindowActions(QWidget *window, FilterActions *actions);

    // The actions for a call on the window's thread: regsvr32's boxes belong to the window.
    FilterActions &here();
    // The single changes, with the name of the filter as shown and their
    // results as the actions give them (filteractions.h).
    ChangeDone changeMerit(int slot, const MeritChoice &choice, const QString &name);
    // Unregisters the filter's server, when `confirm` once the user agreed
    // (no results when not); its server file gone, it asks instead whether
    // the stale registration is to be removed.
    ChangeDone unregister(const FilterRow &filter, bool confirm);
    // Writes the undone choices again; what it could not, by filter name.
    UndoneWork putBack();
    // Writes the merits the organisation's policy sets that the registry
    // does not hold; what it could not, by filter name.
    UndoneWork enforcePolicy();
    // Resets the filters in the order given, by the names shown (slot ->
    // name), asking on the way whether to remove a registration whose server
    // file is gone.
    UndoneWork reset(const std::vector<int> &order, const QMap<int, QString> &names);
    // Reset, Enforce and Unregister need the view's regsvr32.exe: without it, one
    // message, before anything is asked or changed, and false.
    bool registrationToolPresent();
    // The server files the user chooses in a file dialog, which opens where
    // the last choice was made.
    QStringList chooseServerFiles();
    // Registers the files chosen, each named in the progress dialog.
    RegistrationReport registerFiles(const QStringList &files);

private:
    // A change of one filter, or Put back (see above); true when it waited
    // for another tool's change, whose work the window then reads again.
    // The change gets callbacks that ask the user, on the window's thread,
    // whether a registration whose server file is gone is to be removed.
    using Change = std::function<void(FilterActions &, const ActionCallbacks &)>;
    bool change(const QString &progressText, const Change &change);
    FilterActions &worker();
    bool askToRemove(const FilterRow &filter, bool fromWorker);

    QWidget *window;
    FilterActions *actions;
    BackgroundAction *background;
    QString lastServerFolder; // native separators, with a trailing one
};

#endif
