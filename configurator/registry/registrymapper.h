// A filter mapper of our own over the registry: which filters registered in
// DirectShow's legacy filter category take a media type on an input pin, in
// the order DirectShow's filter mapper (IFilterMapper2::EnumMatchingFilters,
// exact matching, no merit floor) gives them. It reads every instance key of
// the category in the registry view given, and only reads.
#ifndef REGISTRYMAPPER_H
#define REGISTRYMAPPER_H

#include "filterdatareader.h"
#include "filterpins.h"
#include "registryview.h"

#include <cstdint>
#include <string>
#include <vector>

struct MappedFilter {
    std::string instance; // the instance key's name: the filter's CLSID string
    std::string name;     // its FriendlyName in UTF-8; empty when it has none
    uint32_t merit;       // from its FilterData
};

// Whether an input pin offering `offered` takes `wanted` in the mapper's
// exact matching: a null major type or subtype in `wanted` stands for any,
// one in the registration only for itself.
bool mediaTypeMatches(const PinMediaType &wanted, const PinMediaType &offered);

// The category's filters with an input pin that takes `type`, highest merit
// first; filters of equal merit keep the registry's order of their keys. A
// registration whose FilterData cannot be read never matches.
std::vector<MappedFilter> registryMatchingFilters(const PinMediaType &type,
                                                  RegistryView view = RegistryView::Bits64);

// The FilterData of one instance key of the category, read whole. 0, or
// ERROR_FILE_NOT_FOUND without the key or the value, or ERROR_INVALID_DATA
// when the value is not a readable blob.
int32_t readFilterRegistration(const char *instance, FilterDataContents &contents,
                               RegistryView view = RegistryView::Bits64);

// The FriendlyName of one instance key of the category, in UTF-8; empty
// without one.
std::string registeredFilterName(const char *instance, RegistryView view = RegistryView::Bits64);

#endif
