// Text between UTF-8, which this program keeps, and the registry's wide
// functions: UTF-16 where wchar_t has 16 bits (Windows), UTF-32 where it has
// 32 (the stand-in). What cannot be converted becomes U+FFFD.
#ifndef WIDETEXT_H
#define WIDETEXT_H

#include <string>

std::string utf8FromWide(const std::wstring &wide);
std::wstring wideFromUtf8(const std::string &utf8);

#endif
