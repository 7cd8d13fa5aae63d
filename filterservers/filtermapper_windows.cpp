#include "filtermapper_windows.h"

#include <objbase.h>
#include <strmif.h>
#include <uuids.h>

#include <string>

namespace {

GUID toGuid(const Guid &g)
{
    GUID out;
    out.Data1 = g.data1;
    out.Data2 = g.data2;
    out.Data3 = g.data3;
    for (int i = 0; i < 8; ++i)
        out.Data4[i] = g.data4[i];
    return out;
}

std::wstring widen(const char *text)
{
    std::wstring out;
    for (; *text; ++text)
        out += wchar_t(static_cast<unsigned char>(*text));
    return out;
}

} // namespace

HRESULT registerWithFilterMapper(const char *clsid, const char *name, uint32_t merit,
                                 const std::vector<PinDescription> &pins)
{
    CLSID filter;
    HRESULT hr = CLSIDFromString(widen(clsid).c_str(), &filter);
    if (FAILED(hr))
        return hr;

    // The mapper keeps pointers into these; they live until the call returns.
    std::vector<std::vector<GUID>> guids;
    std::vector<std::vector<REGPINTYPES>> types;
    std::vector<REGFILTERPINS2> records;
    for (const PinDescription &pin : pins) {
        guids.emplace_back();
        for (const PinMediaType &type : pin.mediaTypes) {
            guids.back().push_back(toGuid(type.major));
            guids.back().push_back(toGuid(type.minor));
        }
    }
    for (size_t i = 0; i < pins.size(); ++i) {
        types.emplace_back();
        for (size_t j = 0; j < pins[i].mediaTypes.size(); ++j)
            types.back().push_back(REGPINTYPES{&guids[i][2 * j], &guids[i][2 * j + 1]});
    }
    for (size_t i = 0; i < pins.size(); ++i) {
        REGFILTERPINS2 record = {};
        record.dwFlags = pins[i].flags;
        record.cInstances = pins[i].instances;
        record.nMediaTypes = UINT(types[i].size());
        record.lpMediaType = types[i].data();
        records.push_back(record);
    }
    REGFILTER2 description = {};
    description.dwVersion = 2;
    description.dwMerit = merit;
    description.cPins2 = ULONG(records.size());
    description.rgPins2 = records.data();

    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IFilterMapper2 *mapper = nullptr;
    hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                          reinterpret_cast<void **>(&mapper));
    if (SUCCEEDED(hr)) {
        hr = mapper->RegisterFilter(filter, widen(name).c_str(), nullptr, &CLSID_LegacyAmFilterCategory, nullptr,
                                    &description);
        mapper->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return hr;
}

HRESULT unregisterFromFilterMapper(const char *clsid)
{
    CLSID filter;
    HRESULT hr = CLSIDFromString(widen(clsid).c_str(), &filter);
    if (FAILED(hr))
        return hr;
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IFilterMapper2 *mapper = nullptr;
    hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                          reinterpret_cast<void **>(&mapper));
    if (SUCCEEDED(hr)) {
        hr = mapper->UnregisterFilter(&CLSID_LegacyAmFilterCategory, nullptr, filter);
        mapper->Release();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    // A filter that is not in the category is no failure.
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ? S_OK : hr;
}
