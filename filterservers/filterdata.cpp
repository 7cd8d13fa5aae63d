#include "filterdata.h"

#include "mediatypes.h"

#include <cstring>

namespace {

const Guid kSubtypeNull = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

void putU32(std::vector<uint8_t> &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> guidBytes(const Guid &g)
{
    std::vector<uint8_t> b;
    putU32(b, g.data1);
    b.push_back(uint8_t(g.data2));
    b.push_back(uint8_t(g.data2 >> 8));
    b.push_back(uint8_t(g.data3));
    b.push_back(uint8_t(g.data3 >> 8));
    b.insert(b.end(), g.data4, g.data4 + 8);
    return b;
}

// Offset of the GUID in the pool, adding it when it is not there yet. Like
// the mapper, a match is searched at every byte position of the pool.
uint32_t poolOffset(std::vector<uint8_t> &pool, const Guid &g)
{
    const std::vector<uint8_t> bytes = guidBytes(g);
    for (size_t i = 0; i + bytes.size() <= pool.size(); ++i)
        if (std::memcmp(pool.data() + i, bytes.data(), bytes.size()) == 0)
            return uint32_t(i);
    pool.insert(pool.end(), bytes.begin(), bytes.end());
    return uint32_t(pool.size() - bytes.size());
}

} // namespace

std::vector<PinDescription> samplePins(const KnownFilterRow &row)
{
    const Guid input = row.subtypeTag ? fourccGuid(row.subtypeTag) : kSubtypeNull;
    switch (row.kind) {
    case FilterKind::VideoDecoder:
        return {{0, 0, {{mediaTypeVideo, input}}},
                {pinFlagOutput, 0, {{mediaTypeVideo, subtypeNv12}, {mediaTypeVideo, subtypeYuy2}}}};
    case FilterKind::AudioDecoder:
        return {{0, 0, {{mediaTypeAudio, input}}}, {pinFlagOutput, 0, {{mediaTypeAudio, subtypePcm}}}};
    case FilterKind::Demultiplexer:
        break;
    }
    return {{0, 0, {{mediaTypeStream, kSubtypeNull}}},
            {pinFlagOutput, 0, {{mediaTypeVideo, kSubtypeNull}}},
            {pinFlagOutput, 0, {{mediaTypeAudio, kSubtypeNull}}}};
}

std::vector<uint8_t> buildFilterData(uint32_t merit, const std::vector<PinDescription> &pins)
{
    // Offsets into the pool count from the end of all records.
    uint32_t recordsSize = 16;
    for (const PinDescription &pin : pins)
        recordsSize += 24 + uint32_t(pin.mediaTypes.size()) * 16;

    std::vector<uint8_t> blob, pool;
    putU32(blob, 2);
    putU32(blob, merit);
    putU32(blob, uint32_t(pins.size()));
    putU32(blob, 0);
    for (size_t i = 0; i < pins.size(); ++i) {
        const PinDescription &pin = pins[i];
        blob.insert(blob.end(), {uint8_t('0' + i), 'p', 'i', '3'});
        putU32(blob, pin.flags);
        putU32(blob, pin.instances);
        putU32(blob, uint32_t(pin.mediaTypes.size()));
        putU32(blob, 0); // mediums
        putU32(blob, 0); // no pin category
        for (size_t j = 0; j < pin.mediaTypes.size(); ++j) {
            blob.insert(blob.end(), {uint8_t('0' + j), 't', 'y', '3'});
            putU32(blob, 0);
            putU32(blob, recordsSize + poolOffset(pool, pin.mediaTypes[j].major));
            putU32(blob, recordsSize + poolOffset(pool, pin.mediaTypes[j].minor));
        }
    }
    blob.insert(blob.end(), pool.begin(), pool.end());
    return blob;
}
