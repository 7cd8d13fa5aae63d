// A known-filter allocator that fails at one catalogue slot, for the paths
// that run out of memory while the catalogue is built.
#ifndef FAILINGALLOCATOR_H
#define FAILINGALLOCATOR_H

#include "filtercatalogue.h"

#include <cstdlib>

namespace testsupport {

// The slot whose allocation fails; -1 for none.
inline int failingSlot = -1;

inline KnownFilter *allocateFailingAt(int slot)
{
    return slot == failingSlot ? nullptr : static_cast<KnownFilter *>(std::malloc(sizeof(KnownFilter)));
}

} // namespace testsupport

#endif
