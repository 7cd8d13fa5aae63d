#include "meritstanding.h"

#include "filterdatareader.h"
#include "filterregistrystore.h"
#include "win32api.h"

#include <algorithm>

namespace {

const char kPreferredKey[] = "SOFTWARE\\Microsoft\\DirectShow\\Preferred";

int32_t matchingFilters32(const PinMediaType &type, std::vector<MappedFilter> &filters)
{
    filters = registryMatchingFilters(type, RegistryView::Bits32);
    return 0;
}

PluginControlView preferredListView(const Guid &subtype, RegistryView view)
{
    PluginControlView system;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPreferredKey, 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
        return system;
    system.present = true;
    std::vector<BYTE> data;
    if (queryRegistryValue(key, guidText(subtype).c_str(), REG_SZ, data) == ERROR_SUCCESS) {
        const auto end = std::find(data.begin(), data.end(), BYTE(0));
        system.preferredClsid.assign(data.begin(), end);
    }
    RegCloseKey(key);
    return system;
}

MeritStanding standingIn(const char *clsid, RegistryView view, MatchingFilters matchingFilters)
{
    MeritStanding standing;
    standing.view = view;
    standing.twoViews = systemHasTwoViews();
    if (!clsid || !*clsid)
        return standing;
    FilterDataContents contents;
    const int32_t status = readFilterRegistration(clsid, contents, view);
    if (status != ERROR_SUCCESS) {
        standing.reading = status == ERROR_INVALID_DATA ? MeritStanding::Unreadable : MeritStanding::NotRegistered;
        return standing;
    }
    standing.merit = contents.merit;
    if (!firstInputType(contents, standing.type)) {
        standing.reading = MeritStanding::NoInputType;
        return standing;
    }
    std::vector<MappedFilter> offered;
    standing.mapperStatus = matchingFilters(standing.type, offered);
    if (standing.mapperStatus != 0) {
        standing.reading = MeritStanding::MapperFailed;
        return standing;
    }
    standing.reading = MeritStanding::Read;
    for (const MappedFilter &filter : offered) {
        if (sameClsid(filter.instance.c_str(), clsid))
            continue;
        if (filter.merit > standing.merit)
            standing.before.push_back(filter);
        else if (filter.merit == standing.merit)
            standing.tied.push_back(filter);
    }
    standing.system = view == RegistryView::Bits32 ? preferredListView(standing.type.minor, view)
                                                   : pluginControlView(standing.type.minor, clsid);
    if (!standing.system.preferredClsid.empty()) {
        for (const MappedFilter &filter : offered)
            if (sameClsid(filter.instance.c_str(), standing.system.preferredClsid.c_str()))
                standing.preferredName = filter.name;
        if (standing.preferredName.empty())
            standing.preferredName = registeredFilterName(standing.system.preferredClsid.c_str(), view);
    }
    return standing;
}

} // namespace

MeritStanding meritStanding(const char *clsid, MatchingFilters matchingFilters)
{
    return standingIn(clsid, RegistryView::Bits64, matchingFilters);
}

MeritStanding meritStanding(const char *clsid, RegistryView view)
{
    return standingIn(clsid, view, view == RegistryView::Bits32 ? matchingFilters32 : mapperMatchingFilters);
}
