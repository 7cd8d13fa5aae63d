// Registering a filter through DirectShow's own filter mapper, so that the
// mapper writes the instance key and its FilterData blob.
#ifndef FILTERMAPPER_WINDOWS_H
#define FILTERMAPPER_WINDOWS_H

#include "filterdata.h"
#include "win32api.h"

#include <vector>

HRESULT registerWithFilterMapper(const char *clsid, const char *name, uint32_t merit,
                                 const std::vector<PinDescription> &pins);

// Removes the filter from DirectShow's legacy filter category through the
// filter mapper. S_OK also when it was not registered there.
HRESULT unregisterFromFilterMapper(const char *clsid);

#endif
