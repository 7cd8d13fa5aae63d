// The registry export format of the stand-in's store.
#include "regfile.h"
#include "textconv.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using standin::RegHive;
using standin::RegKey;
using standin::RegValue;

std::string utf16File(const std::string &utf8)
{
    const std::u16string units = standin::utf8ToUtf16(utf8);
    std::string bytes = "\xFF\xFE";
    for (char16_t u : units) {
        bytes += char(u & 0xFF);
        bytes += char(u >> 8);
    }
    return bytes;
}

std::vector<uint8_t> utf16z(const std::string &utf8)
{
    std::vector<uint8_t> out;
    for (char16_t u : standin::utf8ToUtf16(utf8)) {
        out.push_back(uint8_t(u));
        out.push_back(uint8_t(u >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

const RegKey *path(const RegHive &hive, std::initializer_list<const char *> names)
{
    auto it = hive.roots.find("hkey_classes_root");
    const RegKey *key = it == hive.roots.end() ? nullptr : it->second.get();
    for (const char *name : names)
        key = key ? key->child(name) : nullptr;
    return key;
}

TEST(RegFile, ReadsAVersion5ExportInUtf16)
{
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "; a comment\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{A}]\r\n"
        "@=\"Kestrane \\\"Quoted\\\" \\\\ Filter\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"FilterData\"=hex:02,00,00,00,\\\r\n"
        "  00,00,60,00\r\n"
        "\"Path\"=hex(2):25,00,41,00,00,00\r\n"
        "\"Gone\"=\"x\"\r\n"
        "\"Gone\"=-\r\n"
        "\"Umlaut\"=\"Gr\xC3\xBC\xC3\x9F\"\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{B}\\Deep]\r\n"
        "[-HKEY_CLASSES_ROOT\\CLSID\\{B}]\r\n";
    RegHive hive;
    std::string error;
    ASSERT_TRUE(standin::parseRegFile(utf16File(text), hive, &error)) << error;
    const RegKey *a = path(hive, {"clsid", "{a}"});
    ASSERT_NE(nullptr, a);
    EXPECT_EQ("{A}", a->name);
    ASSERT_EQ(5u, a->values.size());
    EXPECT_EQ("", a->values[0].name);
    EXPECT_EQ(utf16z("Kestrane \"Quoted\" \\ Filter"), a->values[0].data);
    EXPECT_EQ(4u, a->values[1].type);
    EXPECT_EQ((std::vector<uint8_t>{42, 0, 0, 0}), a->values[1].data);
    EXPECT_EQ(3u, a->values[2].type);
    EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 0, 0, 0x60, 0}), a->values[2].data);
    EXPECT_EQ(2u, a->values[3].type);
    EXPECT_EQ(utf16z("%A"), a->values[3].data);
    EXPECT_EQ(utf16z("Gr\xC3\xBC\xC3\x9F"), a->values[4].data);
    EXPECT_EQ(nullptr, path(hive, {"clsid", "{b}"}));
}

TEST(RegFile, ReadsAnEightBitRegedit4Export)
{
    const std::string text =
        "REGEDIT4\n\n"
        "[HKEY_CLASSES_ROOT\\Kestrane]\n"
        "\"Name\"=\"Gr\xFC\xDF\"\n"              // Latin-1, not UTF-8
        "\"Expand\"=hex(2):25,41,25,00\n";       // 8-bit string data
    RegHive hive;
    std::string error;
    ASSERT_TRUE(standin::parseRegFile(text, hive, &error)) << error;
    const RegKey *key = path(hive, {"kestrane"});
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(utf16z("Gr\xC3\xBC\xC3\x9F"), key->values[0].data);
    EXPECT_EQ(utf16z("%A%"), key->values[1].data);
}

TEST(RegFile, WhatItWritesReadsBackUnchanged)
{
    RegHive hive;
    RegKey *key = hive.root("HKEY_CLASSES_ROOT", true)->createChild("CLSID")->createChild("{Case Kept}");
    key->setValue("", 1, utf16z("Default"));
    key->setValue("Unterminated", 1, {0x41, 0, 0x42, 0});
    key->setValue("Lines", 1, utf16z("a\r\nb"));
    key->setValue("Embedded", 1, {0x41, 0, 0, 0, 0x42, 0, 0, 0});
    key->setValue("Odd", 1, {0x41, 0, 0x42});
    key->setValue("Quote\"Back\\slash", 1, utf16z("\"\\"));
    key->setValue("Multi", 7, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0});
    key->setValue("Empty", 3, {});
    key->setValue("Word", 4, {1, 2, 3, 4});
    key->setValue("ShortWord", 4, {1, 2});
    key->setValue("Big", 3, std::vector<uint8_t>(300, 0xAB));
    key->setValue("Odd type", 0x12345, {9});
    key->setValue("Emoji", 1, utf16z("\xF0\x9F\x8E\xAC"));
    key->setValue("Line\nFeed\rReturn", 1, utf16z("x"));
    hive.root("HKEY_LOCAL_MACHINE", true)->createChild("Software")->setValue("x", 1, utf16z("kept"));
    hive.root("HKEY_CLASSES_ROOT", false)->createChild("EmptyKey");
    hive.root("HKEY_CLASSES_ROOT", false)->createChild("Return\r] \xF0\x9F\x8E\xAC");
    ASSERT_TRUE(standin::fileCanHold(hive));

    const std::string bytes = standin::serializeRegFile(hive);
    RegHive again;
    std::string error;
    ASSERT_TRUE(standin::parseRegFile(bytes, again, &error)) << error;
    EXPECT_EQ(bytes, standin::serializeRegFile(again));
    const RegKey *back = path(again, {"CLSID", "{case kept}"});
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("{Case Kept}", back->name);
    ASSERT_EQ(key->values.size(), back->values.size());
    for (size_t i = 0; i < key->values.size(); ++i) {
        EXPECT_EQ(key->values[i].name, back->values[i].name);
        EXPECT_EQ(key->values[i].type, back->values[i].type) << key->values[i].name;
        EXPECT_EQ(key->values[i].data, back->values[i].data) << key->values[i].name;
    }
    EXPECT_NE(nullptr, path(again, {"EmptyKey"}));
    EXPECT_NE(nullptr, path(again, {"Return\r] \xF0\x9F\x8E\xAC"}));

    // A line feed in a key name has no written form.
    hive.root("HKEY_LOCAL_MACHINE", false)->createChild("Line\nFeed");
    EXPECT_FALSE(standin::fileCanHold(hive));
}

TEST(RegFile, InvalidUtf8BehindAUtf8MarkIsReadAsLatin1)
{
    // Found by the fuzz target: names with bytes that are not UTF-8 came out
    // of the writer differently from how they went in.
    const std::string text = "\xEF\xBB\xBFREGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n\"\xFF\xFFName\"=\"Gr\xFC\"\n";
    RegHive hive;
    std::string error;
    ASSERT_TRUE(standin::parseRegFile(text, hive, &error)) << error;
    const RegKey *key = path(hive, {"K"});
    ASSERT_NE(nullptr, key);
    EXPECT_EQ("\xC3\xBF\xC3\xBFName", key->values[0].name);
    EXPECT_EQ(utf16z("Gr\xC3\xBC"), key->values[0].data);
    const std::string written = standin::serializeRegFile(hive);
    RegHive again;
    ASSERT_TRUE(standin::parseRegFile(written, again, &error)) << error;
    EXPECT_EQ(written, standin::serializeRegFile(again));
}

TEST(RegFile, BrokenFilesAreRefusedWithALineNumber)
{
    const char *const broken[] = {
        "just text\n",
        "REGEDIT4\n\"orphan\"=\"value outside a key\"\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x\n",
        "REGEDIT4\n[HKEY_NOWHERE\\x]\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=hex:zz\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=dword:123456789\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=hex:01,\\\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=\"unterminated\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=\"bad \\q escape\"\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\x]\n\"v\"=hex(zz):00\n",
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\\\x]\n",
    };
    for (const char *text : broken) {
        RegHive hive;
        std::string error;
        EXPECT_FALSE(standin::parseRegFile(text, hive, &error)) << text;
        EXPECT_EQ(0u, error.find("line ")) << error;
    }
    RegHive hive;
    EXPECT_TRUE(standin::parseRegFile("", hive, nullptr));
    EXPECT_TRUE(standin::parseRegFile("\n\r\n", hive, nullptr));
}

} // namespace
