#include "regfile.h"

#include "textconv.h"
#include "win32api.h"

#include <algorithm>

namespace standin {

namespace {

const char kHeader5[] = "Windows Registry Editor Version 5.00";
const char kHeader4[] = "REGEDIT4";

bool isStringType(uint32_t type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Turns the file's bytes into UTF-8 text. 8-bit files that are not valid
// UTF-8 are taken as Latin-1, the stand-in's "ANSI" code page.
std::string decodeFile(const std::string &bytes)
{
    if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
        return utf16ToUtf8(utf16FromBytes(reinterpret_cast<const uint8_t *>(bytes.data()) + 2, bytes.size() - 2));
    // A UTF-8 byte-order mark does not make the rest valid UTF-8: the tree
    // holds valid UTF-8 only, so that what is written reads back the same.
    const bool utf8Mark = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string text = utf8Mark ? bytes.substr(3) : bytes;
    if (isValidUtf8(text))
        return text;
    std::string out;
    for (unsigned char c : text)
        appendUtf8(out, c);
    return out;
}

std::string trim(const std::string &s)
{
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return s.substr(b, e - b);
}

std::vector<std::string> splitPath(const std::string &path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string canonicalRoot(const std::string &name)
{
    const std::string folded = foldAscii(name);
    if (folded == "hkcr") return "HKEY_CLASSES_ROOT";
    if (folded == "hkcu") return "HKEY_CURRENT_USER";
    if (folded == "hklm") return "HKEY_LOCAL_MACHINE";
    if (folded == "hku") return "HKEY_USERS";
    if (folded == "hkcc") return "HKEY_CURRENT_CONFIG";
    return name;
}

bool knownRoot(const std::string &name)
{
    static const char *const roots[] = {"hkey_classes_root", "hkey_current_user", "hkey_local_machine",
                                        "hkey_users", "hkey_current_config", "hkey_dyn_data"};
    const std::string folded = foldAscii(name);
    return std::find(std::begin(roots), std::end(roots), folded) != std::end(roots);
}

// Reads a quoted string starting at s[pos] == '"'. Escapes: \\ \" \n \r \0.
bool readQuoted(const std::string &s, size_t &pos, std::string &out)
{
    ++pos;
    out.clear();
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '"')
            return true;
        if (c == '\\') {
            if (pos >= s.size())
                return false;
            char e = s[pos++];
            switch (e) {
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            default: return false;
            }
        } else {
            out += c;
        }
    }
    return false;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHexBytes(const std::string &text, std::vector<uint8_t> &out)
{
    out.clear();
    size_t i = 0;
    auto skipSpace = [&] { while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i; };
    skipSpace();
    if (i == text.size())
        return true;
    for (;;) {
        skipSpace();
        int hi = i < text.size() ? hexDigit(text[i]) : -1;
        if (hi < 0)
            return false;
        ++i;
        int lo = i < text.size() ? hexDigit(text[i]) : -1;
        uint8_t byte;
        if (lo >= 0) {
            byte = uint8_t(hi * 16 + lo);
            ++i;
        } else {
            byte = uint8_t(hi);
        }
        out.push_back(byte);
        skipSpace();
        if (i == text.size())
            return true;
        if (text[i] != ',')
            return false;
        ++i;
        skipSpace();
        if (i == text.size())
            return true; // a trailing comma is tolerated
    }
}

// A REG_SZ's data: the text as UTF-16LE with its terminator.
std::vector<uint8_t> stringData(const std::string &text)
{
    std::u16string units = utf8ToUtf16(text);
    units += char16_t(0);
    return utf16Bytes(units);
}

struct Parser {
    RegHive &hive;
    std::string *error;
    bool regedit4 = false;
    RegKey *current = nullptr;
    bool skipping = false; // inside a [-deleted] section or a section of an unknown root
    size_t lineNo = 0;

    bool fail(const std::string &why)
    {
        if (error)
            *error = "line " + std::to_string(lineNo) + ": " + why;
        return false;
    }

    bool keyLine(const std::string &line)
    {
        if (line.back() != ']')
            return fail("unterminated key name");
        std::string path = line.substr(1, line.size() - 2);
        bool remove = false;
        if (!path.empty() && path[0] == '-') {
            remove = true;
            path.erase(0, 1);
        }
        std::vector<std::string> parts = splitPath(path);
        while (parts.size() > 1 && parts.back().empty())
            parts.pop_back();
        if (parts.empty() || parts[0].empty())
            return fail("empty key name");
        parts[0] = canonicalRoot(parts[0]);
        if (!knownRoot(parts[0]))
            return fail("unknown root key " + parts[0]);
        for (size_t k = 1; k < parts.size(); ++k)
            if (parts[k].empty())
                return fail("empty key name component");
        current = nullptr;
        skipping = remove;
        if (remove) {
            RegKey *parent = hive.root(parts[0], false);
            if (parts.size() == 1) {
                hive.roots.erase(parts[0]);
                return true;
            }
            for (size_t k = 1; parent && k + 1 < parts.size(); ++k)
                parent = parent->child(parts[k]);
            if (parent)
                parent->children.erase(parts.back());
            return true;
        }
        RegKey *key = hive.root(parts[0], true);
        for (size_t k = 1; k < parts.size(); ++k)
            key = key->createChild(parts[k]);
        current = key;
        return true;
    }

    bool valueLine(const std::string &line, const std::vector<std::string> &lines, size_t &index)
    {
        size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else if (!readQuoted(line, pos, name)) {
            return fail("bad value name");
        }
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return fail("expected '=' after the value name");
        ++pos;
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            ++pos;
        std::string rest = line.substr(pos);
        if (skipping)
            return skipContinuations(rest, lines, index);
        if (!current)
            return fail("value outside of a key");
        if (rest == "-") {
            current->deleteValue(name);
            return true;
        }
        if (!rest.empty() && rest[0] == '"') {
            size_t p = 0;
            std::string text;
            if (!readQuoted(rest, p, text))
                return fail("bad string data");
            if (!trim(rest.substr(p)).empty())
                return fail("text after string data");
            current->setValue(name, REG_SZ, stringData(text));
            return true;
        }
        const std::string folded = foldAscii(rest);
        if (folded.compare(0, 6, "dword:") == 0) {
            const std::string digits = trim(rest.substr(6));
            if (digits.empty() || digits.size() > 8)
                return fail("bad dword data");
            uint32_t v = 0;
            for (char c : digits) {
                int d = hexDigit(c);
                if (d < 0)
                    return fail("bad dword data");
                v = v * 16 + uint32_t(d);
            }
            current->setValue(name, REG_DWORD, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
            return true;
        }
        uint32_t type = REG_BINARY;
        size_t colon;
        if (folded.compare(0, 4, "hex:") == 0) {
            colon = 3;
        } else if (folded.compare(0, 4, "hex(") == 0) {
            size_t close = folded.find(')');
            if (close == std::string::npos || close == 4 || close > 12 || close + 1 >= folded.size()
                || folded[close + 1] != ':')
                return fail("bad hex type");
            uint64_t t = 0;
            for (size_t k = 4; k < close; ++k) {
                int d = hexDigit(folded[k]);
                if (d < 0)
                    return fail("bad hex type");
                t = t * 16 + uint64_t(d);
            }
            if (t > 0xFFFFFFFFu)
                return fail("bad hex type");
            type = uint32_t(t);
            colon = close + 1;
        } else {
            return fail("unknown value data");
        }
        std::string hex = rest.substr(colon + 1);
        while (!hex.empty() && trim(hex).size() && trim(hex).back() == '\\') {
            hex = trim(hex);
            hex.pop_back();
            if (index + 1 >= lines.size())
                return fail("continuation at end of file");
            ++index;
            ++lineNo;
            hex += trim(lines[index]);
        }
        std::vector<uint8_t> data;
        if (!parseHexBytes(hex, data))
            return fail("bad hex data");
        if (regedit4 && isStringType(type)) {
            // REGEDIT4 holds string types in the 8-bit code page.
            std::u16string units;
            for (uint8_t b : data)
                units += char16_t(b);
            data = utf16Bytes(units);
        }
        current->setValue(name, type, std::move(data));
        return true;
    }

    bool skipContinuations(std::string rest, const std::vector<std::string> &lines, size_t &index)
    {
        while (!trim(rest).empty() && trim(rest).back() == '\\' && index + 1 < lines.size()) {
            ++index;
            ++lineNo;
            rest = lines[index];
        }
        return true;
    }
};

// Quoted text as the reader (and regedit) takes it back: a line feed or a
// carriage return, which a value name may hold, is written as an escape so
// that it cannot end the line.
std::string escapeQuoted(const std::string &s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            if (c == '\\' || c == '"')
                out += '\\';
            out += c;
        }
    }
    out += '"';
    return out;
}

// A REG_SZ is written as "text" only when that form reads back byte for byte:
// exactly one terminator at the end and no characters that the quoted form
// cannot carry. Anything else is written as hex(1).
bool quotedForm(const RegValue &v, std::string &text)
{
    if (v.type != REG_SZ || v.data.size() < 2 || v.data.size() % 2 != 0)
        return false;
    std::u16string units = utf16FromBytes(v.data.data(), v.data.size());
    if (units.back() != 0)
        return false;
    units.pop_back();
    for (size_t i = 0; i < units.size();) {
        const uint32_t c = nextUtf16(units.data(), units.size(), i);
        if (c < 0x20 || isSurrogate(c))
            return false;
    }
    text = utf16ToUtf8(units);
    return true;
}

void writeHex(std::string &out, size_t lineStart, const std::vector<uint8_t> &data)
{
    static const char digits[] = "0123456789abcdef";
    size_t column = out.size() - lineStart;
    for (size_t i = 0; i < data.size(); ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
        column += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++column;
            if (column > 76) {
                out += "\\\r\n  ";
                column = 2;
            }
        }
    }
}

void writeKey(std::string &out, const RegKey &key, const std::string &path, bool isRoot)
{
    if (!isRoot || !key.values.empty() || key.children.empty()) {
        out += "[" + path + "]\r\n";
        for (const RegValue &v : key.values) {
            const size_t lineStart = out.size();
            out += v.name.empty() ? std::string("@") : escapeQuoted(v.name);
            out += '=';
            std::string text;
            if (quotedForm(v, text)) {
                out += escapeQuoted(text);
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                char buf[16];
                const uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) | (uint32_t(v.data[3]) << 24);
                snprintf(buf, sizeof buf, "dword:%08x", d);
                out += buf;
            } else {
                if (v.type == REG_BINARY) {
                    out += "hex:";
                } else {
                    char buf[24];
                    snprintf(buf, sizeof buf, "hex(%x):", v.type);
                    out += buf;
                }
                writeHex(out, lineStart, v.data);
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    for (const auto &child : key.children)
        writeKey(out, *child.second, path + "\\" + child.second->name, false);
}

} // namespace

bool sameName(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && !NameLess()(a, b) && !NameLess()(b, a);
}

bool NameLess::operator()(const std::string &a, const std::string &b) const
{
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = foldAscii(a[i]), y = foldAscii(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

RegKey *RegKey::child(const std::string &childName) const
{
    auto it = children.find(childName);
    return it == children.end() ? nullptr : it->second.get();
}

RegKey *RegKey::createChild(const std::string &childName)
{
    std::unique_ptr<RegKey> &slot = children[childName];
    if (!slot) {
        slot.reset(new RegKey);
        slot->name = childName;
    }
    return slot.get();
}

RegValue *RegKey::value(const std::string &valueName)
{
    for (RegValue &v : values)
        if (sameName(v.name, valueName))
            return &v;
    return nullptr;
}

void RegKey::setValue(const std::string &valueName, uint32_t type, std::vector<uint8_t> data)
{
    if (RegValue *v = value(valueName)) {
        v->type = type;
        v->data = std::move(data);
        return;
    }
    values.push_back(RegValue{valueName, type, std::move(data)});
}

bool RegKey::deleteValue(const std::string &valueName)
{
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (sameName(it->name, valueName)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

RegKey *RegHive::root(const std::string &name, bool create)
{
    auto it = roots.find(name);
    if (it != roots.end())
        return it->second.get();
    if (!create)
        return nullptr;
    std::unique_ptr<RegKey> &slot = roots[name];
    slot.reset(new RegKey);
    slot->name = name;
    return slot.get();
}

bool parseRegFile(const std::string &bytes, RegHive &hive, std::string *error)
{
    hive.roots.clear();
    const std::string text = decodeFile(bytes);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    Parser parser{hive, error};
    size_t index = 0;
    // Leading blank lines are allowed; an all-blank file is an empty registry.
    while (index < lines.size() && trim(lines[index]).empty())
        ++index;
    if (index == lines.size())
        return true;
    parser.lineNo = index + 1;
    const std::string header = trim(lines[index]);
    if (header == kHeader4) {
        parser.regedit4 = true;
    } else if (header != kHeader5) {
        return parser.fail("not a registry export file");
    }
    for (++index; index < lines.size(); ++index) {
        parser.lineNo = index + 1;
        const std::string line = trim(lines[index]);
        if (line.empty() || line[0] == ';')
            continue;
        bool ok;
        if (line[0] == '[')
            ok = parser.keyLine(line);
        else if (line[0] == '@' || line[0] == '"')
            ok = parser.valueLine(line, lines, index);
        else
            ok = parser.fail("unexpected text");
        if (!ok)
            return false;
    }
    return true;
}

namespace {

bool namesCanBeWritten(const RegKey &key)
{
    if (key.name.find('\n') != std::string::npos)
        return false;
    for (const auto &child : key.children)
        if (!namesCanBeWritten(*child.second))
            return false;
    return true;
}

} // namespace

bool fileCanHold(const RegHive &hive)
{
    for (const auto &root : hive.roots)
        if (!namesCanBeWritten(*root.second))
            return false;
    return true;
}

std::string serializeRegFile(const RegHive &hive)
{
    std::string text = std::string(kHeader5) + "\r\n\r\n";
    for (const auto &root : hive.roots)
        writeKey(text, *root.second, root.second->name, true);
    // ASCII, nearly all of the text, goes straight to UTF-16LE.
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes += "\xFF\xFE";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            bytes += char(c);
            bytes += '\0';
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80)
            ++end;
        for (uint8_t byte : utf16Bytes(utf8ToUtf16(text.substr(i, end - i))))
            bytes += char(byte);
        i = end;
    }
    return bytes;
}

} // namespace standin
