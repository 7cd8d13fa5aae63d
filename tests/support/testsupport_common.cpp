#include "testsupport.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace testsupport {

std::string readTextFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForFile(const std::string &path, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::ifstream(path).good())
            return true;
        sleepMs(20);
    }
    return std::ifstream(path).good();
}

std::string readWrittenLine(const std::string &path, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string text = readTextFile(path);
    while (text.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        sleepMs(20);
        text = readTextFile(path);
    }
    return text;
}

UiCapture::~UiCapture()
{
    if (!finished)
        finish();
}

std::wstring widen(const std::string &text)
{
    std::wstring wide;
    for (unsigned char c : text)
        wide += wchar_t(c);
    return wide;
}

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace testsupport
