// DirectShow's media types as this product names them: the GUIDs the sample
// servers register and the configurator reads, each defined once, and the
// names a user reads for them ("Video", "H264", "Dolby AC-3").
#ifndef MEDIATYPES_H
#define MEDIATYPES_H

#include "filterpins.h"

#include <cstdint>
#include <string>

// FOURCC and wave-format subtypes, and the major types built the same way:
// {tag-0000-0010-8000-00AA00389B71}. Constants, so that other constants may
// be made from them whatever the order of initialisation.
constexpr Guid fourccGuid(uint32_t tag)
{
    return Guid{tag, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
bool isFourccGuid(const Guid &g);

inline constexpr Guid mediaTypeVideo = fourccGuid(0x73646976); // 'vids'
inline constexpr Guid mediaTypeAudio = fourccGuid(0x73647561); // 'auds'
inline constexpr Guid mediaTypeStream = {0xE436EB83, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr Guid subtypeNv12 = fourccGuid(0x3231564E);
inline constexpr Guid subtypeYuy2 = fourccGuid(0x32595559);
inline constexpr Guid subtypePcm = fourccGuid(0x00000001);

// "Video", "Audio", "Text", "MIDI", "Interleaved" or "Stream"; empty for
// any other major type (and for the null GUID, which stands for any).
std::string majorTypeName(const Guid &major);

// The names DirectShow's headers give ("MPEG-2 video", "Dolby AC-3"), the
// wave format tags' ("PCM", "AAC"), or a FOURCC's four characters; empty for
// a subtype of no name (and for the null GUID).
std::string subtypeName(const Guid &subtype);

#endif
