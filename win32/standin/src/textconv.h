// The stand-in's text conversions, in one place: UTF-8 (file names and the
// registry file's text), UTF-16 (the registry's strings, as Windows holds
// them), the platform's 32-bit wide text, the registry's and the shell's
// case rule, and Windows' folder separator in paths.
#ifndef STANDIN_TEXTCONV_H
#define STANDIN_TEXTCONV_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace standin {

const uint32_t replacementCharacter = 0xFFFD;

inline bool isHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool isLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline bool isSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The character at units[i] of 16-bit text, as UTF-16 or as 16-bit wide text
// holds it: a surrogate pair is joined into the one character it encodes and
// `i` moves past both; a lone surrogate is returned as it is.
template <class Unit>
uint32_t nextUtf16(const Unit *units, size_t size, size_t &i)
{
    const uint32_t unit = uint32_t(units[i++]);
    if (isHighSurrogate(unit) && i < size && isLowSurrogate(uint32_t(units[i])))
        return 0x10000 + ((unit - 0xD800) << 10) + (uint32_t(units[i++]) - 0xDC00);
    return unit;
}

// Appends a character as UTF-16: a surrogate pair beyond the Basic
// Multilingual Plane, U+FFFD beyond U+10FFFF.
void appendUtf16(std::u16string &out, uint32_t character);

// Appends a character as UTF-8 (1 to 4 bytes). The caller passes no
// surrogates and nothing beyond U+10FFFF.
void appendUtf8(std::string &out, uint32_t character);

// Decodes the UTF-8 sequence at s[i] and moves `i` past it; false, leaving
// `i` where it was, for a sequence UTF-8 does not allow (a stray or missing
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF).
bool decodeUtf8(const std::string &s, size_t &i, uint32_t &character);
bool isValidUtf8(const std::string &s);

// UTF-8 to UTF-16 and back. A byte that starts no valid sequence becomes
// U+FFFD, and so does a lone surrogate, which UTF-8 cannot hold.
std::u16string utf8ToUtf16(const std::string &text);
std::string utf16ToUtf8(const std::u16string &units);

// Wide text of the API (wchar_t, UTF-32 here) to the UTF-8 of file names and
// back. A surrogate pair counts as the one character it encodes; a lone
// surrogate, or a value beyond U+10FFFF, becomes U+FFFD, as does an invalid
// UTF-8 byte.
std::string wideToUtf8(const wchar_t *text);
std::wstring utf8ToWide(const std::string &text);

// Latin-1, the stand-in's narrow ("ANSI") code page: byte b is U+00b. What
// Latin-1 cannot hold becomes '?', as with Windows' code pages.
std::string latin1ToUtf8(const std::string &text);
std::string utf16ToLatin1(const std::u16string &units);

// UTF-16 units to and from their little-endian bytes, the registry's form.
// An odd trailing byte is dropped.
std::u16string utf16FromBytes(const uint8_t *data, size_t size);
std::vector<uint8_t> utf16Bytes(const std::u16string &units);

// The case rule of registry names and of the shell's verbs and extensions:
// ASCII letters fold to lower case, every other byte stays as it is.
inline char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
std::string foldAscii(std::string text);

// A Windows path as POSIX opens it: each backslash a folder separator.
inline std::string withSlashes(std::string path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace standin

#endif
