// What DirectShow itself says about the filters for a media type: the
// filters its filter mapper offers, and the system's preferred and disabled
// filter lists. One header, two implementations chosen by the build file:
// directshowmapper_windows.cpp asks IFilterMapper2 and IAMPluginControl,
// directshowmapper_standin.cpp answers with our registry mapper and has no
// plug-in control.
#ifndef DIRECTSHOWMAPPER_H
#define DIRECTSHOWMAPPER_H

#include "filterpins.h"
#include "registrymapper.h"

#include <cstdint>
#include <string>
#include <vector>

// The legacy filter category's filters with an input pin that takes `type`,
// in the order the filter mapper gives them (exact matching, merit floor 0).
// Among filters of equal merit DirectShow fixes no order. Returns S_OK (0),
// or the failure (an HRESULT) when the filter mapper could not be asked;
// `filters` is empty then, which says nothing about the type.
int32_t mapperMatchingFilters(const PinMediaType &type, std::vector<MappedFilter> &filters);

// The system's plug-in control (Windows 7 and later) on one subtype and
// one filter.
struct PluginControlView {
    bool present = false;       // the plug-in control object exists
    std::string preferredClsid; // what its preferred list names for the subtype; empty for nothing
    bool disabled = false;      // the filter is on its disabled list
};

PluginControlView pluginControlView(const Guid &subtype, const char *clsid);

#endif
