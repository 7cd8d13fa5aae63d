#include "statustext.h"

#include "widetext.h"
#include "win32api.h"

std::string statusText(int32_t status)
{
    const std::string number = "error " + std::to_string(status);
    wchar_t buffer[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        DWORD(status), 0, buffer, DWORD(sizeof buffer / sizeof buffer[0]), nullptr);
    std::wstring words(buffer, length);
    // The system ends its sentences with a full stop and a line break.
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' || words.back() == L' ' ||
                              words.back() == L'.'))
        words.pop_back();
    if (words.empty())
        return number;
    return utf8FromWide(words) + " (" + number + ")";
}
