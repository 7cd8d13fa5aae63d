#include "registryview.h"

#include <cstdio>
#include <cstring>
#include <cwctype>

namespace {

// The folder GetSystemDirectoryW or GetSystemWow64DirectoryW names, or empty.
template <typename Query>
std::wstring systemFolder(Query query)
{
    WCHAR buffer[MAX_PATH + 1] = {};
    const UINT length = query(buffer, UINT(MAX_PATH + 1));
    if (length == 0 || length > MAX_PATH)
        return std::wstring();
    return std::wstring(buffer, length);
}

std::wstring system32Folder()
{
    return systemFolder([](LPWSTR buffer, UINT size) { return GetSystemDirectoryW(buffer, size); });
}

std::wstring sysWow64Folder()
{
    return systemFolder([](LPWSTR buffer, UINT size) { return GetSystemWow64DirectoryW(buffer, size); });
}

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Whether `path` lies in `folder`: the folder's characters without regard to
// case, then a separator.
bool inFolder(const std::wstring &path, const std::wstring &folder)
{
    if (folder.empty() || path.size() <= folder.size() || !isSeparator(path[folder.size()]))
        return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (std::towlower(wint_t(path[i])) != std::towlower(wint_t(folder[i])))
            return false;
    return true;
}

uint32_t little32(const unsigned char *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

} // namespace

bool systemHasTwoViews()
{
    return !sysWow64Folder().empty();
}

std::wstring regsvr32Path(RegistryView view)
{
    std::wstring folder = view == RegistryView::Bits32 && systemHasTwoViews() ? sysWow64Folder() : system32Folder();
    return folder.empty() ? folder : folder + L"\\regsvr32.exe";
}

std::wstring pathInView(const std::wstring &path, RegistryView view)
{
    if (view != RegistryView::Bits32)
        return path;
    const std::wstring system32 = system32Folder();
    const std::wstring wow64 = sysWow64Folder();
    if (wow64.empty() || !inFolder(path, system32))
        return path;
    return wow64 + path.substr(system32.size());
}

// A PE image: "MZ", the offset of "PE\0\0" at 0x3C, then the 20-byte file
// header and the optional header, whose magic says PE32 (0x10B) or PE32+
// (0x20B). An ELF file: 0x7F "ELF".
ServerImage readServerImage(const std::wstring &path)
{
    FILE *file = nullptr;
    if (_wfopen_s(&file, path.c_str(), L"rb") != 0 || !file)
        return ServerImage::Unreadable;
    unsigned char header[64] = {};
    const size_t count = std::fread(header, 1, sizeof header, file);
    ServerImage image = ServerImage::NotAnImage;
    if (count >= 4 && std::memcmp(header, "\x7F" "ELF", 4) == 0) {
        image = ServerImage::SharedLibrary;
    } else if (count == sizeof header && header[0] == 'M' && header[1] == 'Z') {
        const uint32_t offset = little32(header + 0x3C);
        unsigned char pe[26] = {};
        if (offset <= 0x10000000u && std::fseek(file, long(offset), SEEK_SET) == 0 &&
            std::fread(pe, 1, sizeof pe, file) == sizeof pe && std::memcmp(pe, "PE\0\0", 4) == 0) {
            const unsigned magic = unsigned(pe[24]) | unsigned(pe[25]) << 8;
            if (magic == 0x10B)
                image = ServerImage::Windows32;
            else if (magic == 0x20B)
                image = ServerImage::Windows64;
        }
    }
    std::fclose(file);
    return image;
}

RegistryView viewForImage(ServerImage image, RegistryView shown)
{
    if (!systemHasTwoViews())
        return shown;
    if (image == ServerImage::Windows32)
        return RegistryView::Bits32;
    if (image == ServerImage::Windows64)
        return RegistryView::Bits64;
    return shown;
}
