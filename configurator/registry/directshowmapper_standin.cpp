#include "directshowmapper.h"

// Without Windows our registry mapper is DirectShow's stand-in, and there is
// no plug-in control.
int32_t mapperMatchingFilters(const PinMediaType &type, std::vector<MappedFilter> &filters)
{
    filters = registryMatchingFilters(type);
    return 0;
}

PluginControlView pluginControlView(const Guid &, const char *)
{
    return PluginControlView();
}
