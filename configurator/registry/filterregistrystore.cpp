#include "filterregistrystore.h"

#include "widetext.h"

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

namespace {

// readRegistryValue's reading, on a key already open.
int32_t readOpenValue(HKEY key, const char *valueName, DWORD expectedType, BYTE *destination, DWORD *size)
{
    const DWORD capacity = *size;
    std::unique_ptr<BYTE[]> work;
    DWORD count = 0;
    const LONG rc = queryExpected(key, valueName, expectedType, capacity, work, count);
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

// The entry's cached FriendlyName, from an open instance key.
bool readOpenFriendlyName(HKEY key, KnownFilter *entry)
{
    BYTE name[registryTextSize] = {};
    DWORD size = sizeof name;
    if (readOpenValue(key, kFriendlyName, REG_SZ, name, &size) != ERROR_SUCCESS)
        return false;
    char *copy = static_cast<char *>(std::malloc(size));
    if (!copy)
        return false;
    std::memcpy(copy, name, size);
    std::free(entry->friendlyName);
    entry->friendlyName = copy;
    return true;
}

// The merit in bytes 4..7 of FilterData, from an open instance key; 0 when
// it cannot be read.
uint32_t readOpenMerit(HKEY key)
{
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    if (readOpenValue(key, kFilterData, REG_BINARY, bytes, &size) != ERROR_SUCCESS)
        return 0;
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

LONG openInstanceKey(const KnownFilter *entry, const char *clsid, RegistryView view, HKEY &key,
                     REGSAM access = KEY_READ)
{
    char path[registryTextSize];
    if (!instanceKeyPath(entry, clsid, path))
        return ERROR_BAD_ARGUMENTS;
    return RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, access | viewAccess(view), &key);
}

} // namespace

int32_t filterCategoryStatus(RegistryView view)
{
    // The prefix ends in a backslash, which a key name may not.
    std::string path = legacyFilterInstancePrefix;
    path.pop_back();
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | viewAccess(view), &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

int32_t filterKeyWriteStatus(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    HKEY key = nullptr;
    const LONG status = openInstanceKey(entry, clsid, view, key, KEY_READ | KEY_WRITE);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status;
}

int32_t readRegistryValue(const char *subKey, const char *valueName, DWORD expectedType, BYTE *destination,
                          DWORD *size, RegistryView view)
{
    if (!subKey || !valueName || !destination || !size)
        return ERROR_BAD_ARGUMENTS;
    if (expectedType != REG_BINARY && expectedType != REG_SZ)
        return statusWrongValueType;
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ | viewAccess(view), &key);
    if (rc != ERROR_SUCCESS)
        return rc;
    const int32_t status = readOpenValue(key, valueName, expectedType, destination, size);
    RegCloseKey(key);
    return status;
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
    HKEY key = nullptr;
    if (openInstanceKey(entry, clsid, view, key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

RegisteredFilter readRegisteredFilter(KnownFilter *entry, RegistryView view)
{
    RegisteredFilter filter;
    if (!entry)
        return filter;
    HKEY key = nullptr;
    if (openInstanceKey(entry, nullptr, view, key) == ERROR_SUCCESS) {
        filter.registered = true;
        filter.hasName = readOpenFriendlyName(key, entry);
        filter.nameUtf8 = readFriendlyNameUtf8(key);
        filter.merit = readOpenMerit(key);
        RegCloseKey(key);
    }
    // A class key can outlive its category entry; its server is still the
    // one to register again.
    filter.serverPath = readServerPath(entry, nullptr, view);
    return filter;
}

std::string readFriendlyNameUtf8(HKEY key)
{
    // The wide functions: the narrow ones give the ANSI code page's question
    // marks for other scripts. A longer name reads as none.
    const size_t capacity = 1024;
    WCHAR text[capacity] = {};
    DWORD size = sizeof text;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, L"FriendlyName", nullptr, &type, reinterpret_cast<BYTE *>(text), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return std::string();
    size_t length = 0;
    while (length < capacity && text[length] != 0)
        ++length;
    return utf8FromWide(std::wstring(text, length));
}

bool readFriendlyName(KnownFilter *entry, RegistryView view)
{
    HKEY key = nullptr;
    if (!entry || openInstanceKey(entry, nullptr, view, key) != ERROR_SUCCESS)
        return false;
    const bool read = readOpenFriendlyName(key, entry);
    RegCloseKey(key);
    return read;
}

uint32_t readFilterMerit(const KnownFilter *entry, const char *clsid, RegistryView view)
{
    HKEY key = nullptr;
    if (openInstanceKey(entry, clsid, view, key) != ERROR_SUCCESS)
        return 0;
    const uint32_t merit = readOpenMerit(key);
    RegCloseKey(key);
    return merit;
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
