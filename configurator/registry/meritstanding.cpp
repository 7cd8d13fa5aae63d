#include "meritstanding.h"

#include "filterdatareader.h"
#include "win32api.h"

MeritStanding meritStanding(const char *clsid, MatchingFilters matchingFilters)
{
    MeritStanding standing;
    if (!clsid || !*clsid)
        return standing;
    FilterDataContents contents;
    const int32_t status = readFilterRegistration(clsid, contents);
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
    standing.system = pluginControlView(standing.type.minor, clsid);
    if (!standing.system.preferredClsid.empty()) {
        for (const MappedFilter &filter : offered)
            if (sameClsid(filter.instance.c_str(), standing.system.preferredClsid.c_str()))
                standing.preferredName = filter.name;
        if (standing.preferredName.empty())
            standing.preferredName = registeredFilterName(standing.system.preferredClsid.c_str());
    }
    return standing;
}
