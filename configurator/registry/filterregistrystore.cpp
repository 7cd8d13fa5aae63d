#include "filterregistrystore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char kFriendlyName[] = "FriendlyName";
const char kFilterData[] = "FilterData";
const REGSAM kReadWrite = KEY_READ | KEY_WRITE; // 0x2001F
const DWORD kMeritOffset = 4;
const DWORD kMeritFieldEnd = kMeritOffset + 4;

// "CLSID\{083863F1-...}\Instance\" + CLSID, in a buffer of registryTextSize.
bool instanceKeyPath(const KnownFilter *entry, const char *clsid, char (&path)[registryTextSize])
{
    const char *id = filterClsid(entry, clsid);
    if (!id)
        return false;
    std::snprintf(path, sizeof path, "%s%s", legacyFilterInstancePrefix, id);
    return true;
}

// A value buffer of `size` bytes, zeroed, or null when memory ran out:
// allocation never throws. Never null for 0 bytes when memory is there, so a
// query reports ERROR_MORE_DATA rather than only a size.
std::unique_ptr<BYTE[]> allocateValue(DWORD size)
{
    return std::unique_ptr<BYTE[]>(new (std::nothrow) BYTE[size ? size : 1]());
}

// Queries a value of the expected type into `buffer`, starting with
// `capacity` bytes and growing once to the size the registry reports. A
// value of another type is refused before its data is read; one larger than
// maxRegistryValueSize is not read at all.
LONG queryExpected(HKEY key, const char *valueName, DWORD expectedType, DWORD capacity,
                   std::unique_ptr<BYTE[]> &buffer, DWORD &count)
{
    buffer = allocateValue(capacity);
    if (!buffer)
        return statusValueTooLarge;
    DWORD type = REG_NONE;
    count = capacity;
    LONG rc = RegQueryValueExA(key, valueName, nullptr, &type, buffer.get(), &count);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)
        return rc;
    if (type != expectedType)
        return statusWrongValueType;
    if (rc == ERROR_MORE_DATA) {
        if (count > maxRegistryValueSize)
            return statusValueTooLarge;
        capacity = count;
        buffer = allocateValue(capacity);
        if (!buffer)
            return statusValueTooLarge;
        rc = RegQueryValueExA(key, valueName, nullptr, &type, buffer.get(), &count);
        if (rc == ERROR_SUCCESS && type != expectedType) // changed between the two queries
            rc = statusWrongValueType;
    }
    if (rc == ERROR_SUCCESS && count > capacity)
        rc = ERROR_MORE_DATA; // never trust a count beyond the buffer
    return rc;
}

const DWORD kFirstReadSize = 1024;

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

int32_t queryRegistryValue(HKEY key, const char *valueName, DWORD expectedType, std::vector<BYTE> &data)
{
    std::unique_ptr<BYTE[]> buffer;
    DWORD count = 0;
    const LONG rc = queryExpected(key, valueName, expectedType, kFirstReadSize, buffer, count);
    if (rc != ERROR_SUCCESS)
        return rc;
    data.assign(buffer.get(), buffer.get() + count);
    return ERROR_SUCCESS;
}

const char *filterClsid(const KnownFilter *entry, const char *clsid)
{
    const char *id = entry ? entry->clsid : clsid;
    if (!id)
        return nullptr;
    const size_t length = strnlen(id, clsidStringSize);
    return length == 0 || length >= size_t(clsidStringSize) ? nullptr : id;
}

int32_t readRegistryValue(const char *subKey, const char *valueName, DWORD expectedType, BYTE *destination,
                          DWORD *size, RegistryView view)
{
    if (!subKey || !valueName || !destination || !size)
        return ERROR_BAD_ARGUMENTS;
    if (expectedType != REG_BINARY && expectedType != REG_SZ)
        return statusWrongValueType;
    const DWORD capacity = *size;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ | viewAccess(view), &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::unique_ptr<BYTE[]> work;
    DWORD count = 0;
    rc = queryExpected(key, valueName, expectedType, capacity, work, count);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (expectedType == REG_BINARY) {
        // The merit field is bytes 4..7; a shorter blob has none, and the
        // destination must hold its four bytes.
        if (count < kMeritFieldEnd)
            return statusNoMeritField;
        if (capacity < 4)
            return ERROR_MORE_DATA;
        std::memcpy(destination, work.get() + kMeritOffset, 4);
        return ERROR_SUCCESS;
    }
    // The text ends at its first null or at the end of the data, whether or
    // not the registry holds a terminator.
    const DWORD length = DWORD(strnlen(reinterpret_cast<const char *>(work.get()), count));
    const DWORD needed = length + 1;
    *size = needed;
    if (capacity < needed)
        return ERROR_MORE_DATA;
    std::memcpy(destination, work.get(), length);
    destination[length] = 0;
    return ERROR_SUCCESS;
}

int32_t patchRegistryBlob(const char *subKey, const char *valueName, const BYTE *source, DWORD sizeHint,
                          RegistryView view)
{
    if (!subKey || !valueName || !source)
        return ERROR_BAD_ARGUMENTS;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, kReadWrite | viewAccess(view), &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::unique_ptr<BYTE[]> blob;
    DWORD count = 0;
    rc = queryExpected(key, valueName, REG_BINARY, sizeHint, blob, count);
    if (rc == ERROR_SUCCESS && count < kMeritFieldEnd)
        rc = statusNoMeritField;
    if (rc == ERROR_SUCCESS) {
        std::memcpy(blob.get() + kMeritOffset, source, 4);
        rc = RegSetValueExA(key, valueName, 0, REG_BINARY, blob.get(), count);
    }
    RegCloseKey(key);
    return rc;
}

int meritBytesToHex(const BYTE bytes[4], char text[9])
{
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 4; ++i) {
        text[6 - 2 * i] = digits[bytes[i] >> 4];
        text[7 - 2 * i] = digits[bytes[i] & 0x0F];
    }
    text[8] = '\0';
    return 0;
}

int hexToMeritBytes(const char *text, BYTE bytes[4])
{
    const size_t length = strnlen(text, 9);
    if (length > 8)
        return 1; // more digits than a merit has
    char padded[8];
    std::memset(padded, '0', sizeof padded);
    std::memcpy(padded + (8 - length), text, length);
    for (int k = 0; k < 4; ++k) {
        const int high = hexValue(padded[2 * k]);
        const int low = hexValue(padded[2 * k + 1]);
        if (high < 0 || low < 0)
            return 1;
        bytes[3 - k] = BYTE(high * 16 + low);
    }
    return 0;
}

bool isFilterRegistered(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    char path[registryTextSize];
    if (!instanceKeyPath(entry, clsid, path))
        return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool readFriendlyName(KnownFilter *entry, RegistryView view)
{
    char path[registryTextSize];
    if (!entry || !instanceKeyPath(entry, nullptr, path))
        return false;
    BYTE name[registryTextSize] = {};
    DWORD size = sizeof name;
    if (readRegistryValue(path, kFriendlyName, REG_SZ, name, &size, view) != ERROR_SUCCESS)
        return false;
    char *copy = static_cast<char *>(std::malloc(size));
    if (!copy)
        return false;
    std::memcpy(copy, name, size);
    std::free(entry->friendlyName);
    entry->friendlyName = copy;
    return true;
}

uint32_t readFilterMerit(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    char path[registryTextSize];
    if (!instanceKeyPath(entry, clsid, path))
        return 0;
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    if (readRegistryValue(path, kFilterData, REG_BINARY, bytes, &size, view) != ERROR_SUCCESS)
        return 0;
    char text[9];
    meritBytesToHex(bytes, text);
    return uint32_t(std::strtoul(text, nullptr, 16));
}

std::wstring readServerPath(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    const char *id = filterClsid(entry, clsid);
    if (!id)
        return std::wstring();
    wchar_t keyPath[registryTextSize];
    size_t n = 0;
    for (const wchar_t *p = L"CLSID\\"; *p;)
        keyPath[n++] = *p++;
    for (const char *p = id; *p;)
        keyPath[n++] = wchar_t(static_cast<unsigned char>(*p++));
    for (const wchar_t *p = L"\\InprocServer32"; *p;)
        keyPath[n++] = *p++;
    keyPath[n] = L'\0';

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyPath, 0, KEY_READ | viewAccess(view), &key) != ERROR_SUCCESS)
        return std::wstring();
    WCHAR buffer[registryTextSize] = {};
    DWORD size = sizeof buffer;
    DWORD type = REG_NONE;
    const LONG rc = RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return std::wstring();
    const size_t units = std::min<size_t>(size / sizeof(WCHAR), registryTextSize);
    size_t length = 0;
    while (length < units && buffer[length] != L'\0')
        ++length;
    // A path that fills the whole buffer without a terminator is longer than
    // the 259 characters a path may have.
    if (length == size_t(registryTextSize))
        return std::wstring();
    return std::wstring(buffer, length);
}

int32_t writeFilterMerit(uint32_t merit, const KnownFilter *entry, const char *clsid, RegistryView view)
{
    char path[registryTextSize];
    if (!instanceKeyPath(entry, clsid, path))
        return ERROR_BAD_ARGUMENTS;
    char text[9];
    std::snprintf(text, sizeof text, "%x", unsigned(merit));
    BYTE bytes[4];
    if (hexToMeritBytes(text, bytes) != 0)
        return 1;
    return patchRegistryBlob(path, kFilterData, bytes, 4, view);
}
