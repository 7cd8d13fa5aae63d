#include "meritwords.h"

#include <cctype>
#include <cstdio>

namespace {

bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

std::string lowerCase(std::string text)
{
    for (char &c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

bool parseMeritHex(const std::string &text, uint32_t *merit)
{
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    uint32_t value = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        if (!isHexDigit(text[i]))
            return false;
        const char c = char(std::tolower(static_cast<unsigned char>(text[i])));
        value = value * 16 + uint32_t(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    *merit = value;
    return true;
}

bool parseMeritChoice(const std::string &text, MeritChoice *choice)
{
    const std::string word = lowerCase(text);
    MeritChoice chosen;
    if (word == "default")
        chosen.isDefault = true;
    else if (word == "disable")
        chosen.value = meritDisableValue;
    else if (word == "high")
        chosen.value = meritHighValue;
    else if (!parseMeritHex(text, &chosen.value))
        return false;
    *choice = chosen;
    return true;
}

std::string meritHex(uint32_t merit)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", unsigned(merit));
    return text;
}

std::string meritWord(const MeritChoice &choice)
{
    if (choice.isDefault)
        return "default";
    if (choice.value == meritDisableValue)
        return "disable";
    if (choice.value == meritHighValue)
        return "high";
    return meritHex(choice.value);
}

MeritKind meritKind(uint32_t merit, uint32_t defaultMerit)
{
    if (merit == defaultMerit)
        return MeritKind::Default;
    if (merit == meritDisableValue)
        return MeritKind::Disable;
    if (merit == meritHighValue)
        return MeritKind::High;
    return MeritKind::Custom;
}

bool parseClsid(const std::string &text, std::string *clsid)
{
    const bool braced = text.size() == 38 && text.front() == '{' && text.back() == '}';
    if (!braced && text.size() != 36)
        return false;
    const std::string digits = braced ? text.substr(1, 36) : text;
    std::string form = "{";
    for (size_t i = 0; i < digits.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? digits[i] != '-' : !isHexDigit(digits[i]))
            return false;
        form += char(std::toupper(static_cast<unsigned char>(digits[i])));
    }
    *clsid = form + "}";
    return true;
}
