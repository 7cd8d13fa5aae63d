// Reading a filter's registration blob ("FilterData") back into its merit
// and pins, in the layout DirectShow's filter mapper writes: a header
// (version 2, merit, pin count, reserved), per pin a record (signature,
// flags, instances, media type count, medium count, category flag, the
// category's offset when the flag is set), its media type records
// (signature, reserved, offsets of the major type and the subtype) and its
// medium offsets; the GUIDs and mediums the offsets point at follow, each
// offset counted from the start of the blob. A filter registered with a
// version 1 description is written in this same layout by the mapper.
//
// The reader takes what the mapper takes: signatures are not checked, and a
// version other than 2 is refused. Anything that does not fit the blob (a
// record, a count, an offset) makes the whole blob unreadable; nothing is
// read outside it.
#ifndef FILTERDATAREADER_H
#define FILTERDATAREADER_H

#include "filterpins.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct FilterDataContents {
    uint32_t merit = 0;
    std::vector<PinDescription> pins;
};

// False for a blob that cannot be read; `contents` then holds nothing of use.
bool readFilterData(const uint8_t *data, size_t size, FilterDataContents &contents);

// The first media type of the first input pin that has one; false when no
// input pin has a media type.
bool firstInputType(const FilterDataContents &contents, PinMediaType &type);

#endif
