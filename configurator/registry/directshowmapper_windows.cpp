#include "directshowmapper.h"

#include "knownfilterrows.h"

#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

#include <cstring>

namespace {

// CLSID_DirectShowPluginControl, which the SDK's uuids.h has and mingw-w64's lacks.
const CLSID kPluginControl = {0x8670C736, 0xF614, 0x427B, {0x8A, 0xDA, 0xBB, 0xAD, 0xC5, 0x87, 0x19, 0x4B}};

GUID toGuid(const Guid &g)
{
    GUID out;
    static_assert(sizeof out == sizeof g, "Guid has GUID's layout");
    std::memcpy(&out, &g, sizeof out);
    return out;
}

// Names and CLSIDs leave the seam as UTF-8: the ANSI code page would turn a
// name in another script into question marks.
std::string utf8(const wchar_t *text)
{
    if (!text || !*text)
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

// COM for the calling thread, for as long as it lives; a thread that has it
// already (Qt's GUI thread has) keeps its own.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }

private:
    HRESULT result_;
};

template <typename T>
void release(T *&object)
{
    if (object)
        object->Release();
    object = nullptr;
}

// "@device:sw:{legacy category}\<instance>": the instance, or empty for a
// moniker of any other category or kind.
std::string legacyInstance(IMoniker *moniker)
{
    std::wstring prefix = L"@device:sw:";
    for (const char *c = legacyFilterCategory; *c; ++c)
        prefix += wchar_t(*c);
    prefix += L'\\';
    const size_t prefixLength = prefix.size();
    std::string instance;
    IBindCtx *context = nullptr;
    LPOLESTR name = nullptr;
    if (SUCCEEDED(CreateBindCtx(0, &context)) && SUCCEEDED(moniker->GetDisplayName(context, nullptr, &name)) &&
        name && _wcsnicmp(name, prefix.c_str(), prefixLength) == 0)
        instance = utf8(name + prefixLength);
    CoTaskMemFree(name);
    release(context);
    return instance;
}

bool readProperties(IMoniker *moniker, MappedFilter &filter)
{
    IPropertyBag *bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void **>(&bag))))
        return false;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR)
        filter.name = utf8(value.bstrVal);
    VariantClear(&value);
    bool hasMerit = false;
    BYTE *bytes = nullptr;
    if (SUCCEEDED(bag->Read(L"FilterData", &value, nullptr)) && value.vt == (VT_ARRAY | VT_UI1) &&
        value.parray->rgsabound[0].cElements >= 8 &&
        SUCCEEDED(SafeArrayAccessData(value.parray, reinterpret_cast<void **>(&bytes)))) {
        filter.merit = uint32_t(bytes[4]) | uint32_t(bytes[5]) << 8 | uint32_t(bytes[6]) << 16 |
                       uint32_t(bytes[7]) << 24;
        hasMerit = true;
        SafeArrayUnaccessData(value.parray);
    }
    VariantClear(&value);
    bag->Release();
    return hasMerit;
}

} // namespace

int32_t mapperMatchingFilters(const PinMediaType &type, std::vector<MappedFilter> &filters)
{
    filters.clear();
    ComScope com;
    IFilterMapper2 *mapper = nullptr;
    HRESULT result = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                      reinterpret_cast<void **>(&mapper));
    if (FAILED(result))
        return int32_t(result);
    const GUID types[2] = {toGuid(type.major), toGuid(type.minor)};
    IEnumMoniker *monikers = nullptr;
    result = mapper->EnumMatchingFilters(&monikers, 0, TRUE, 0, TRUE, 1, types, nullptr, nullptr, FALSE, FALSE, 0,
                                         nullptr, nullptr, nullptr);
    if (SUCCEEDED(result) && monikers) {
        IMoniker *moniker = nullptr;
        while (monikers->Next(1, &moniker, nullptr) == S_OK) {
            MappedFilter filter{legacyInstance(moniker), std::string(), 0};
            if (!filter.instance.empty() && readProperties(moniker, filter))
                filters.push_back(filter);
            release(moniker);
        }
    }
    release(monikers);
    release(mapper);
    return SUCCEEDED(result) ? 0 : int32_t(result);
}

PluginControlView pluginControlView(const Guid &subtype, const char *clsid)
{
    PluginControlView view;
    ComScope com;
    IAMPluginControl *control = nullptr;
    if (FAILED(CoCreateInstance(kPluginControl, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IAMPluginControl),
                                reinterpret_cast<void **>(&control))))
        return view;
    view.present = true;
    CLSID preferred;
    if (control->GetPreferredClsid(toGuid(subtype), &preferred) == S_OK) {
        wchar_t text[40];
        if (StringFromGUID2(preferred, text, 40) > 0)
            view.preferredClsid = utf8(text);
    }
    std::wstring wide;
    for (const char *p = clsid; p && *p; ++p)
        wide += wchar_t(static_cast<unsigned char>(*p));
    CLSID filter;
    if (!wide.empty() && SUCCEEDED(CLSIDFromString(wide.c_str(), &filter)))
        view.disabled = control->IsDisabled(filter) == S_OK;
    release(control);
    return view;
}
