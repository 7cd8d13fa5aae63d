#include "filterview_windows.h"

#include "knownfilterrows.h"
#include "testsupport.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

#include <cstring>

namespace {

uint32_t meritOf(const BYTE *data, size_t size, bool &ok)
{
    ok = size >= 8;
    if (!ok)
        return 0;
    return uint32_t(data[4]) | uint32_t(data[5]) << 8 | uint32_t(data[6]) << 16 | uint32_t(data[7]) << 24;
}

std::string narrow(const wchar_t *text)
{
    std::string out;
    for (; text && *text; ++text)
        out += char(*text < 0x80 ? *text : '?');
    return out;
}

} // namespace

FilterView registryView(const char *clsid)
{
    FilterView view;
    HKEY key = nullptr;
    const std::string path = std::string(legacyFilterInstancePrefix) + clsid;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return view;
    view.registered = true;
    BYTE data[512];
    DWORD size = sizeof(data), type = 0;
    memset(data, 0xCC, sizeof(data));
    if (RegQueryValueExA(key, "FilterData", nullptr, &type, data, &size) == ERROR_SUCCESS && type == REG_BINARY)
        view.merit = meritOf(data, size, view.hasMerit);
    char name[256];
    size = sizeof(name);
    memset(name, 0xCC, sizeof(name));
    if (RegQueryValueExA(key, "FriendlyName", nullptr, &type, reinterpret_cast<BYTE *>(name), &size) ==
            ERROR_SUCCESS && type == REG_SZ && size > 0)
        view.name.assign(name, size - 1);
    RegCloseKey(key);
    return view;
}

std::wstring monikerClsid(IMoniker *moniker)
{
    std::wstring clsid;
    IPropertyBag *bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void **>(&bag))))
        return clsid;
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(bag->Read(L"CLSID", &value, nullptr)) && value.vt == VT_BSTR)
        clsid = value.bstrVal;
    VariantClear(&value);
    bag->Release();
    return clsid;
}

FilterView directShowView(const char *clsid)
{
    FilterView view;
    const std::wstring wanted = testsupport::widen(clsid);
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ICreateDevEnum *devices = nullptr;
    IEnumMoniker *monikers = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                   reinterpret_cast<void **>(&devices))) &&
        devices->CreateClassEnumerator(CLSID_LegacyAmFilterCategory, &monikers, 0) == S_OK) {
        IMoniker *moniker = nullptr;
        while (!view.registered && monikers->Next(1, &moniker, nullptr) == S_OK) {
            IPropertyBag *bag = nullptr;
            if (_wcsicmp(monikerClsid(moniker).c_str(), wanted.c_str()) == 0 &&
                SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void **>(&bag)))) {
                view.registered = true;
                VARIANT value;
                VariantInit(&value);
                if (SUCCEEDED(bag->Read(L"FriendlyName", &value, nullptr)) && value.vt == VT_BSTR)
                    view.name = narrow(value.bstrVal);
                VariantClear(&value);
                if (SUCCEEDED(bag->Read(L"FilterData", &value, nullptr)) && value.vt == (VT_ARRAY | VT_UI1)) {
                    BYTE *data = nullptr;
                    if (SUCCEEDED(SafeArrayAccessData(value.parray, reinterpret_cast<void **>(&data)))) {
                        view.merit = meritOf(data, value.parray->rgsabound[0].cElements, view.hasMerit);
                        SafeArrayUnaccessData(value.parray);
                    }
                }
                VariantClear(&value);
                bag->Release();
            }
            moniker->Release();
        }
        monikers->Release();
    }
    if (devices)
        devices->Release();
    if (SUCCEEDED(init))
        CoUninitialize();
    return view;
}
