// Reading and writing the registration data of known filters directly in
// the registry under HKEY_CLASSES_ROOT:
//   instance key  CLSID\{083863F1-70DE-11D0-BD40-00A0C911CE86}\Instance\<CLSID>
//                 with "FriendlyName" (REG_SZ) and "FilterData" (REG_BINARY,
//                 merit in bytes 4..7, least significant byte first)
//   class key     CLSID\<CLSID>\InprocServer32, default value = server path
//
// A filter is named by a KnownFilter entry or, when the entry is null, by a
// CLSID string; the entry wins. A CLSID string must have 1 to 38 characters,
// otherwise the filter counts as not given. Nothing is cached: every call
// opens, reads and closes, so other programs' changes are always seen.
//
// Statuses are Windows error numbers: 0 success, 160 no filter or argument,
// 234 text longer than the buffer, E_NOTIMPL (0x80004001) value of another
// type than the one asked for, 13 (ERROR_INVALID_DATA) a FilterData shorter
// than the 8 bytes that hold its merit, 8 (ERROR_NOT_ENOUGH_MEMORY) a value
// larger than maxRegistryValueSize or memory that ran out, and the
// registry's own codes (2 missing, 5 access denied). Nothing throws, and
// every key opened is closed before a call returns.
#ifndef FILTERREGISTRYSTORE_H
#define FILTERREGISTRYSTORE_H

#include "filtercatalogue.h"
#include "knownfilterrows.h"
#include "registryview.h"
#include "win32api.h"

#include <cstdint>
#include <string>
#include <vector>

const int registryTextSize = 260;                 // text buffers, terminator included
const int32_t statusWrongValueType = int32_t(0x80004001u); // E_NOTIMPL
const int32_t statusNoMeritField = 13;            // ERROR_INVALID_DATA
const int32_t statusValueTooLarge = 8;            // ERROR_NOT_ENOUGH_MEMORY
// The largest value read: a standard-format hive holds no larger one, and a
// filter's registration blob is a few hundred bytes.
const DWORD maxRegistryValueSize = 1024 * 1024;

// Each works in the registry view given: the 64-bit one unless told.
const RegistryView defaultView = RegistryView::Bits64;

bool isFilterRegistered(const KnownFilter *entry, const char *clsid = nullptr, RegistryView view = defaultView);
bool readFriendlyName(KnownFilter *entry, RegistryView view = defaultView);
uint32_t readFilterMerit(const KnownFilter *entry, const char *clsid = nullptr, RegistryView view = defaultView);
std::wstring readServerPath(const KnownFilter *entry, const char *clsid = nullptr, RegistryView view = defaultView);
// What a table row shows of one filter, read with one open of its instance
// key and one of its class key rather than one open per value.
struct RegisteredFilter {
    bool registered = false; // its instance key opens
    bool hasName = false;    // readFriendlyName's result: the entry's name was read
    std::string nameUtf8;    // the FriendlyName through the wide functions; empty without one
    uint32_t merit = 0;      // readFilterMerit's
    std::wstring serverPath; // readServerPath's
};
RegisteredFilter readRegisteredFilter(KnownFilter *entry, RegistryView view = defaultView);

// Whether the view's filter category can be read: 0 when its Instance key
// opens or does not exist (a system with no such filters), else the
// registry's status (5 access denied, 1009 a damaged registry, ...).
int32_t filterCategoryStatus(RegistryView view = defaultView);
// The registry's answer to a write-open of the filter's instance key: 0,
// 5 where a write would be refused, 2 where the filter is not registered.
int32_t filterKeyWriteStatus(const KnownFilter *entry, const char *clsid = nullptr, RegistryView view = defaultView);

// The FriendlyName of an open instance key through the wide functions, in
// UTF-8; empty without one.
std::string readFriendlyNameUtf8(HKEY key);

int32_t writeFilterMerit(uint32_t merit, const KnownFilter *entry, const char *clsid = nullptr,
                         RegistryView view = defaultView);

// The building blocks of the operations above. readRegistryValue reads a
// value of the expected type only (REG_BINARY: its merit bytes 4..7; REG_SZ:
// its text); any other type gives E_NOTIMPL and leaves the destination alone.
int32_t readRegistryValue(const char *subKey, const char *valueName, DWORD expectedType, BYTE *destination,
                          DWORD *size, RegistryView view = defaultView);
int32_t patchRegistryBlob(const char *subKey, const char *valueName, const BYTE *source, DWORD sizeHint,
                          RegistryView view = defaultView);
int meritBytesToHex(const BYTE bytes[4], char text[9]);
int hexToMeritBytes(const char *text, BYTE bytes[4]);

// The whole value of an open key into `data`, when it has the expected
// type: 0, the registry's own status, E_NOTIMPL for another type, or 8 for a
// value larger than maxRegistryValueSize or memory that ran out.
int32_t queryRegistryValue(HKEY key, const char *valueName, DWORD expectedType, std::vector<BYTE> &data);

// The CLSID an operation works on, or null when no usable one is given.
const char *filterClsid(const KnownFilter *entry, const char *clsid);

#endif
