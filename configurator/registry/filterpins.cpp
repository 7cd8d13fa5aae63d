#include "filterpins.h"

#include <cctype>
#include <cstdio>
#include <cstring>

bool operator==(const Guid &a, const Guid &b)
{
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

bool isNullGuid(const Guid &g)
{
    return g == Guid{0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
}

std::string guidText(const Guid &g)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", unsigned(g.data1),
                  unsigned(g.data2), unsigned(g.data3), g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4],
                  g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

bool sameClsid(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return !*a && !*b;
}
