#include "directshowmapper.h"

// Without Windows our registry mapper is DirectShow's stand-in, and there is
// no plug-in control.
std::vector<MappedFilter> mapperMatchingFilters(const PinMediaType &type)
{
    return registryMatchingFilters(type);
}

PluginControlView pluginControlView(const Guid &, const char *)
{
    return PluginControlView();
}
