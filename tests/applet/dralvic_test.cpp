// Dralvic.cpl driven as the Control Panel drives it. The same source runs
// natively and under Wine; it is built twice, beside fenwarl and in a folder
// where the shell cannot find it.
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

extern "C" LONG APIENTRY CPlApplet(HWND hwndCPl, UINT uMsg, LPARAM lParam1, LPARAM lParam2);

namespace {

const BYTE kSentinel = 0xA5;
const char kAlert[] = "CPlApplet: ALERT !! Unhandled message !!";

bool fenwarlBesideTheTests()
{
    const std::string folder = testsupport::programFolder();
    for (const char *name : {"fenwarl.exe", "fenwarl"})
        if (FILE *f = std::fopen((folder + name).c_str(), "rb")) {
            std::fclose(f);
            return true;
        }
    return false;
}

struct Sent {
    LONG result;
    std::vector<std::string> traces;
    std::vector<testsupport::MessageBoxSeen> boxes;
};

Sent send(UINT message, LPARAM applet = 0, LPARAM data = 0)
{
    testsupport::UiCapture capture;
    Sent sent;
    sent.result = CPlApplet(nullptr, message, applet, data);
    testsupport::sleepMs(message == CPL_DBLCLK ? 300 : 0); // a box may come up late under Wine
    capture.finish();
    for (const std::string &line : capture.debugLines())
        if (line.compare(0, 10, "CPlApplet:") == 0)
            sent.traces.push_back(line);
    sent.boxes = capture.messageBoxes();
    return sent;
}

TEST(DralvicMessages, EveryMessageIsTracedAndAnswered)
{
    struct Case {
        UINT message;
        LONG result;
        const char *trace;
    };
    const Case cases[] = {
        {CPL_INIT, 1, "CPlApplet: CPL_INIT"},
        {CPL_GETCOUNT, 1, "CPlApplet: CPL_GETCOUNT"},
        {CPL_SELECT, 0, "CPlApplet: CPL_SELECT"},
        {CPL_STOP, 0, "CPlApplet: CPL_STOP"},
        {CPL_EXIT, 0, "CPlApplet: CPL_EXIT"},
        {CPL_STARTWPARMSA, 0, "CPlApplet: CPL_STARTWPARMS"},
        {0, 0, kAlert},
        {CPL_STARTWPARMSW, 0, kAlert}, // message 10, the wide start-with-parameters
        {11, 0, kAlert},
        {CPL_SETUP, 0, kAlert},
    };
    for (const Case &c : cases) {
        const Sent sent = send(c.message, 0, 0);
        EXPECT_EQ(c.result, sent.result) << c.message;
        EXPECT_EQ(std::vector<std::string>{c.trace}, sent.traces) << c.message;
        EXPECT_TRUE(sent.boxes.empty()) << c.message;
    }
}

TEST(DralvicMessages, InquireFillsThePackedInformation)
{
    EXPECT_EQ(3 * sizeof(int) + sizeof(LONG_PTR), sizeof(CPLINFO));
    CPLINFO info;
    std::memset(&info, kSentinel, sizeof info);
    const Sent sent = send(CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(0, sent.result);
    EXPECT_EQ(std::vector<std::string>{"CPlApplet: CPL_INQUIRE"}, sent.traces);
    EXPECT_EQ(101, info.idIcon);
    EXPECT_EQ(108, info.idName);
    EXPECT_EQ(109, info.idInfo);
    const LONG_PTR data = info.lData; // a packed field: read it by value
    EXPECT_EQ(0, data);
}

TEST(DralvicMessages, NewInquireLeavesItsStructureUntouched)
{
    BYTE buffer[600];
    std::memset(buffer, kSentinel, sizeof buffer);
    const Sent sent = send(CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(buffer));
    EXPECT_EQ(0, sent.result);
    EXPECT_EQ(std::vector<std::string>{"CPlApplet: CPL_NEWINQUIRE"}, sent.traces);
    for (BYTE b : buffer)
        ASSERT_EQ(kSentinel, b);
}

class DralvicLaunch : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = testsupport::makeTempFolder();
        marker = folder + "fenwarl.txt";
        testsupport::setEnvironment("FENWARL_MARKER", marker.c_str());
    }
    void TearDown() override
    {
        testsupport::setEnvironment("FENWARL_MARKER", nullptr);
        testsupport::removeTree(folder);
    }
    std::string folder, marker;
};

TEST_F(DralvicLaunch, OpeningTheItemStartsFenwarl)
{
    if (!fenwarlBesideTheTests())
        GTEST_SKIP() << "this build of the tests has no fenwarl beside it";
    const Sent sent = send(CPL_DBLCLK, 0);
    EXPECT_EQ(0, sent.result);
    EXPECT_EQ(std::vector<std::string>{"CPlApplet: CPL_DBLCLK"}, sent.traces);
    EXPECT_TRUE(sent.boxes.empty());
    ASSERT_TRUE(testsupport::waitForFile(marker, 5000));
    const std::string ran = testsupport::readWrittenLine(marker, 5000);
    EXPECT_EQ(0u, ran.find("arguments=0 ")) << ran;
    if (testsupport::regsvr32Traces()) { // the stand-in passes the show command on
        EXPECT_NE(std::string::npos, ran.find("show=1")) << ran;
    }
}

TEST_F(DralvicLaunch, AnotherAppletNumberStartsNothingAndSaysSo)
{
    const Sent sent = send(CPL_DBLCLK, 1);
    EXPECT_EQ(0, sent.result);
    EXPECT_EQ(std::vector<std::string>{"CPlApplet: CPL_DBLCLK"}, sent.traces);
    ASSERT_EQ(1u, sent.boxes.size());
    EXPECT_EQ("Control Panel Error", sent.boxes[0].caption);
    EXPECT_EQ("Failed to launch fenwarl.exe", sent.boxes[0].text);
    testsupport::sleepMs(300);
    EXPECT_FALSE(testsupport::waitForFile(marker, 0));
}

TEST_F(DralvicLaunch, FenwarlThatCannotBeFoundIsReported)
{
    if (fenwarlBesideTheTests())
        GTEST_SKIP() << "this build of the tests has fenwarl beside it";
    const Sent sent = send(CPL_DBLCLK, 0);
    EXPECT_EQ(0, sent.result);
    ASSERT_EQ(1u, sent.boxes.size());
    EXPECT_EQ("Control Panel Error", sent.boxes[0].caption);
    EXPECT_EQ("Failed to launch fenwarl.exe", sent.boxes[0].text);
}

} // namespace
