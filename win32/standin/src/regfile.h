// In-memory registry tree and its registry export file format.
//
// The format is the one Windows' and Wine's regedit write and import:
// a "Windows Registry Editor Version 5.00" (UTF-16LE with byte-order mark)
// or "REGEDIT4" (8-bit) header, then [key] sections with "name"=data lines.
// Values are held as Windows holds them: raw bytes, strings as UTF-16LE.
#ifndef STANDIN_REGFILE_H
#define STANDIN_REGFILE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace standin {

struct RegValue {
    std::string name;            // UTF-8, case kept; empty for the default value
    uint32_t type = 0;
    std::vector<uint8_t> data;   // string types hold UTF-16LE code units
};

// Orders names as the registry compares them: ASCII letters without case.
struct NameLess {
    bool operator()(const std::string &a, const std::string &b) const;
};

struct RegKey {
    std::string name;            // UTF-8, case kept
    std::map<std::string, std::unique_ptr<RegKey>, NameLess> children;
    std::vector<RegValue> values;

    RegKey *child(const std::string &name) const;
    RegKey *createChild(const std::string &name);
    RegValue *value(const std::string &name);
    void setValue(const std::string &name, uint32_t type, std::vector<uint8_t> data);
    bool deleteValue(const std::string &name);
};

// Root keys ("HKEY_CLASSES_ROOT", ...) by folded name. HKEY_CLASSES_ROOT and
// HKEY_LOCAL_MACHINE are reachable through the API; other roots found in a
// file are kept and written back, so that loading and saving a real export
// loses nothing.
struct RegHive {
    std::map<std::string, std::unique_ptr<RegKey>, NameLess> roots;
    RegKey *root(const std::string &name, bool create);
};

// Key and value names compare case-insensitively (ASCII letters fold).
bool sameName(const std::string &a, const std::string &b);

// Parses a whole export file. On failure returns false with a reason and a
// 1-based line number in `error`; `hive` is then unspecified.
bool parseRegFile(const std::string &bytes, RegHive &hive, std::string *error);

// Writes the hive as a version 5.00 export: UTF-16LE, byte-order mark, CRLF.
std::string serializeRegFile(const RegHive &hive);

// True when the written form of the hive reads back: the format has no way
// to write a line feed in a key name (value names take it as an escape).
bool fileCanHold(const RegHive &hive);

} // namespace standin

#endif
