#ifndef STANDIN_TEXTCONV_H
#define STANDIN_TEXTCONV_H

#include <string>

namespace standin {

// Wide text of the API (wchar_t, UTF-32 here) to the UTF-8 of file names. A
// surrogate pair counts as the one character it encodes; a lone surrogate,
// which UTF-8 cannot hold, becomes U+FFFD.
std::string wideToUtf8(const wchar_t *text);

} // namespace standin

#endif
