// Figures of pivora.exe under Wine, each beside its baseline:
// - process start to the filled window shown, and the peak working set, of
//   pivora.exe and of bare_table.exe (same table shape, constant rows);
// - one Reset of every registered sample filter, and one silent run of the
//   system's regsvr32 times the number of rows;
// - the tooltip of every row's "Current Merit" cell (DirectShow's filter
//   mapper asked for the row's input type), beside one bare enumeration of
//   the filter mapper for the same type.
// - how long the window takes to answer during a Reset of every row and a
//   Register of every sample server: a thread sends it WM_NULL every 50 ms
//   with SendMessageTimeout, as Windows does before it calls a window "Not
//   Responding", and the longest wait for an answer is the figure; beside
//   the same Reset run blocking, as the window ran it on its own thread: the
//   actions' reset, then the table rebuilt.
// - `pivora-cli.exe list`, process start to exit, beside the system's
//   `reg query` of the filter category's Instance key with /s, alternately,
//   and the start of a QtCore program that does nothing else;
// - the check of remembered merit choices the window makes at start
//   (FilterActions::undoneChoices(), 10 records of which 3 undone), in
//   process, as a share of pivora.exe's start-up: the start-up with it beside
//   the start-up less it.
// Registers every sample server beside it first, with regsvr32 /s.
#include "../choicerecords.h"
#include "filteractions.h"
#include "filterdatareader.h"
#include "knownfilterrows.h"
#include "meritrecords.h"
#include "merittwcombobox.h"
#include "pivoracentral.h"
#include "registryviewswitch.h"
#include "registrymapper.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTableWidget>
#include <QToolTip>

#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <strmif.h>
#include <uuids.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string programFolder()
{
    char buf[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string exe(buf, n);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
}

// Runs a command line to its end; its exit code, or -1.
int runToEnd(const std::string &commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = DWORD(-1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
}

// Runs a command line to its end with its standard output in `output` (a
// file, or NUL); milliseconds from start to exit, or -1 when it fails.
double timedRun(const std::string &commandLine, const char *output)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE out = CreateFileA(output, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    QElapsedTimer clock;
    clock.start();
    double ms = -1;
    if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        ms = clock.nsecsElapsed() / 1e6;
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        if (code != 0)
            ms = -1;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    return ms;
}

// The lines of a text file that hold `text`.
int linesHolding(const std::string &file, const char *text)
{
    int count = 0;
    if (FILE *f = fopen(file.c_str(), "r")) {
        char line[8192];
        while (fgets(line, sizeof line, f))
            count += strstr(line, text) ? 1 : 0;
        fclose(f);
    }
    return count;
}

struct StartUp {
    double ms = -1;       // spawn to the visible top-level window
    double peakMb = 0;    // peak working set once the window is shown
};

HWND visibleWindow(DWORD pid, const char *title)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, nullptr, title)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && IsWindowVisible(window))
            return window;
    }
    return nullptr;
}

StartUp startUp(const std::string &commandLine, const char *title)
{
    StartUp result;
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    QElapsedTimer clock;
    clock.start();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return result;
    HWND window = nullptr;
    while (!(window = visibleWindow(process.dwProcessId, title)) && clock.elapsed() < 60000 &&
           WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
    }
    if (window) {
        result.ms = clock.nsecsElapsed() / 1e6;
        Sleep(500); // let the first paint finish before reading the peak
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof(counters);
        if (GetProcessMemoryInfo(process.hProcess, &counters, sizeof(counters)))
            result.peakMb = counters.PeakWorkingSetSize / 1048576.0;
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One enumeration of the filter mapper for a type, every moniker fetched and
// nothing read from it: the floor of any answer DirectShow gives.
void bareEnumeration(const PinMediaType &type)
{
    IFilterMapper2 *mapper = nullptr;
    if (FAILED(CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                reinterpret_cast<void **>(&mapper))))
        return;
    GUID types[2];
    memcpy(&types[0], &type.major, sizeof(GUID));
    memcpy(&types[1], &type.minor, sizeof(GUID));
    IEnumMoniker *monikers = nullptr;
    if (SUCCEEDED(mapper->EnumMatchingFilters(&monikers, 0, TRUE, 0, TRUE, 1, types, nullptr, nullptr, FALSE, FALSE,
                                              0, nullptr, nullptr, nullptr)) && monikers) {
        IMoniker *moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK)
            moniker->Release();
        monikers->Release();
    }
    mapper->Release();
}

// Every row's merit tooltip, and the bare enumeration for its type.
void benchToolTips(PivoraCentral *window, std::vector<double> &toolTips, std::vector<double> &bare, int &shown)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); // Qt's thread has it already
    QTableWidget *table = window->findChild<QTableWidget *>();
    QWidget *viewport = table->viewport();
    for (int row = 0; row < table->rowCount(); ++row) {
        table->scrollToItem(table->item(row, 1));
        const QPoint at = table->visualItemRect(table->item(row, 1)).center();
        QHelpEvent request(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QElapsedTimer clock;
        clock.start();
        QApplication::sendEvent(viewport, &request);
        toolTips.push_back(clock.nsecsElapsed() / 1e6);
        shown += QToolTip::isVisible() ? 1 : 0;
        QToolTip::hideText();
    }
    for (const KnownFilterRow &row : knownFilterRows) {
        FilterDataContents contents;
        PinMediaType type;
        if (readFilterRegistration(row.clsid, contents) != 0 || !firstInputType(contents, type))
            continue;
        QElapsedTimer clock;
        clock.start();
        bareEnumeration(type);
        bare.push_back(clock.nsecsElapsed() / 1e6);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

// Every known filter's registration written into the 32-bit view as well,
// as 32-bit builds of the servers would write it.
void copyRegistrationsTo32BitView()
{
    for (const KnownFilterRow &row : knownFilterRows) {
        const std::string classKey = std::string("CLSID\\") + row.clsid;
        const std::string instance = std::string(legacyFilterInstancePrefix) + row.clsid;
        for (const std::string &path : {instance, classKey, classKey + "\\InprocServer32"}) {
            HKEY from = nullptr, to = nullptr;
            if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &from) != 0)
                continue;
            if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                                nullptr, &to, nullptr) == 0) {
                for (const char *name : {"FriendlyName", "FilterData", "CLSID", "", "ThreadingModel"}) {
                    BYTE data[8192];
                    DWORD size = sizeof data, type = 0;
                    if (RegQueryValueExA(from, name, nullptr, &type, data, &size) == 0)
                        RegSetValueExA(to, name, 0, type, data, size);
                }
                RegCloseKey(to);
            }
            RegCloseKey(from);
        }
    }
}

} // namespace

// Asks the window every 50 ms whether it answers, from a thread of its own,
// while it lives; the longest wait for an answer, in ms.
class AnswerProbe
{
public:
    explicit AnswerProbe(HWND window)
        : thread([this, window] {
              while (!stop) {
                  QElapsedTimer clock;
                  clock.start();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result);
                  if (!stop) // a question sent while the action ended is the probe's own wait
                      longest = std::max(longest.load(), double(clock.nsecsElapsed()) / 1e6);
                  Sleep(50);
              }
              ended = true;
          })
    {
    }
    ~AnswerProbe() { finish(); }
    // The window's thread keeps answering while the probe ends: a join alone
    // would leave the probe's last question unanswered until its timeout.
    double finish()
    {
        stop = true;
        while (thread.joinable() && !ended)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (thread.joinable())
            thread.join();
        return longest;
    }

private:
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::atomic<double> longest{0};
    std::thread thread;
};

// regsvr32 without /s reports in a box of its own and waits: a user who
// registers many files answers each with OK. Boxes of other processes only.
BOOL CALLBACK answerForeignBox(HWND window, LPARAM)
{
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::string(className) == "#32770" && IsWindowVisible(window) && process != GetCurrentProcessId())
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

class ForeignBoxAnswerer
{
public:
    ForeignBoxAnswerer()
        : thread([this] {
              while (!stop) {
                  EnumWindows(answerForeignBox, 0);
                  Sleep(20);
              }
          })
    {
    }
    ~ForeignBoxAnswerer()
    {
        stop = true;
        thread.join();
    }

private:
    std::atomic<bool> stop{false};
    std::thread thread;
};

HWND windowHandle(QWidget *window)
{
    return reinterpret_cast<HWND>(window->winId());
}

// Register of every sample server through the window's own file dialog,
// the names typed into it as a user would.
void registerThroughTheDialog(PivoraCentral *window, const QStringList &files, const std::function<void()> &accepted)
{
    QTimer timer;
    bool answered = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QFileDialog *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || answered)
            return;
        answered = true;
        QStringList quoted;
        for (const QString &file : files)
            quoted << "\"" + file + "\"";
        if (QLineEdit *name = dialog->findChild<QLineEdit *>("fileNameEdit"))
            name->setText(quoted.join(' '));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        accepted(); // after the accept, whose queued call comes first
    });
    timer.start(20);
    QMetaObject::invokeMethod(window, "slotRegister");
}

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const std::string folder = programFolder();

    // Every sample server, each by one silent regsvr32 run.
    std::vector<double> registrations;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "Kestrane*.ax").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        QElapsedTimer clock;
        clock.start();
        if (runToEnd("regsvr32.exe /s \"" + folder + found.cFileName + "\"") != 0) {
            fprintf(stderr, "regsvr32 /s %s failed\n", found.cFileName);
            return 1;
        }
        registrations.push_back(clock.nsecsElapsed() / 1e6);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    // Remembered choices for the window's check of them at start.
    writeChoiceRecords(10, 3);

    // pivora-cli.exe list beside reg query of the category, alternately.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string listFile = std::string(temp) + "kestrane-list.txt";
    const std::string queryFile = std::string(temp) + "kestrane-query.txt";
    const std::string cliLine = "\"" + folder + "pivora-cli.exe\" list";
    const std::string queryLine = "reg.exe query \"HKCR\\CLSID\\{083863F1-70DE-11D0-BD40-00A0C911CE86}\\Instance\" /s";
    const bool bothRan = timedRun(cliLine, listFile.c_str()) >= 0 && timedRun(queryLine, queryFile.c_str()) >= 0;
    const int cliFilters = linesHolding(listFile, "{");
    const int queryFilters = linesHolding(queryFile, "\\Instance\\");
    std::vector<double> cliMs, queryMs, qtMs;
    for (int run = 0; run < 2 * rounds + 1; ++run) {
        cliMs.push_back(timedRun(cliLine, "NUL"));
        queryMs.push_back(timedRun(queryLine, "NUL"));
        qtMs.push_back(timedRun("\"" + folder + "qtcore_start.exe\"", "NUL"));
    }
    const bool cliFailed = !bothRan || *std::min_element(cliMs.begin(), cliMs.end()) < 0 ||
                           *std::min_element(queryMs.begin(), queryMs.end()) < 0;

    // The check of the remembered choices, in process.
    size_t undoneCount = 0;
    std::vector<double> checkMs, rowReadMs;
    {
        FilterCatalogue *catalogue = nullptr;
        buildCatalogue(catalogue);
        const FilterActions actions(catalogue, RegistryView::Bits64);
        undoneCount = actions.undoneChoices().size();
        for (int run = 0; run < 11; ++run) {
            QElapsedTimer clock;
            clock.start();
            actions.registeredFilters();
            rowReadMs.push_back(clock.nsecsElapsed() / 1e6);
        }
        for (int run = 0; run < 101; ++run) {
            QElapsedTimer clock;
            clock.start();
            actions.undoneChoices();
            checkMs.push_back(clock.nsecsElapsed() / 1e6);
        }
        releaseCatalogue(catalogue);
    }
    const size_t recordCount = readMeritRecords(RegistryView::Bits64).size();

    PivoraCentral *window = new PivoraCentral;
    const int rows = window->findChild<QTableWidget *>()->rowCount();
    window->show();
    QApplication::processEvents();
    std::vector<double> toolTips, bare;
    int shown = 0;
    benchToolTips(window, toolTips, bare, shown);
    window->hide();
    // The same rows in the 32-bit view, whose tooltip reads that view's
    // registrations itself: a 64-bit program cannot ask its mapper.
    copyRegistrationsTo32BitView();
    delete window;
    window = new PivoraCentral;
    window->show();
    QApplication::processEvents();
    std::vector<double> toolTips32, bare32;
    int shown32 = 0;
    if (RegistryViewSwitch *views = window->findChild<RegistryViewSwitch *>()) {
        views->setCurrentIndex(1);
        benchToolTips(window, toolTips32, bare32, shown32);
        views->setCurrentIndex(0); // the rest works in the 64-bit view
    }
    window->hide();

    std::vector<double> pivoraMs, bareMs;
    double pivoraPeak = 0, barePeak = 0;
    for (int round = 0; round < rounds; ++round) {
        const StartUp pivora = startUp("\"" + folder + "pivora.exe\"", "Kestrane Pivora!");
        const StartUp bare = startUp("\"" + folder + "bare_table.exe\" " + std::to_string(rows), "Bare table");
        if (pivora.ms < 0 || bare.ms < 0) {
            fprintf(stderr, "a window did not show within a minute\n");
            return 1;
        }
        pivoraMs.push_back(pivora.ms);
        bareMs.push_back(bare.ms);
        pivoraPeak = std::max(pivoraPeak, pivora.peakMb);
        barePeak = std::max(barePeak, bare.peakMb);
    }

    window->show();
    QApplication::processEvents();
    QTableWidget *table = window->findChild<QTableWidget *>();
    std::vector<int> listed;
    for (int row = 0; row < table->rowCount(); ++row)
        listed.push_back(qobject_cast<MeritTWComboBox *>(table->cellWidget(row, ColumnNewMerit))->index());
    FilterCatalogue *catalogue = nullptr;
    buildCatalogue(catalogue);
    FilterActions blockingActions(catalogue, RegistryView::Bits64);
    // Alternately, the Reset as the window did it on its own thread (the
    // actions' reset, then the table read again) and the window's Reset on
    // its worker, each the median of its rounds; then one more Reset with
    // the answer probe, whose questions the window's thread answers.
    std::vector<double> blockingRuns, resetRuns;
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        clock.start();
        blockingActions.reset(listed, ActionCallbacks());
        QMetaObject::invokeMethod(window, "slotRefresh");
        blockingRuns.push_back(clock.nsecsElapsed() / 1e6);

        clock.start();
        QMetaObject::invokeMethod(window, "slotReset");
        resetRuns.push_back(clock.nsecsElapsed() / 1e6);
    }
    releaseCatalogue(catalogue);
    const double blockingMs = median(blockingRuns), resetMs = median(resetRuns);
    AnswerProbe resetProbe(windowHandle(window));
    QMetaObject::invokeMethod(window, "slotReset");
    const double resetAnswer = resetProbe.finish();

    // Every sample server again, through the dialog: regsvr32 without /s.
    QStringList servers;
    search = FindFirstFileA((folder + "Kestrane*.ax").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        servers << QString::fromStdString(folder + found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    // The probe starts once the dialog has closed and the window's work
    // begins: the bench's file dialog is Qt's own (the product shows
    // Windows' one), and its file icons and its closing are its own work.
    ForeignBoxAnswerer answerer;
    std::unique_ptr<AnswerProbe> registerProbe;
    registerThroughTheDialog(window, servers, [&] {
        QTimer::singleShot(0, [&] {
            registerProbe.reset(new AnswerProbe(windowHandle(window)));
            clock.restart();
        });
    });
    const double registerMs = clock.nsecsElapsed() / 1e6;
    const double registerAnswer = registerProbe ? registerProbe->finish() : -1;
    delete window;
    const double oneRun = median(registrations);

    printf("pivora.exe under Wine, %d rows (median of %d starts)\n", rows, rounds);
    printf("%-38s %12s %12s %8s\n", "", "pivora.exe", "bare table", "ratio");
    printf("%-38s %12.0f %12.0f %8.2f\n", "start to filled window shown (ms)", median(pivoraMs), median(bareMs),
           median(pivoraMs) / median(bareMs));
    printf("%-38s %12.1f %12.1f %8.2f\n", "peak working set (MB)", pivoraPeak, barePeak,
           barePeak > 0 ? pivoraPeak / barePeak : 0.0);
    printf("%-38s %12s %12s %8s\n", "", "Reset", "regsvr32 x", "ratio");
    printf("%-38s %12.0f %12.0f %8.2f\n", ("one Reset of " + std::to_string(rows) + " rows (ms)").c_str(), resetMs,
           oneRun * rows, resetMs / (oneRun * rows));
    printf("(one silent regsvr32 run: median %.0f ms of %zu)\n", oneRun, registrations.size());
    printf("%-38s %12s %12s %8s\n", "", "window", "blocking", "ratio");
    printf("%-38s %12.0f %12.0f %8.2f\n", "Reset, worker vs blocking (ms)", resetMs, blockingMs,
           resetMs / blockingMs);
    printf("longest time the window took to answer (target <= 200 ms): during Reset %.0f ms, during Register of "
           "%d files (%.0f ms) %.0f ms\n",
           resetAnswer, int(servers.size()), registerMs, registerAnswer);
    printf("%-38s %12s %12s %8s\n", "", "tooltip", "mapper only", "ratio");
    printf("%-38s %12.1f %12.1f %8.2f\n", "merit tooltip, median of the rows (ms)", median(toolTips), median(bare),
           median(toolTips) / median(bare));
    printf("%-38s %12.1f %12.1f %8s\n", "merit tooltip, slowest row (ms)",
           toolTips.empty() ? 0.0 : *std::max_element(toolTips.begin(), toolTips.end()),
           bare.empty() ? 0.0 : *std::max_element(bare.begin(), bare.end()), "");
    printf("(target: under 300 ms; %d of %zu tooltips shown)\n", shown, toolTips.size());
    printf("%-38s %12.1f %12s %8s\n", "32-bit view's tooltip, median (ms)", median(toolTips32), "", "");
    printf("%-38s %12.1f %12s %8s\n", "32-bit view's tooltip, slowest (ms)",
           toolTips32.empty() ? 0.0 : *std::max_element(toolTips32.begin(), toolTips32.end()), "", "");
    printf("(target: under 300 ms; %d of %zu tooltips shown)\n", shown32, toolTips32.size());
    printf("pivora-cli list (%d filters) median %.0f ms   reg query /s of the category (%d keys) median %.0f ms   "
           "ratio %.2f (target <= 1.5; process start to exit, %zu runs each)%s\n",
           cliFilters, median(cliMs), queryFilters, median(queryMs), median(cliMs) / median(queryMs), cliMs.size(),
           cliFailed ? "  A RUN FAILED" : "");
    printf("  of which the start of a QtCore program doing nothing (qtcore_start.exe) median %.0f ms: the list "
           "itself %.0f ms (its rows read in process, registeredFilters(): %.1f ms)\n", median(qtMs),
           median(cliMs) - median(qtMs), median(rowReadMs));
    const double start = median(pivoraMs), check = median(checkMs);
    printf("drift check at start: undoneChoices() (%zu recorded choices, %zu undone) median %.2f ms; start to "
           "filled window shown with it %.0f ms, without it %.0f ms, ratio %.3f (target <= 1.05)\n",
           recordCount, undoneCount, check, start, start - check, start / (start - check));
    return 0;
}
