#ifndef STANDIN_TEXTCONV_H
#define STANDIN_TEXTCONV_H

#include <string>

namespace standin {

// Wide text of the API (wchar_t, UTF-32 here) to the UTF-8 of file names.
std::string wideToUtf8(const wchar_t *text);

} // namespace standin

#endif
