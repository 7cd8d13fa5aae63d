#include "textconv.h"

namespace standin {

void appendUtf16(std::u16string &out, uint32_t character)
{
    if (character > 0x10FFFF)
        character = replacementCharacter;
    if (character >= 0x10000) {
        character -= 0x10000;
        out += char16_t(0xD800 + (character >> 10));
        out += char16_t(0xDC00 + (character & 0x3FF));
    } else {
        out += char16_t(character);
    }
}

void appendUtf8(std::string &out, uint32_t character)
{
    if (character < 0x80) {
        out += char(character);
    } else if (character < 0x800) {
        out += char(0xC0 | (character >> 6));
        out += char(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += char(0xE0 | (character >> 12));
        out += char(0x80 | ((character >> 6) & 0x3F));
        out += char(0x80 | (character & 0x3F));
    } else {
        out += char(0xF0 | (character >> 18));
        out += char(0x80 | ((character >> 12) & 0x3F));
        out += char(0x80 | ((character >> 6) & 0x3F));
        out += char(0x80 | (character & 0x3F));
    }
}

bool decodeUtf8(const std::string &s, size_t &i, uint32_t &character)
{
    const unsigned char lead = s[i];
    int extra;
    uint32_t c;
    if (lead < 0x80) { c = lead; extra = 0; }
    else if ((lead & 0xE0) == 0xC0) { c = lead & 0x1F; extra = 1; }
    else if ((lead & 0xF0) == 0xE0) { c = lead & 0x0F; extra = 2; }
    else if ((lead & 0xF8) == 0xF0) { c = lead & 0x07; extra = 3; }
    else return false;
    if (i + extra >= s.size() && extra > 0)
        return false;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char next = s[i + k];
        if ((next & 0xC0) != 0x80)
            return false;
        c = (c << 6) | (next & 0x3F);
    }
    static const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (c < minimum[extra] || c > 0x10FFFF || isSurrogate(c))
        return false;
    i += extra + 1;
    character = c;
    return true;
}

bool isValidUtf8(const std::string &s)
{
    uint32_t c;
    for (size_t i = 0; i < s.size();)
        if (!decodeUtf8(s, i, c))
            return false;
    return true;
}

namespace {

// The characters of UTF-8 text, an invalid byte as U+FFFD.
template <class Append>
void eachUtf8Character(const std::string &text, Append append)
{
    for (size_t i = 0; i < text.size();) {
        uint32_t c;
        if (!decodeUtf8(text, i, c)) {
            c = replacementCharacter;
            ++i;
        }
        append(c);
    }
}

} // namespace

std::u16string utf8ToUtf16(const std::string &text)
{
    std::u16string out;
    out.reserve(text.size());
    eachUtf8Character(text, [&](uint32_t c) { appendUtf16(out, c); });
    return out;
}

std::string utf16ToUtf8(const std::u16string &units)
{
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size();) {
        const uint32_t c = nextUtf16(units.data(), units.size(), i);
        appendUtf8(out, isSurrogate(c) ? replacementCharacter : c);
    }
    return out;
}

std::string wideToUtf8(const wchar_t *text)
{
    std::string out;
    const size_t size = std::char_traits<wchar_t>::length(text);
    for (size_t i = 0; i < size;) {
        const uint32_t c = nextUtf16(text, size, i);
        appendUtf8(out, isSurrogate(c) || c > 0x10FFFF ? replacementCharacter : c);
    }
    return out;
}

std::wstring utf8ToWide(const std::string &text)
{
    std::wstring out;
    out.reserve(text.size());
    eachUtf8Character(text, [&](uint32_t c) { out += wchar_t(c); });
    return out;
}

std::string latin1ToUtf8(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text)
        appendUtf8(out, c);
    return out;
}

std::string utf16ToLatin1(const std::u16string &units)
{
    std::string out;
    out.reserve(units.size());
    for (char16_t unit : units)
        out += unit < 0x100 ? char(unit) : '?';
    return out;
}

std::u16string utf16FromBytes(const uint8_t *data, size_t size)
{
    std::u16string units;
    units.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2)
        units += char16_t(data[i] | (data[i + 1] << 8));
    return units;
}

std::vector<uint8_t> utf16Bytes(const std::u16string &units)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(units.size() * 2 + 2);
    for (char16_t u : units) {
        bytes.push_back(uint8_t(u & 0xFF));
        bytes.push_back(uint8_t(u >> 8));
    }
    return bytes;
}

std::string foldAscii(std::string text)
{
    for (char &c : text)
        c = foldAscii(c);
    return text;
}

} // namespace standin
