// Reading a Windows module's resources the way Explorer and the Control
// Panel do, for the Windows-only tests.
#ifndef WINRESOURCES_H
#define WINRESOURCES_H

#include "win32api.h"

#include <string>
#include <utility>
#include <vector>

namespace winresources {

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDirectory {
    WORD reserved, type, count;
    IconDirectoryEntry entries[1];
};
#pragma pack(pop)

// The icon group's directory, or null.
inline const IconDirectory *iconGroup(HMODULE module, LPCSTR name, WORD language)
{
    HRSRC group = FindResourceExA(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, name, language);
    return group ? static_cast<const IconDirectory *>(LockResource(LoadResource(module, group))) : nullptr;
}

// The version block of a module's file.
struct VersionInfo {
    std::vector<char> block;
    const VS_FIXEDFILEINFO *fixed = nullptr;

    explicit VersionInfo(HMODULE module)
    {
        char path[MAX_PATH];
        if (!GetModuleFileNameA(module, path, MAX_PATH))
            return;
        DWORD handle = 0;
        block.resize(GetFileVersionInfoSizeA(path, &handle));
        UINT length = 0;
        void *fixedInfo = nullptr;
        if (!block.empty() && GetFileVersionInfoA(path, 0, DWORD(block.size()), block.data())
            && VerQueryValueA(block.data(), "\\", &fixedInfo, &length))
            fixed = static_cast<const VS_FIXEDFILEINFO *>(fixedInfo);
    }

    // An entry of the English (United States), code page 1252 string block.
    std::string text(const char *name)
    {
        void *value = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        if (block.empty() || !VerQueryValueA(block.data(), query.c_str(), &value, &length))
            return std::string();
        return static_cast<const char *>(value);
    }
};

} // namespace winresources

#endif
