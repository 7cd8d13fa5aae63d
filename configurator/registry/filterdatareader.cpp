#include "filterdatareader.h"

namespace {

const uint32_t kLayoutVersion = 2;
const size_t kHeaderSize = 16;
const size_t kPinRecordSize = 24;
const size_t kTypeRecordSize = 16;
const size_t kGuidSize = 16;
const size_t kMediumSize = 24; // a GUID and two DWORDs

class Cursor {
public:
    Cursor(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool u32(uint32_t &value)
    {
        if (!at(position_, value))
            return false;
        position_ += 4;
        return true;
    }
    bool skip(size_t bytes)
    {
        if (bytes > size_ - position_)
            return false;
        position_ += bytes;
        return true;
    }
    size_t remaining() const { return size_ - position_; }

    // The `length` bytes at `offset` lie inside the blob.
    bool fits(uint32_t offset, size_t length) const { return offset <= size_ && length <= size_ - offset; }

    bool guidAt(uint32_t offset, Guid &g) const
    {
        if (!fits(offset, kGuidSize))
            return false;
        uint32_t middle = 0;
        at(offset, g.data1);
        at(offset + 4, middle);
        g.data2 = uint16_t(middle);
        g.data3 = uint16_t(middle >> 16);
        for (size_t i = 0; i < 8; ++i)
            g.data4[i] = data_[offset + 8 + i];
        return true;
    }

private:
    bool at(size_t offset, uint32_t &value) const
    {
        if (offset > size_ || size_ - offset < 4)
            return false;
        value = uint32_t(data_[offset]) | uint32_t(data_[offset + 1]) << 8 | uint32_t(data_[offset + 2]) << 16 |
                uint32_t(data_[offset + 3]) << 24;
        return true;
    }

    const uint8_t *data_;
    size_t size_;
    size_t position_ = 0;
};

bool readPin(Cursor &cursor, PinDescription &pin)
{
    uint32_t typeCount = 0, mediumCount = 0, hasCategory = 0;
    if (!cursor.skip(4) || !cursor.u32(pin.flags) || !cursor.u32(pin.instances) || !cursor.u32(typeCount) ||
        !cursor.u32(mediumCount) || !cursor.u32(hasCategory))
        return false;
    if (hasCategory) {
        uint32_t offset = 0;
        if (!cursor.u32(offset) || !cursor.fits(offset, kGuidSize))
            return false;
    }
    // Counts are checked against what is left before anything is allocated.
    if (typeCount > cursor.remaining() / kTypeRecordSize)
        return false;
    pin.mediaTypes.resize(typeCount);
    for (PinMediaType &type : pin.mediaTypes) {
        uint32_t majorOffset = 0, minorOffset = 0;
        if (!cursor.skip(8) || !cursor.u32(majorOffset) || !cursor.u32(minorOffset))
            return false;
        if (!cursor.guidAt(majorOffset, type.major) || !cursor.guidAt(minorOffset, type.minor))
            return false;
    }
    if (mediumCount > cursor.remaining() / 4)
        return false;
    for (uint32_t i = 0; i < mediumCount; ++i) {
        uint32_t offset = 0;
        if (!cursor.u32(offset) || !cursor.fits(offset, kMediumSize))
            return false;
    }
    return true;
}

} // namespace

bool readFilterData(const uint8_t *data, size_t size, FilterDataContents &contents)
{
    if (!data || size < kHeaderSize)
        return false;
    Cursor cursor(data, size);
    uint32_t version = 0, pinCount = 0;
    if (!cursor.u32(version) || version != kLayoutVersion || !cursor.u32(contents.merit) || !cursor.u32(pinCount) ||
        !cursor.skip(4))
        return false;
    if (pinCount > cursor.remaining() / kPinRecordSize)
        return false;
    contents.pins.assign(pinCount, PinDescription{0, 0, {}});
    for (PinDescription &pin : contents.pins)
        if (!readPin(cursor, pin))
            return false;
    return true;
}

bool firstInputType(const FilterDataContents &contents, PinMediaType &type)
{
    for (const PinDescription &pin : contents.pins) {
        if (!(pin.flags & pinFlagOutput) && !pin.mediaTypes.empty()) {
            type = pin.mediaTypes.front();
            return true;
        }
    }
    return false;
}
