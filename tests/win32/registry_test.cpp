#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "windows/services/win32_registry.h"
#include "settings/settings_store.h"
#include "settings/settings_transfer.h"

namespace veltrane::platform::win32 {
namespace {

// Every test works in a key of its own below HKEY_CURRENT_USER and removes it afterwards.
class RegistryFixture : public ::testing::Test {
protected:
    const std::u16string keyPath = u"\\Software\\Veltrane-test-" + utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    Win32Registry registry;

    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(keyPath.c_str() + 1)); }

    HKEY rawKey() {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<LPCWSTR>(keyPath.c_str() + 1), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
};

TEST_F(RegistryFixture, AnyTextRoundTripsThroughTheSettingsStore) {
    const std::u16string texts[] = {
        u"",
        u"True",
        u"C:\\Program Files (x86)\\Dexis\\dexis.exe",
        u"  blanks kept at both ends  ",
        u"quotes \" and ' and = and [brackets] and ; semicolons",
        u"line\r\nbreaks\tand tabs",
        u"Łódź Ærø Ünïcödé 日本語 Ελληνικά",
        u"\U0001F9B7 a tooth outside the basic plane",
        std::u16string(1, static_cast<char16_t>(0xD800)) + u" a lone surrogate",
        std::u16string(20000, u'x'),
    };
    settings::SettingsStore store(registry, keyPath);
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(utf16ToUtf8(text.substr(0, 60)));
        store.writeSetting(u"value", text);
        EXPECT_EQ(store.readSetting(u"value"), text);
        // Stored as the platform stores text: REG_SZ with its terminating zero.
        const auto raw = registry.openKey(keyPath, false)->queryValue(u"value");
        ASSERT_TRUE(raw.has_value());
        EXPECT_EQ(raw->type, RegType::Sz);
        EXPECT_EQ(raw->data.size(), (text.size() + 1) * 2);
    }
}

TEST_F(RegistryFixture, ValueAndKeyNamesIgnoreLetterCaseAndLeadingDelimiters) {
    ASSERT_TRUE(registry.openKey(keyPath, true)->setStringValue(u"Server_IP", u"10.0.0.7"));
    settings::SettingsStore store(registry, keyPath.substr(1));  // without the leading "\"
    EXPECT_EQ(store.readSetting(u"SERVER_ip"), u"10.0.0.7");
}

TEST_F(RegistryFixture, MissingKeysAndValues) {
    EXPECT_EQ(registry.openKey(keyPath, false), nullptr);
    auto created = registry.openKey(keyPath, true);
    ASSERT_NE(created, nullptr);
    EXPECT_FALSE(created->queryValue(u"absent").has_value());
    EXPECT_NE(registry.openKey(keyPath, false), nullptr);
    EXPECT_EQ(registry.openKey(keyPath + u"\\Sub\\Deeper", false), nullptr);
    EXPECT_NE(registry.openKey(keyPath + u"\\Sub\\Deeper", true), nullptr);  // parents are created too
}

// A zero in a name would address another value or key after the platform cuts the name.
TEST_F(RegistryFixture, NamesHoldingAZeroAddressNothing) {
    auto key = registry.openKey(keyPath, true);
    ASSERT_TRUE(key->setStringValue(u"a", u"first"));
    const std::u16string withZero(u"a\0b", 3);
    EXPECT_FALSE(key->setStringValue(withZero, u"second"));
    EXPECT_FALSE(key->queryValue(withZero).has_value());
    EXPECT_EQ(settings::valueText(key->queryValue(u"a"), u"a"), u"first");
    EXPECT_EQ(registry.openKey(keyPath + std::u16string(u"\0x", 2), true), nullptr);
}

// Values other programs (or an imported .reg file) wrote keep their type; the store reports what it cannot read.
TEST_F(RegistryFixture, TypedValuesKeepTheirTypeAndBytes) {
    HKEY raw = rawKey();
    const DWORD number = 0x01020304;
    RegSetValueExW(raw, L"dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    const BYTE bytes[] = {0, 1, 0xFE, 0xFF};
    RegSetValueExW(raw, L"binary", 0, REG_BINARY, bytes, sizeof bytes);
    const wchar_t expand[] = L"%SystemRoot%\\x";
    RegSetValueExW(raw, L"expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand), sizeof expand);
    RegSetValueExW(raw, L"empty", 0, REG_SZ, nullptr, 0);
    RegCloseKey(raw);

    auto key = registry.openKey(keyPath, false);
    ASSERT_NE(key, nullptr);
    const auto dword = key->queryValue(u"dword");
    ASSERT_TRUE(dword.has_value());
    EXPECT_EQ(dword->type, RegType::Dword);
    EXPECT_EQ(dword->data, (std::vector<std::uint8_t>{4, 3, 2, 1}));
    const auto binary = key->queryValue(u"binary");
    ASSERT_TRUE(binary.has_value());
    EXPECT_EQ(binary->type, RegType::Binary);
    EXPECT_EQ(binary->data, (std::vector<std::uint8_t>{0, 1, 0xFE, 0xFF}));
    const auto empty = key->queryValue(u"empty");
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->data.empty());

    settings::SettingsStore store(registry, keyPath);
    EXPECT_EQ(store.readSetting(u"expand"), u"%SystemRoot%\\x");  // read as stored, not expanded
    EXPECT_EQ(store.readSetting(u"empty"), u"");
    try {
        store.readSetting(u"dword");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'dword'");
    }
}

// A text written with a zero inside keeps all its bytes; readers see it up to the zero, as on Windows.
TEST_F(RegistryFixture, TextWithAZeroInsideIsStoredWholeAndReadUpToIt) {
    auto key = registry.openKey(keyPath, true);
    ASSERT_TRUE(key->setStringValue(u"v", std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(key->queryValue(u"v")->data.size(), 12u);
    EXPECT_EQ(settings::valueText(key->queryValue(u"v"), u"v"), u"ab");
}

// Every value is listed, however long its name, and typed values are written exactly; one that cannot be
// written leaves the key as it was.
TEST_F(RegistryFixture, ValuesAreListedAndTypedValuesWrittenTogether) {
    HKEY raw = rawKey();
    const DWORD number = 7;
    RegSetValueExW(raw, L"dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(raw);
    const std::u16string longName(300, u'n');
    auto key = registry.openKey(keyPath, false);
    ASSERT_NE(key, nullptr);
    key->setValues({{u"binary", {RegType::Binary, {0, 1, 0xFF}}},
                    {longName, {RegType::Sz, platform::stringValueData(u"Büro")}},
                    {u"", {RegType::Sz, platform::stringValueData(u"default")}}});
    auto names = key->valueNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"", u"binary", u"dword", longName}));
    EXPECT_EQ(key->queryValue(u"binary")->type, RegType::Binary);
    EXPECT_EQ(key->queryValue(u"binary")->data, (std::vector<std::uint8_t>{0, 1, 0xFF}));
    EXPECT_EQ(settings::valueText(key->queryValue(longName), u"long"), u"Büro");

    const std::u16string withZero(u"a\0b", 3);
    EXPECT_THROW(key->setValues({{u"dword", {RegType::Sz, platform::stringValueData(u"x")}},
                                 {withZero, {RegType::Sz, platform::stringValueData(u"y")}}}),
                 Error);
    EXPECT_EQ(key->queryValue(u"dword")->type, RegType::Dword) << "nothing of a refused call is written";

    // A write the registry itself refuses (a name beyond its limit of 16383 units) comes after one it took:
    // that one is put back.
    EXPECT_THROW(key->setValues({{u"dword", {RegType::Sz, platform::stringValueData(u"x")}},
                                 {u"fresh", {RegType::Sz, platform::stringValueData(u"y")}},
                                 {std::u16string(20000, u'z'), {RegType::Sz, platform::stringValueData(u"z")}}}),
                 Error);
    EXPECT_EQ(key->queryValue(u"dword")->type, RegType::Dword);
    EXPECT_FALSE(key->queryValue(u"fresh").has_value());

    // A key opened to read lists its values and refuses every write, saying why.
    auto reader = registry.openKeyToRead(keyPath);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->valueNames().size(), 4u);
    EXPECT_THROW(reader->setValues({{u"dword", {RegType::Sz, platform::stringValueData(u"x")}}}), Error);
    EXPECT_EQ(key->queryValue(u"dword")->type, RegType::Dword);
    EXPECT_EQ(registry.openKeyToRead(keyPath + u"\\Missing"), nullptr);
}

// Settings move through regedit's UTF-16 files and the program's UTF-8 ones alike.
TEST(Win32Registry, SettingsExportAndImportInBothEncodings) {
    Win32Registry registry;
    const std::u16string name = u"win32-transfer-" + utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    const std::string nameUtf8 = utf16ToUtf8(name);
    const std::string file =
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"" + nameUtf8 +
        "\"=\"Łódź\"\r\n\"" + nameUtf8 + "-n\"=dword:0000002a\r\n";
    std::ostringstream notes;
    const auto summary = settings::importSettingsText(registry, settings::utf16LeWithBom(file), "Import file in.reg",
                                                      "in.reg", "The registry", notes);
    const std::string utf8 = settings::exportSettingsText(registry);
    const std::string utf16 = settings::exportSettingsText(registry, settings::RegFileEncoding::Utf16LeBom);
    const std::string stored = utf16ToUtf8(settings::SettingsStore(registry).readSetting(name));
    auto key = registry.openKey(u"\\Software\\Veltrane", false);
    const auto number = key->queryValue(name + u"-n");
    for (const auto& value : {name, name + u"-n"})
        RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Veltrane", reinterpret_cast<LPCWSTR>(value.c_str()));

    EXPECT_EQ(summary.valuesImported, 2u);
    EXPECT_EQ(stored, "Łódź");
    ASSERT_TRUE(number.has_value());
    EXPECT_EQ(number->type, RegType::Dword);
    EXPECT_EQ(number->data, (std::vector<std::uint8_t>{42, 0, 0, 0}));
    EXPECT_NE(utf8.find("\"" + nameUtf8 + "\"=\"Łódź\"\r\n"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find("\"" + nameUtf8 + "-n\"=dword:0000002a\r\n"), std::string::npos) << utf8;
    EXPECT_EQ(utf16, settings::utf16LeWithBom(utf8));
}

// The program's settings land where every Windows tool (regedit, a .reg export) finds them.
TEST(Win32Registry, SettingsLiveUnderTheProgramsKeyOfTheCurrentUser) {
    Win32Registry registry;
    settings::SettingsStore store(registry);
    const std::u16string name = u"win32-test-" + utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    store.writeSetting(name, u"Büro");
    wchar_t buffer[32] = {};
    DWORD size = sizeof buffer;
    const LONG result = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Veltrane", reinterpret_cast<LPCWSTR>(name.c_str()),
                                     RRF_RT_REG_SZ, nullptr, buffer, &size);
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Veltrane", 0, KEY_SET_VALUE, &key);
    RegDeleteValueW(key, reinterpret_cast<LPCWSTR>(name.c_str()));
    RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(buffer), L"Büro");
}

}  // namespace
}  // namespace veltrane::platform::win32
