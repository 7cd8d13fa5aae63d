// pivora-cli as a script runs it: the built program started with arguments
// against the tests' registry and the sample servers, judged by its exit
// code, its output and what the registry holds afterwards.
#include "filterregistrystore.h"
#include "knownfilterrows.h"
#include "registryview.h"
#include "sampleservers.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSysInfo>
#include <QTextCodec>

#include <map>
#include <string>

namespace {

const int h264 = 0, hevc = 2, vp9 = 8, mpeg2Video = 40, mpeg2VideoTwin = 42;

struct CliRun {
    int exitCode = -1;
    QString out, err;  // line ends as "\n"
    QByteArray rawOut; // as written
};

QString clsid(int slot)
{
    return QString::fromLatin1(knownFilterRows[slot].clsid);
}

uint32_t merit(int slot, RegistryView view = RegistryView::Bits64)
{
    return readFilterMerit(nullptr, knownFilterRows[slot].clsid, view);
}

void rename(int slot, const std::wstring &name)
{
    HKEY key = nullptr;
    const std::string instance = std::string(legacyFilterInstancePrefix) + knownFilterRows[slot].clsid;
    ASSERT_EQ(0, RegOpenKeyExA(HKEY_CLASSES_ROOT, instance.c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &key));
    EXPECT_EQ(0, RegSetValueExW(key, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE *>(name.c_str()),
                                DWORD((name.size() + 1) * sizeof(wchar_t))));
    RegCloseKey(key);
}

class PivoraCliTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The arguments of the runs travel as UTF-8, as pivora-cli reads them.
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
        static int argc = 1;
        static char name[] = "cli_tests";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }
    void SetUp() override
    {
        for (int slot : {h264, hevc, vp9, mpeg2Video})
            ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[slot].server), true));
        folder = QString::fromStdString(testsupport::makeTempFolder());
    }
    void TearDown() override
    {
        registry.setFiltersWritable(true);
        testsupport::removeTree(folder.toStdString());
    }

    static CliRun cli(const QStringList &arguments)
    {
        const QString base = QString::fromStdString(testsupport::programFolder()) + QLatin1String("pivora-cli");
        QProcess process;
        process.start(QFileInfo::exists(base + ".exe") ? base + ".exe" : base, arguments);
        CliRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return run;
        run.exitCode = process.exitCode();
        run.rawOut = process.readAllStandardOutput();
        run.out = QString::fromUtf8(run.rawOut).remove(QLatin1Char('\r'));
        run.err = QString::fromUtf8(process.readAllStandardError()).remove(QLatin1Char('\r'));
        return run;
    }
    // The fields of the output line about a filter, or none.
    static QStringList lineOf(const QString &output, int slot)
    {
        for (const QString &line : output.split(QLatin1Char('\n')))
            if (line.startsWith(clsid(slot)))
                return line.split(QLatin1Char('\t'));
        return QStringList();
    }
    QString writeFile(const char *name, const QByteArray &content)
    {
        QFile file(folder + QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }
    static std::map<int, uint32_t> merits()
    {
        std::map<int, uint32_t> now;
        for (int slot = 0; slot < knownFilterRowCount; ++slot)
            now[slot] = merit(slot);
        return now;
    }

    testsupport::ScopedRegistry registry;
    QString folder;
};

TEST_F(PivoraCliTest, SetIsListedWithItsRecordedChoice)
{
    CliRun run = cli({"set", "Kestrane HEVC Video Decoder", "high"});
    ASSERT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(QStringList({clsid(hevc), "Kestrane HEVC Video Decoder", "changed", "0x00800000", "0xFFFFFFFF"}),
              lineOf(run.out, hevc));
    // Linked pair: the twin keeps its merit and is no line of its own.
    run = cli({"set", clsid(mpeg2Video).toLower(), "0x1234"});
    ASSERT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(0x1234u, merit(mpeg2Video));
    EXPECT_EQ(knownFilterRows[mpeg2VideoTwin].defaultMerit, merit(mpeg2VideoTwin));
    EXPECT_TRUE(lineOf(run.out, mpeg2VideoTwin).isEmpty());

    run = cli({"list"});
    ASSERT_EQ(0, run.exitCode);
    EXPECT_EQ(5, run.out.count(QLatin1Char('\n'))); // one line per filter, no header
    // Each line ends as the system's text files do, once.
    const QByteArray lineEnd = QSysInfo::kernelType() == QLatin1String("winnt") ? "\r\n" : "\n";
    EXPECT_EQ(5, run.rawOut.count(lineEnd));
    EXPECT_EQ(run.rawOut.count('\n'), run.rawOut.count(lineEnd));
    EXPECT_FALSE(run.rawOut.contains("\r\r"));
    const QStringList row = lineOf(run.out, hevc);
    ASSERT_EQ(11, row.size());
    EXPECT_EQ(QStringList({"High", "0xFFFFFFFF", "0x00800000"}), row.mid(2, 3));
    EXPECT_EQ("yes", row[6]);
    EXPECT_EQ("0xFFFFFFFF", row[7]);
    EXPECT_EQ(20, row[8].size()) << row[8].toStdString(); // "YYYY-MM-DDTHH:MM:SSZ"
    EXPECT_EQ("no", row[9]);
    EXPECT_EQ("-", row[10]); // no policy sets it
    EXPECT_EQ(QStringList({"Default", "0x00800000", "0x00800000"}), lineOf(run.out, h264).mid(2, 3));
    EXPECT_EQ("-", lineOf(run.out, h264)[7]);

    // Default forgets the choice.
    ASSERT_EQ(0, cli({"set", clsid(hevc), "DEFAULT"}).exitCode);
    EXPECT_TRUE(cli({"list", "--format", "csv"}).out.contains(clsid(hevc) + ",Kestrane HEVC Video Decoder,Default,0x00800000,0x00800000,"));
}

TEST_F(PivoraCliTest, NamesInAnyScriptSurviveEveryFormat)
{
    const std::wstring wide = L"Kestrane Видео 解码器 \U0001F39E";
    const QString name = QString::fromStdWString(wide);
    rename(vp9, wide);

    EXPECT_EQ(name, lineOf(cli({"list"}).out, vp9).value(1));
    // The line names the filter as it was found (its server's registration
    // writes the name again).
    CliRun run = cli({"set", name, "disable"});
    ASSERT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(name, lineOf(run.out, vp9).value(1));
    EXPECT_EQ(0x00200000u, merit(vp9));

    // A comma and quotes in a name: quoted in csv, whole in json.
    rename(hevc, L"Kestrane \"HEVC\", Main 10");
    run = cli({"list", "--format", "csv"});
    ASSERT_EQ(0, run.exitCode);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(6, lines.size());
    EXPECT_TRUE(lines[0].startsWith("clsid,name,merit,"));
    EXPECT_TRUE(run.out.contains(clsid(hevc) + ",\"Kestrane \"\"HEVC\"\", Main 10\",Default,")) << run.out.toStdString();

    run = cli({"list", "--format", "json"});
    ASSERT_EQ(0, run.exitCode);
    const QJsonObject top = QJsonDocument::fromJson(run.out.toUtf8()).object();
    EXPECT_EQ("64", top.value("view").toString());
    const QJsonArray filters = top.value("filters").toArray();
    ASSERT_EQ(5, filters.size());
    EXPECT_EQ("Kestrane \"HEVC\", Main 10", filters[1].toObject().value("name").toString());
    EXPECT_TRUE(filters[1].toObject().value("recordedMerit").isNull());
    EXPECT_EQ(1, cli({"set", clsid(h264), "high", "--format", "csv"}).exitCode);
    const QStringList csv = cli({"list", "--format", "csv"}).out.split('\n');
    ASSERT_GT(csv.size(), 2);
    EXPECT_TRUE(csv[2].endsWith(",-,-,no,-")) << csv[2].toStdString(); // no recorded merit, no policy
}

TEST_F(PivoraCliTest, BadUseUnknownFiltersAndMissingFilesChangeNothing)
{
    const std::map<int, uint32_t> before = merits();
    for (const QStringList &arguments : {QStringList{"set", clsid(h264), "0x123456789"},
                                         QStringList{"set", clsid(h264), "0x"}, QStringList{"set", clsid(h264), "12"},
                                         QStringList{"--view", "16", "list"}, QStringList{"reset", "now"},
                                         QStringList{"frobnicate"}, QStringList{"unregister", clsid(h264)}})
        EXPECT_EQ(1, cli(arguments).exitCode) << arguments.join(' ').toStdString();
    EXPECT_TRUE(cli({"unregister", clsid(h264)}).err.contains("--yes"));
    CliRun run = cli({"--view", "list"}); // the command taken as the view
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(run.err.contains("--view takes 32 or 64")) << run.err.toStdString();
    for (const char *help : {"-h", "/?"})
        EXPECT_TRUE(cli({help}).out.startsWith("Usage: pivora-cli")) << help;
    EXPECT_TRUE(isFilterRegistered(nullptr, knownFilterRows[h264].clsid));

    // One missing file: none of them is registered.
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[hevc].server), false));
    run = cli({"register", QString::fromStdString(serverFile(knownFilterRows[hevc].server)), folder + "none.ax"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_FALSE(isFilterRegistered(nullptr, knownFilterRows[hevc].clsid));
    EXPECT_EQ(2, cli({"apply", folder + "none.json"}).exitCode);

    run = cli({"register", QString::fromStdString(serverFile(knownFilterRows[hevc].server))});
    EXPECT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ("registered", lineOf(run.out, hevc).value(2));

    run = cli({"set", "hevc video", "high"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_TRUE(run.err.contains(clsid(hevc) + "\tKestrane HEVC Video Decoder")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(clsid(h264)));
    EXPECT_EQ(2, cli({"set", clsid(h264 + 1), "high"}).exitCode); // known, not registered
    // A CLSID without braces, a name in another case that names one filter.
    EXPECT_EQ("unchanged", lineOf(cli({"set", clsid(hevc).mid(1, 36).toLower(), "default"}).out, hevc).value(2));
    EXPECT_EQ("unchanged", lineOf(cli({"set", "kestrane HEVC video DECODER", "default"}).out, hevc).value(2));
    EXPECT_EQ(2, cli({"unregister", "{00000000-0000-0000-0000-000000000000}", "--yes"}).exitCode);

    // Two registrations under one name: the name chooses neither.
    rename(h264, L"Kestrane HEVC Video Decoder");
    run = cli({"set", "Kestrane HEVC Video Decoder", "high"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_TRUE(run.err.contains(clsid(h264)) && run.err.contains(clsid(hevc))) << run.err.toStdString();
    EXPECT_EQ(before, merits());
}

TEST_F(PivoraCliTest, ExportedMeritsApplyToAFreshRegistry)
{
    ASSERT_EQ(0, cli({"set", clsid(hevc), "high"}).exitCode);
    ASSERT_EQ(0, cli({"set", clsid(mpeg2VideoTwin), "0x00ABCDEF"}).exitCode);
    const QString file = folder + "merits.json";
    ASSERT_EQ(0, cli({"export", file}).exitCode);
    const std::map<int, uint32_t> exported = merits();

    testsupport::ScopedRegistry fresh;
    for (int slot : {h264, hevc, vp9, mpeg2Video})
        ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[slot].server), true));
    CliRun run = cli({"apply", file});
    ASSERT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(exported, merits());
    // The choices came along, the servers' own merits did not become choices.
    run = cli({"list"});
    EXPECT_EQ("0xFFFFFFFF", lineOf(run.out, hevc).value(7));
    EXPECT_EQ("0x00ABCDEF", lineOf(run.out, mpeg2VideoTwin).value(7));
    EXPECT_EQ("-", lineOf(run.out, h264).value(7));
    EXPECT_EQ("unchanged", lineOf(cli({"apply", file}).out, hevc).value(2));

    // A filter of the file that is not registered here: the others are done.
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[vp9].server), false));
    ASSERT_EQ(0, cli({"set", clsid(hevc), "default"}).exitCode);
    run = cli({"apply", file});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_TRUE(run.err.contains(clsid(vp9) + "\tKestrane VP9 Video Decoder\tnot registered")) << run.err.toStdString();
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
}

TEST_F(PivoraCliTest, BrokenMeritFilesChangeNothing)
{
    ASSERT_EQ(0, cli({"export", folder + "good.json"}).exitCode);
    QFile good(folder + "good.json");
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray text = good.readAll();
    ASSERT_EQ(0, cli({"set", clsid(hevc), "high"}).exitCode);
    const std::map<int, uint32_t> before = merits();

    const QByteArray entry = "{\"clsid\":\"" + clsid(h264).toLatin1() + "\",\"merit\":\"0x00000001\"}";
    const struct {
        const char *name;
        QByteArray content;
        const char *place;
    } broken[] = {
        {"truncated", text.left(text.size() / 2), "offset"},
        {"not JSON", "merits: high", "offset"},
        {"wrong version", QByteArray(text).replace("\"version\": 1", "\"version\": 2"), "version"},
        {"wrong format", QByteArray(text).replace("kestrane-pivora-merits", "other"), "format"},
        {"view of 32-bit players", QByteArray(text).replace("\"view\": \"64\"", "\"view\": \"32\""), "--view 32"},
        {"merit out of range", "{\"format\":\"kestrane-pivora-merits\",\"version\":1,\"view\":\"64\",\"filters\":[" +
                                   entry + ",{\"clsid\":\"" + clsid(hevc).toLatin1() + "\",\"merit\":\"0x100000000\"}]}",
         "filters[1]"},
        {"bad CLSID", "{\"format\":\"kestrane-pivora-merits\",\"version\":1,\"view\":\"64\",\"filters\":[" + entry +
                          ",{\"clsid\":\"{6513270E}\",\"merit\":\"0x1\"}]}",
         "filters[1]"},
    };
    for (const auto &file : broken) {
        const QString path = writeFile("broken.json", file.content);
        for (const char *command : {"apply", "check"}) {
            const CliRun run = cli({command, path});
            EXPECT_EQ(1, run.exitCode) << command << " " << file.name;
            EXPECT_TRUE(run.err.contains(file.place)) << file.name << ": " << run.err.toStdString();
        }
        EXPECT_EQ(before, merits()) << file.name;
    }
}

TEST_F(PivoraCliTest, RefusedEverywhereIsAccessDeniedWithNothingChanged)
{
    const QString file = folder + "merits.json";
    ASSERT_EQ(0, cli({"set", clsid(hevc), "high"}).exitCode);
    ASSERT_EQ(0, cli({"export", file}).exitCode);
    ASSERT_EQ(0, cli({"set", clsid(hevc), "default"}).exitCode);
    const std::map<int, uint32_t> before = merits();
    if (!registry.setFiltersWritable(false))
        GTEST_SKIP() << "write access cannot be taken away here";
    for (const QStringList &arguments : {QStringList{"set", clsid(h264), "high"}, QStringList{"apply", file}}) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(5, run.exitCode) << arguments.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("elevated")) << run.err.toStdString();
    }
    EXPECT_EQ(before, merits());

    // Only a record would go, and it cannot: refused, in words; and a
    // registration refused prints no "registered" line. (Windows refuses the
    // test the keys of the filters registered, not the records' nor new ones.)
    if (registry.file().empty())
        return;
    registry.setFiltersWritable(true);
    ASSERT_EQ(0, cli({"set", clsid(vp9), "high"}).exitCode);
    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[vp9].server), true));
    ASSERT_TRUE(registry.setFiltersWritable(false));
    for (const QStringList &arguments : {QStringList{"set", clsid(vp9), "default"}, QStringList{"reset"}}) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(5, run.exitCode) << arguments.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("could not be recorded: Access denied (error 5)")) << run.err.toStdString();
    }
    const CliRun registration = cli({"register", QString::fromStdString(serverFile(knownFilterRows[vp9 + 1].server))});
    EXPECT_EQ(5, registration.exitCode) << registration.err.toStdString();
    EXPECT_FALSE(registration.out.contains("registered")) << registration.out.toStdString();
}

TEST_F(PivoraCliTest, ReRegistrationIsFoundByCheckAndUndoneByRestore)
{
    ASSERT_EQ(0, cli({"set", clsid(hevc), "high"}).exitCode);
    const QString file = folder + "merits.json";
    ASSERT_EQ(0, cli({"export", file}).exitCode);
    EXPECT_EQ(0, cli({"check"}).exitCode);
    EXPECT_EQ(0, cli({"check", file}).exitCode);

    ASSERT_EQ(0, serverCall(serverFile(knownFilterRows[hevc].server), true)); // an update, say
    ASSERT_EQ(knownFilterRows[hevc].defaultMerit, merit(hevc));
    const QStringList difference = {clsid(hevc), "Kestrane HEVC Video Decoder", "differs", "0x00800000", "0xFFFFFFFF"};
    CliRun run = cli({"check"});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(difference, lineOf(run.out, hevc));
    EXPECT_EQ(difference, lineOf(cli({"check", file}).out, hevc));
    EXPECT_EQ("yes", lineOf(cli({"list"}).out, hevc).value(9));

    run = cli({"restore", "-q"});
    EXPECT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
    EXPECT_EQ(0, cli({"check"}).exitCode);
}

TEST_F(PivoraCliTest, ResetAndUnregisterReportEachFilter)
{
    ASSERT_EQ(0, cli({"set", clsid(h264), "high"}).exitCode);
    // A registration whose server file is gone: reported, kept, the others reset.
    const std::string copy = folder.toStdString() + knownFilterRows[vp9].server + ".ax";
    ASSERT_TRUE(copyServer(knownFilterRows[vp9].server, copy));
    ASSERT_EQ(0, serverCall(copy, true));
    ASSERT_EQ(0, std::remove(copy.c_str()));
    CliRun run = cli({"reset"});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_TRUE(run.err.contains(clsid(vp9) + "\tKestrane VP9 Video Decoder\t")) << run.err.toStdString();
    EXPECT_EQ(QStringList({"changed", "0xFFFFFFFF", "0x00800000"}), lineOf(run.out, h264).mid(2));
    EXPECT_TRUE(isFilterRegistered(nullptr, knownFilterRows[vp9].clsid));
    EXPECT_EQ(0, cli({"check"}).exitCode); // the reset forgot the choice

    // The linked pair goes with its server; -q keeps standard output empty.
    ASSERT_EQ(0, cli({"set", clsid(mpeg2VideoTwin), "high"}).exitCode);
    run = cli({"unregister", clsid(mpeg2Video), "--yes"});
    EXPECT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(QStringList({"removed", "0xFFFFFFFF", "-"}), lineOf(run.out, mpeg2VideoTwin).mid(2));
    EXPECT_FALSE(isFilterRegistered(nullptr, knownFilterRows[mpeg2VideoTwin].clsid));
    EXPECT_EQ(0, cli({"check"}).exitCode);
    run = cli({"register", QString::fromStdString(serverFile(knownFilterRows[mpeg2Video].server))});
    EXPECT_EQ("-", lineOf(run.out, mpeg2VideoTwin).value(3));

    // A file that is no program image is not given to regsvr32.exe.
    run = cli({"register", writeFile("notes.ax", "not a server")});
    EXPECT_EQ(4, run.exitCode);
    EXPECT_TRUE(run.err.contains("no program image")) << run.err.toStdString();
}

TEST_F(PivoraCliTest, ViewsAreKeptApart)
{
    if (!systemHasTwoViews())
        GTEST_SKIP() << "one registry view here";
    ASSERT_TRUE(copyTo32BitView(hevc, 0x00600000));
    CliRun run = cli({"--view", "32", "list"});
    ASSERT_EQ(0, run.exitCode);
    EXPECT_EQ(1, run.out.count(QLatin1Char('\n')));
    EXPECT_EQ("0x00600000", lineOf(run.out, hevc).value(3));

    const QString file = folder + "merits32.json";
    ASSERT_EQ(0, cli({"export", file, "--view", "32"}).exitCode);
    EXPECT_EQ(1, cli({"apply", file}).exitCode); // a file of the 32-bit view, applied to the 64-bit one
    run = cli({"--view", "32", "set", clsid(h264), "high"});
    EXPECT_EQ(2, run.exitCode);
    EXPECT_TRUE(run.err.contains("registered for 64-bit players only: give --view 64")) << run.err.toStdString();

    // The 32-bit view's merits need SysWOW64's regsvr32.exe, which may be missing.
    const bool tool = fileExists(regsvr32Path(RegistryView::Bits32).c_str());
    run = cli({"--view", "32", "set", clsid(hevc), "high"});
    EXPECT_EQ(tool ? 0 : 4, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(tool ? 0xFFFFFFFFu : 0x00600000u, merit(hevc, RegistryView::Bits32));
    EXPECT_EQ(knownFilterRows[hevc].defaultMerit, merit(hevc));
}

// Statuses that are failures are never printed as success, nor guessed to be
// refusals: a server file that is no server any more, a merits file of
// another encoding or of a folder, a registry that cannot be read.
TEST_F(PivoraCliTest, FailuresAreSaidAsWhatTheyAre)
{
    const QString file = folder + "merits.json";
    ASSERT_EQ(0, cli({"export", file}).exitCode);
    QFile exported(file);
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QString json = QString::fromUtf8(exported.readAll());
    // As Windows PowerShell 5 redirects output: UTF-16 with a byte order mark.
    for (bool littleEndian : {true, false}) {
        QByteArray utf16;
        for (QChar c : QString(QChar(0xFEFF)) + json) {
            const char low = char(c.unicode() & 0xFF), high = char(c.unicode() >> 8);
            utf16.append(littleEndian ? low : high).append(littleEndian ? high : low);
        }
        const CliRun run = cli({"apply", writeFile("utf16.json", utf16)});
        EXPECT_EQ(0, run.exitCode) << littleEndian << run.err.toStdString();
    }
    CliRun run = cli({"apply", folder});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_TRUE(run.err.contains("is a folder")) << run.err.toStdString();

    // A registered server file replaced by one that is no server.
    const std::string copy = folder.toStdString() + knownFilterRows[vp9].server + ".ax";
    ASSERT_TRUE(copyServer(knownFilterRows[vp9].server, copy));
    ASSERT_EQ(0, serverCall(copy, true));
    ASSERT_EQ(0, cli({"set", clsid(vp9), "high"}).exitCode);
    {
        FILE *broken = std::fopen(copy.c_str(), "wb");
        ASSERT_NE(nullptr, broken);
        std::fputs("no server", broken);
        std::fclose(broken);
    }
    const std::map<int, uint32_t> before = merits();
    for (const QStringList &arguments : {QStringList{"set", clsid(vp9), "0x00123456"}, QStringList{"set", clsid(vp9), "default"},
                                         QStringList{"reset"}, QStringList{"unregister", clsid(vp9), "--yes"}}) {
        run = cli(arguments);
        EXPECT_EQ(arguments[0] == "reset" ? 3 : 4, run.exitCode) << arguments.join(' ').toStdString() << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(clsid(vp9)) && run.err.contains("could not be loaded")) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("denied")) << run.err.toStdString();
    }
    EXPECT_EQ(before, merits());

    if (registry.file().empty())
        return; // a registry that cannot be read is the stand-in's to make
    {
        FILE *garbage = std::fopen(registry.file().c_str(), "wb");
        ASSERT_NE(nullptr, garbage);
        std::fputs("garbage\n", garbage);
        std::fclose(garbage);
    }
    for (const QStringList &arguments : {QStringList{"list"}, QStringList{"export", folder + "none.json"}, QStringList{"check"},
                                         QStringList{"reset"}, QStringList{"restore"}, QStringList{"set", clsid(h264), "high"}}) {
        run = cli(arguments);
        EXPECT_EQ(4, run.exitCode) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("The filter registrations cannot be read: ")) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folder + "none.json"));
}

// Two tools setting the merits of the linked pair at once, whose every set
// re-registers their one server: neither merit is lost, every record holds
// what the registry holds, and each run's outcome is true.
TEST_F(PivoraCliTest, TwoToolsAtOnceLoseNothing)
{
    const QString base = QString::fromStdString(testsupport::programFolder()) + QLatin1String("pivora-cli");
    const QString program = QFileInfo::exists(base + ".exe") ? base + ".exe" : base;
    for (int round = 1; round <= 4; ++round) {
        const QString first = QString::fromLatin1("0x0060000%1").arg(round);
        const QString second = QString::fromLatin1("0x0030000%1").arg(round);
        QProcess one, two;
        one.start(program, {"set", clsid(mpeg2Video), first});
        two.start(program, {"set", clsid(mpeg2VideoTwin), second});
        ASSERT_TRUE(one.waitForFinished(60000) && two.waitForFinished(60000));
        EXPECT_EQ(0, one.exitCode()) << one.readAllStandardError().toStdString();
        EXPECT_EQ(0, two.exitCode()) << two.readAllStandardError().toStdString();
        EXPECT_EQ(first.toUInt(nullptr, 16), merit(mpeg2Video)) << "round " << round;
        EXPECT_EQ(second.toUInt(nullptr, 16), merit(mpeg2VideoTwin)) << "round " << round;
        EXPECT_EQ(0, cli({"check"}).exitCode) << "round " << round;
    }
}

// What the Group Policy editor writes for a list in each view, one value of
// it faulty, imported as a .reg: enforce, check --policy and list read it,
// and the command that would undo it leaves the policy's filter alone.
TEST_F(PivoraCliTest, GroupPolicyListsAreEnforcedAndChecked)
{
    const QByteArray reg = "Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits64]\r\n"
                           "\"" + clsid(hevc).toLatin1() + "\"=\"high\"\r\n"
                           "\"" + clsid(mpeg2VideoTwin).toLatin1() + "\"=\"0x00700000\"\r\n"
                           "\"" + clsid(h264).toLatin1() + "\"=\"fastest\"\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Policies\\Kestrane\\Pivora\\Merits32]\r\n"
                           "\"" + clsid(hevc).toLatin1() + "\"=\"disable\"\r\n";
    ASSERT_TRUE(registry.importRegFile(writeFile("policy.reg", reg).toStdString()));
    const QStringList hevcDiffers = {clsid(hevc), "Kestrane HEVC Video Decoder", "differs", "0x00800000", "0xFFFFFFFF"};
    CliRun run = cli({"check", "--policy"});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(hevcDiffers, lineOf(run.out, hevc));
    EXPECT_EQ("0x00700000", lineOf(run.out, mpeg2VideoTwin).value(4));
    EXPECT_TRUE(lineOf(run.out, h264).isEmpty());
    EXPECT_TRUE(run.err.contains(clsid(h264) + "\" in ") && run.err.contains("\"fastest\" is no merit")) << run.err.toStdString();
    EXPECT_EQ(1, cli({"check", "--policy", folder + "merits.json"}).exitCode);

    run = cli({"list", "--format", "csv"});
    EXPECT_TRUE(run.out.startsWith("clsid,name,merit,merit_hex,default_merit,server,server_exists,recorded_merit,"
                                   "recorded_at,undone,policy_merit\n"));
    EXPECT_TRUE(run.out.contains(",no,0xFFFFFFFF\n") && run.err.contains("fastest")) << run.out.toStdString();
    EXPECT_EQ("-", lineOf(cli({"list"}).out, h264).value(10));

    run = cli({"enforce"});
    EXPECT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ(QStringList({"changed", "0x00800000", "0xFFFFFFFF"}), lineOf(run.out, hevc).mid(2));
    EXPECT_TRUE(run.err.contains("fastest"));
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
    EXPECT_EQ(0x00700000u, merit(mpeg2VideoTwin));
    EXPECT_EQ(knownFilterRows[h264].defaultMerit, merit(h264));
    EXPECT_EQ(0, cli({"check", "--policy"}).exitCode);
    EXPECT_EQ(0, cli({"check"}).exitCode); // the organisation's merits are no user's choices
    EXPECT_EQ(0, cli({"enforce"}).exitCode);

    run = cli({"set", clsid(hevc), "default"});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_TRUE(run.err.contains("set by your organisation's policy: High")) << run.err.toStdString();
    run = cli({"reset"});
    EXPECT_EQ(0, run.exitCode) << run.err.toStdString();
    EXPECT_EQ("kept-by-policy", lineOf(run.out, hevc).value(2));
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
    EXPECT_EQ(0x00700000u, merit(mpeg2VideoTwin));

    // The 32-bit players' list is its own, and needs SysWOW64's regsvr32.exe.
    if (!systemHasTwoViews())
        return;
    ASSERT_TRUE(copyTo32BitView(hevc, 0x00600000));
    run = cli({"--view", "32", "check", "--policy"});
    EXPECT_EQ(3, run.exitCode);
    EXPECT_EQ(QStringList({"differs", "0x00600000", "0x00200000"}), lineOf(run.out, hevc).mid(2));
    EXPECT_FALSE(run.err.contains("fastest"));
    const bool tool = fileExists(regsvr32Path(RegistryView::Bits32).c_str());
    EXPECT_EQ(tool ? 0 : 4, cli({"--view", "32", "enforce"}).exitCode);
    EXPECT_EQ(tool ? 0x00200000u : 0x00600000u, merit(hevc, RegistryView::Bits32));
    EXPECT_EQ(0xFFFFFFFFu, merit(hevc));
}

} // namespace
