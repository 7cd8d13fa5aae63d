#include "widetext.h"

#include <cstdint>

std::string utf8FromWide(const std::wstring &wide)
{
    const wchar_t *text = wide.c_str();
    const size_t length = wide.size();
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = uint32_t(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && i + 1 < length &&
            uint32_t(text[i + 1]) >= 0xDC00 && uint32_t(text[i + 1]) <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (uint32_t(text[++i]) - 0xDC00);
        else if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring wideFromUtf8(const std::string &utf8)
{
    std::wstring wide;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        bool whole = extra >= 0 && i + size_t(extra) < utf8.size();
        for (int k = 1; whole && k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(utf8[i + size_t(k)]);
            whole = (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (!whole || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            wide += wchar_t(0xFFFD);
            ++i;
            continue;
        }
        i += size_t(extra) + 1;
        if (sizeof(wchar_t) == 2 && code >= 0x10000) {
            wide += wchar_t(0xD800 + ((code - 0x10000) >> 10));
            wide += wchar_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += wchar_t(code);
        }
    }
    return wide;
}
