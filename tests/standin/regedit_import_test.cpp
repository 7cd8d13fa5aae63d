// The stand-in's registry file is a real registry export: Windows' regedit
// imports what the store writes, and the real API reads the same values back.
#include "regfile.h"
#include "testsupport.h"
#include "win32api.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> utf16z(const std::u16string &text)
{
    std::vector<uint8_t> out;
    for (char16_t u : text)
        out.insert(out.end(), {uint8_t(u), uint8_t(u >> 8)});
    out.insert(out.end(), {0, 0});
    return out;
}

TEST(RegeditImport, ValuesWrittenByTheStoreReadBackThroughTheApi)
{
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "KestraneContractTest");
    standin::RegHive hive;
    standin::RegKey *key = hive.root("HKEY_CLASSES_ROOT", true)->createChild("KestraneContractTest")->createChild("{Case Kept}");
    std::vector<uint8_t> blob(240);
    for (size_t i = 0; i < blob.size(); ++i)
        blob[i] = uint8_t(i * 13);
    key->setValue("", 1, utf16z(u"Kestrane \"Quoted\" \\ Filter"));
    key->setValue("FilterData", 3, blob);
    key->setValue("Count", 4, {0x2A, 0, 0, 0});
    key->setValue("Path", 2, utf16z(u"%SystemRoot%\\x.ax"));
    key->setValue("Umlaut", 1, utf16z(u"Gr\u00FC\u00DF \u20AC"));
    key->setValue("Line\nFeed\rReturn", 1, utf16z(u"\U0001F3AC"));

    const std::string folder = testsupport::makeTempFolder();
    const std::string file = folder + "store.reg";
    std::ofstream(file, std::ios::binary) << standin::serializeRegFile(hive);

    std::string commandLine = "regedit.exe /s \"" + file + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, "KestraneContractTest\\{case kept}", 0, KEY_READ, &opened));
    for (const standin::RegValue &value : key->values) {
        std::vector<BYTE> data(1024);
        DWORD size = DWORD(data.size()), type = 0;
        const std::wstring name(value.name.begin(), value.name.end());
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(opened, name.c_str(), nullptr, &type, data.data(), &size)) << value.name;
        data.resize(size);
        EXPECT_EQ(value.type, type) << value.name;
        EXPECT_EQ(value.data, std::vector<uint8_t>(data.begin(), data.end())) << value.name;
    }
    RegCloseKey(opened);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "KestraneContractTest");
    testsupport::removeTree(folder);
}

} // namespace
