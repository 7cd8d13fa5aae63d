// A Windows status in words, for any front end: the system's own message
// for it with the number after it, "Access denied (error 5)"; the number
// alone where the system has no words for it.
#ifndef STATUSTEXT_H
#define STATUSTEXT_H

#include <cstdint>
#include <string>

// UTF-8.
std::string statusText(int32_t status);

#endif
