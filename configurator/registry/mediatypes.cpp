#include "mediatypes.h"

#include <algorithm>

namespace {

const uint8_t kFourccTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The MPEG-2 and DVD subtypes of DirectShow's headers:
// {E06D80xx-DB46-11CF-B4D1-00805F6CBBEA}.
Guid mpeg2Guid(uint32_t data1)
{
    return Guid{data1, 0xDB46, 0x11CF, {0xB4, 0xD1, 0x00, 0x80, 0x5F, 0x6C, 0xBB, 0xEA}};
}

// MPEG-1 subtypes: {E436EBxx-524F-11CE-9F53-0020AF0BA770}.
Guid mpeg1Guid(uint32_t data1)
{
    return Guid{data1, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
}

struct NamedGuid {
    Guid guid;
    const char *name;
};

} // namespace

bool isFourccGuid(const Guid &g)
{
    return g.data2 == 0 && g.data3 == 0x0010 && std::equal(kFourccTail, kFourccTail + 8, g.data4);
}

std::string majorTypeName(const Guid &major)
{
    static const NamedGuid names[] = {
        {mediaTypeVideo, "Video"},           {mediaTypeAudio, "Audio"}, {fourccGuid(0x73747874), "Text"},
        {fourccGuid(0x7364696D), "MIDI"},    {fourccGuid(0x73766169), "Interleaved"},
        {mediaTypeStream, "Stream"},
    };
    for (const NamedGuid &named : names)
        if (named.guid == major)
            return named.name;
    return std::string();
}

std::string subtypeName(const Guid &subtype)
{
    static const NamedGuid names[] = {
        {mpeg2Guid(0xE06D8026), "MPEG-2 video"}, {mpeg2Guid(0xE06D802B), "MPEG-2 audio"},
        {mpeg2Guid(0xE06D802C), "Dolby AC-3"},   {mpeg2Guid(0xE06D8032), "DVD LPCM"},
        {mpeg2Guid(0xE06D8033), "DTS"},          {mpeg1Guid(0xE436EB80), "MPEG-1 packet"},
        {mpeg1Guid(0xE436EB81), "MPEG-1 payload"}, {mpeg1Guid(0xE436EB86), "MPEG-1 video"},
        {mpeg1Guid(0xE436EB87), "MPEG-1 audio"},
    };
    for (const NamedGuid &named : names)
        if (named.guid == subtype)
            return named.name;
    if (!isFourccGuid(subtype))
        return std::string();
    // Wave format tags of the audio subtypes.
    static const struct {
        uint32_t tag;
        const char *name;
    } waveFormats[] = {{0x0001, "PCM"},        {0x0002, "MS ADPCM"}, {0x0050, "MPEG audio"}, {0x0055, "MP3"},
                       {0x00FF, "AAC"},        {0x0161, "WMA"},      {0x0162, "WMA Pro"},    {0x1610, "HE-AAC"},
                       {0x2000, "Dolby AC-3"}, {0x2001, "DTS"},      {0xF1AC, "FLAC"}};
    for (const auto &format : waveFormats)
        if (subtype.data1 == format.tag)
            return format.name;
    std::string fourcc;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = char(subtype.data1 >> shift);
        if (c < 0x20 || c > 0x7E)
            return std::string();
        fourcc += c;
    }
    return fourcc;
}
