#include "platform/common/reg_format.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "support/utf16le_bytes.h"

namespace veltrane::platform {
namespace {

using platform::RegType;
using platform::RegValue;
using Bytes = std::vector<std::uint8_t>;
using testing::utf16le;

const std::u16string kKey = u"HKEY_CURRENT_USER\\Software\\Veltrane";

std::string regText(const std::string& body) { return "Windows Registry Editor Version 5.00\r\n\r\n" + body; }

RegDocument parse(std::string_view text) { return parseRegText(text, "Settings file test.reg"); }

const RegValue& valueOf(const RegDocument& doc, std::u16string_view key, std::u16string_view name) {
    const auto* block = doc.findKey(key);
    if (!block) throw std::runtime_error("key missing: " + utf16ToUtf8(key));
    const auto* entry = block->find(name);
    if (!entry) throw std::runtime_error("value missing: " + utf16ToUtf8(name));
    return entry->value;
}

TEST(RegFormat, ReadsEveryValueForm) {
    struct Case {
        std::string line;
        std::u16string name;
        RegType type;
        Bytes data;
    };
    const Case cases[] = {
        {R"("server_ip"="10.0.0.5")", u"server_ip", RegType::Sz, stringValueData(u"10.0.0.5")},
        {R"("empty"="")", u"empty", RegType::Sz, {0, 0}},
        {R"(@="default")", u"", RegType::Sz, stringValueData(u"default")},
        {R"("path"="C:\\Program Files\\\"x\"")", u"path", RegType::Sz, stringValueData(u"C:\\Program Files\\\"x\"")},
        {R"("q\"\\name"="v")", u"q\"\\name", RegType::Sz, stringValueData(u"v")},
        {R"("n"="Zoë ✓ 😀")", u"n", RegType::Sz, stringValueData(u"Zoë ✓ 😀")},
        {R"("count"=dword:0000002a)", u"count", RegType::Dword, {0x2a, 0, 0, 0}},
        {R"("big"=DWORD:FFFFFFFE)", u"big", RegType::Dword, {0xfe, 0xff, 0xff, 0xff}},
        {R"("short"=dword:7)", u"short", RegType::Dword, {7, 0, 0, 0}},
        {R"("bin"=hex:00,ff,10)", u"bin", RegType::Binary, {0x00, 0xff, 0x10}},
        {R"("nobytes"=hex:)", u"nobytes", RegType::Binary, {}},
        {R"("exp"=hex(2):25,00,41,00,25,00,00,00)", u"exp", RegType::ExpandSz, {0x25, 0, 0x41, 0, 0x25, 0, 0, 0}},
        {R"("multi"=hex(7):61,00,00,00,62,00,00,00,00,00)",
         u"multi",
         RegType::MultiSz,
         {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
        {R"("q"=hex(b):01,00,00,00,00,00,00,80)", u"q", RegType::Qword, {1, 0, 0, 0, 0, 0, 0, 0x80}},
        {R"("crlf"=hex(1):61,00,0d,00,0a,00,00,00)", u"crlf", RegType::Sz, {0x61, 0, 0x0d, 0, 0x0a, 0, 0, 0}},
        {R"("odd"=hex(12345678):ab)", u"odd", static_cast<RegType>(0x12345678), {0xab}},
        {R"(  "spaced" = "x"  )", u"spaced", RegType::Sz, stringValueData(u"x")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const auto doc = parse(regText("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n" + c.line + "\r\n"));
        const auto& v = valueOf(doc, kKey, c.name);
        EXPECT_EQ(v.type, c.type);
        EXPECT_EQ(v.data, c.data);
    }
}

TEST(RegFormat, EveryTypeSurvivesWriteAndRead) {
    RegDocument doc;
    const std::pair<std::u16string, RegValue> values[] = {
        {u"", {RegType::Sz, stringValueData(u"default value")}},
        {u"@", {RegType::Sz, stringValueData(u"a value named @")}},
        {u"sz", {RegType::Sz, stringValueData(u"plain")}},
        {u"expand", {RegType::ExpandSz, stringValueData(u"%HOME%\\x")}},
        {u"dword", {RegType::Dword, {1, 2, 3, 4}}},
        {u"dword short", {RegType::Dword, {1, 2}}},
        {u"qword", {RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}}},
        {u"multi", {RegType::MultiSz, {0x61, 0, 0, 0, 0, 0}}},
        {u"binary", {RegType::Binary, {0xde, 0xad, 0xbe, 0xef}}},
        {u"none", {RegType::None, {1}}},
        {u"sz no terminator", {RegType::Sz, {0x61, 0}}},
        {u"sz odd length", {RegType::Sz, {0x61, 0, 0}}},
        {u"sz empty data", {RegType::Sz, {}}},
        {u"strange type", {static_cast<RegType>(0xfffffff0), {9}}},
        {u"long", {RegType::Binary, Bytes(1000, 0x5a)}},
        {u"quote\" and \\ in name", {RegType::Sz, stringValueData(u"\"\\\"\\\\")}},
    };
    for (const auto& [name, value] : values) doc.setValue(kKey, name, value);
    doc.setValue(u"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup", u"header",
                 {RegType::Sz, stringValueData(u"&w&bPage &p of &P")});

    const std::string text = serializeRegText(doc);
    const auto back = parse(text);
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(utf16ToUtf8(name));
        const auto& v = valueOf(back, kKey, name);
        EXPECT_EQ(v.type, value.type);
        EXPECT_EQ(v.data, value.data);
    }
    EXPECT_EQ(serializeRegText(back), text);
    EXPECT_NE(text.find("\r\n@=\"default value\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"@\"=\"a value named @\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"dword\"=dword:04030201\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"dword short\"=hex(4):01,02\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"qword\"=hex(b):01,02,03,04,05,06,07,08\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"quote\\\" and \\\\ in name\"=\"\\\"\\\\\\\"\\\\\\\\\"\r\n"), std::string::npos);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[", 0), 0u);
    // Wrapped lines stay within regedit's 80 columns.
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        if (text.compare(start, 7, "\"long\"=") == 0 || text.compare(start, 2, "  ") == 0) {
            EXPECT_LE(end - start, 80u);
        }
    }
}

TEST(RegFormat, AnyTextReadsBackExactly) {
    struct Case {
        const char* what;
        std::u16string text;
        bool quoted;  // written as "text" rather than hex(1)
    };
    const Case cases[] = {
        {"plain", u"Normal", true},
        {"empty", u"", true},
        {"quotes and backslashes", u"\\\\server\\share\\\"quoted\"\\", true},
        {"non-BMP", u"tooth \U0001F9B7 done", true},
        {"CR LF", u"line one\r\nline two", false},
        {"LF only", u"a\nb", false},
        {"trailing CR", u"a\r", false},
        {"tab", u"a\tb", false},
        {"NUL inside", std::u16string(u"a\0b", 3), false},
        {"lone high surrogate", std::u16string(1, char16_t(0xD800)) + u"x", false},
        {"lone low surrogate", std::u16string(u"x") + char16_t(0xDC00), false},
        {"semicolon and brackets", u"; [not a key] @=", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RegDocument doc;
        doc.setValue(kKey, u"v", {RegType::Sz, stringValueData(c.text)});
        const std::string text = serializeRegText(doc);
        EXPECT_EQ(text.find("\"v\"=\"") != std::string::npos, c.quoted) << text;
        EXPECT_EQ(valueOf(parse(text), kKey, u"v").data, stringValueData(c.text));
    }
}

TEST(RegFormat, NamesIgnoreLetterCaseAndKeepTheirSpelling) {
    auto doc =
        parse(regText("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"Logging_Enabled\"=\"True\"\r\n"
                      "[hkey_current_user\\SOFTWARE\\veltrane]\r\n\"DEXIS_enabled\"=\"1\"\r\n"));
    ASSERT_EQ(doc.keys.size(), 1u) << "the same key written twice is one key";
    EXPECT_EQ(valueOf(doc, u"HKEY_CURRENT_USER\\software\\VELTRANE", u"logging_enabled").data,
              stringValueData(u"True"));
    EXPECT_TRUE(doc.hasKey(u"hkey_current_user\\software"));
    EXPECT_FALSE(doc.hasKey(u"HKEY_CURRENT_USER\\Soft"));

    EXPECT_FALSE(doc.setValue(kKey, u"LOGGING_ENABLED", {RegType::Sz, stringValueData(u"True")}));
    EXPECT_TRUE(doc.setValue(kKey, u"logging_enabled", {RegType::Sz, stringValueData(u"False")}));
    const std::string text = serializeRegText(doc);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Veltrane]"), std::string::npos);
    EXPECT_NE(text.find("\"Logging_Enabled\"=\"False\""), std::string::npos);
    EXPECT_EQ(text.find("logging_enabled"), std::string::npos);
}

TEST(RegFormat, SetValuesMergesLikeSetValueOneByOne) {
    const auto sz = [](std::u16string_view t) { return platform::RegValue{RegType::Sz, stringValueData(t)}; };
    const std::vector<RegEntry> incoming = {
        {u"LOGGING_ENABLED", sz(u"True"), {}},  // same value, other spelling: no change
        {u"dexis_ENABLED", sz(u"False"), {}},   // replaced, keeps the stored spelling
        {u"new_value", sz(u"x"), {}},           // added at the end
    };
    auto bulk =
        parse(regText("[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n\"Logging_Enabled\"=\"True\"\r\n"
                      "\"Dexis_Enabled\"=\"True\"\r\n"));
    auto single = bulk;
    bool changedOneByOne = false;
    for (const auto& e : incoming) changedOneByOne |= single.setValue(kKey, e.name, e.value);
    EXPECT_TRUE(bulk.setValues(kKey, incoming));
    EXPECT_TRUE(changedOneByOne);
    EXPECT_EQ(serializeRegText(bulk), serializeRegText(single));
    EXPECT_FALSE(bulk.setValues(kKey, incoming)) << "a second merge changes nothing";
    EXPECT_FALSE(bulk.setValues(kKey, {incoming[0]}));
    RegDocument fresh;
    EXPECT_TRUE(fresh.setValues(kKey, {})) << "a missing key is added";
    EXPECT_TRUE(fresh.hasKey(kKey));
}

TEST(RegFormat, ReadsRegeditFilesInEveryEncodingAndLineEnd) {
    const std::string body =
        "; exported from a workstation\n"
        "[HKEY_CURRENT_USER\\Software\\Veltrane]\n"
        "\"apptcard_printer\"=\"Zebra ✓\"\n"
        "\"blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
        "  17,18,\\\n"
        "  19\n";
    std::string crlf;
    for (char c : "Windows Registry Editor Version 5.00\n\n" + body) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    const std::pair<const char*, std::string> inputs[] = {
        {"UTF-8, LF", "Windows Registry Editor Version 5.00\n\n" + body},
        {"UTF-8, CR LF", crlf},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + crlf},
        {"UTF-16LE with BOM", utf16le(utf8ToUtf16(crlf))},
    };
    Bytes blob;
    for (std::uint8_t b = 0; b <= 0x19; ++b) blob.push_back(b);
    for (const auto& [what, input] : inputs) {
        SCOPED_TRACE(what);
        const auto doc = parse(input);
        EXPECT_EQ(valueOf(doc, kKey, u"apptcard_printer").data, stringValueData(u"Zebra ✓"));
        EXPECT_EQ(valueOf(doc, kKey, u"blob").data, blob);
        ASSERT_EQ(doc.keys.at(0).comments.size(), 1u);
        EXPECT_EQ(doc.keys[0].comments[0], u"; exported from a workstation");
    }
}

TEST(RegFormat, CommentsAreKeptWhereTheyStood) {
    const std::string text = regText(
        "; about the key\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n; about a\r\n\"a\"=\"1\"\r\n\r\n"
        "; at the end\r\n");
    auto doc = parse(text);
    doc.setValue(kKey, u"b", {RegType::Sz, stringValueData(u"2")});
    const auto rewritten = serializeRegText(doc);
    EXPECT_EQ(rewritten, regText("; about the key\r\n[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n; about a\r\n"
                                 "\"a\"=\"1\"\r\n\"b\"=\"2\"\r\n\r\n; at the end\r\n"));
}

TEST(RegFormat, EmptyTextIsRefusedOrEmptyAsAsked) {
    EXPECT_THROW(parseRegText("", "Import file x.reg"), RegSyntaxError);
    EXPECT_TRUE(parseRegText("", "s", EmptyText::IsEmptyDocument).keys.empty());
    EXPECT_TRUE(parseRegText(" \r\n\n", "s", EmptyText::IsEmptyDocument).keys.empty());
    // A header alone is a valid file without keys either way.
    EXPECT_TRUE(parseRegText("Windows Registry Editor Version 5.00\r\n", "s").keys.empty());
}

TEST(RegFormat, BadLinesNameTheirLine) {
    struct Case {
        std::string text;
        std::size_t line;
        std::string reason;  // part of the message
    };
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Veltrane]\r\n";
    const Case cases[] = {
        {"REGEDIT4\r\n", 1, "REGEDIT4 files are not supported"},
        {"Windows Registry Editor Version 4.00\r\n", 1, "expected the header line"},
        {"\r\n\r\nnonsense\r\n", 3, "expected the header line"},
        {regText("\"a\"=\"1\"\r\n"), 3, "expected a [key] line"},
        {regText(key + "\"a\"=\"1\"\r\nname=value\r\n"), 5, "expected \"name\"=value"},
        {regText(key + "\"a\"\"1\"\r\n"), 4, "expected = after the value name"},
        {regText(key + "\"a=\"1\"\r\n"), 4, "expected = after the value name"},
        {regText(key + "\"a\r\n"), 4, "no closing quote"},
        {regText(key + "\"a\"=\"1\r\n"), 4, "no closing quote"},
        {regText(key + "\"a\"=\"1\" x\r\n"), 4, "unexpected text after the closing quote"},
        {regText(key + "\"a\"=\"C:\\temp\"\r\n"), 4, "unknown escape \\t"},
        {regText(key + "\"a\"=\r\n"), 4, "expected a value after ="},
        {regText(key + "\"a\"=-\r\n"), 4, "deleting values is not supported"},
        {regText("[-HKEY_CURRENT_USER\\Software\\Veltrane]\r\n"), 3, "deleting keys is not supported"},
        {regText(key + "\"a\"=dword:123456789\r\n"), 4, "1 to 8 hex digits"},
        {regText(key + "\"a\"=dword:xyz\r\n"), 4, "1 to 8 hex digits"},
        {regText(key + "\"a\"=hex(q):00\r\n"), 4, "expected hex(<type in hex>)"},
        {regText(key + "\"a\"=hex 00\r\n"), 4, "expected : after the value type"},
        {regText(key + "\"a\"=str:\"x\"\r\n"), 4, "unknown value type"},
        {regText(key + "\"a\"=hex:00,,01\r\n"), 4, "empty item"},
        {regText(key + "\"a\"=hex:00,01,\\\r\n  02,zz,03\r\n"), 5, "bad hex byte \"zz\""},
        {regText(key + "\"a\"=hex:00,\\\r\n  01,\\\r\n  02,\\\r\n  100\r\n"), 7, "bad hex byte \"100\""},
        {regText(key + "\"a\"=hex:00,\\"), 4, "continues past the end of the file"},
        {regText("[HKEY_CURRENT_USER\\Software\\Veltrane\r\n"), 3, "expected ] at the end"},
        {regText("[HKEY_NOWHERE\\Software]\r\n"), 3, "unknown root key \"HKEY_NOWHERE\""},
        {regText("[HKEY_CURRENT_USER\\\\Software]\r\n"), 3, "empty key name"},
        {regText("[HKEY_CURRENT_USER\\Software\\]\r\n"), 3, "empty key name"},
        {regText(key + "\"a\x01\"=\"1\"\r\n"), 4, "control character"},
        {regText(key + "\"a\"=\"caf\xE9\"\r\n"), 4, "not valid UTF-8"},
        {regText(key + "\"a\"=\"\xC0\xAF\"\r\n"), 4, "not valid UTF-8"},
        {regText(key + "\"a\"=\"\xED\xA0\x80\"\r\n"), 4, "not valid UTF-8"},
        {"\xFE\xFF\0W", 1, "big-endian"},
        {utf16le(utf8ToUtf16(regText(key + "\"a\"=\"1\"\r\n"))) + "x", 5, "middle of a character"},
        {utf16le(utf8ToUtf16(regText(key + "x\r\n"))), 4, "expected \"name\"=value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            parseRegText(c.text, "Settings file /home/u/.config/veltrane-client-tools/registry.reg");
            ADD_FAILURE() << "accepted";
        } catch (const RegSyntaxError& e) {
            EXPECT_EQ(e.line(), c.line);
            EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.reason();
            EXPECT_EQ(std::string(e.what()), "Settings file /home/u/.config/veltrane-client-tools/registry.reg, line " +
                                                 std::to_string(c.line) + ": " + e.reason());
        }
    }
}

TEST(RegFormat, OnlyRepresentableNamesAndKeyPathsAreWritable) {
    struct Case {
        std::u16string path;
        bool writable;
    };
    const Case cases[] = {
        {u"HKEY_CURRENT_USER\\Software\\Veltrane", true},
        {u"hkey_current_user", true},
        {u"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\PageSetup", true},
        {u"HKEY_CURRENT_USER\\a]b", true},
        {u"Software\\Veltrane", false},
        {u"HKEY_CURRENT_USER\\", false},
        {u"HKEY_CURRENT_USER\\a\\\\b", false},
        {u"HKEY_CURRENT_USER\\line\nbreak", false},
        {u"HKEY_CURRENT_USER\\" + std::u16string(1, char16_t(0xDC00)), false},
    };
    for (const auto& c : cases) EXPECT_EQ(isWritableKeyPath(c.path), c.writable) << utf16ToUtf8(c.path);
    // A key with an odd name written through the serializer reads back as the same key.
    RegDocument doc;
    doc.addKey(u"HKEY_CURRENT_USER\\a]b\\ spaced ");
    EXPECT_EQ(parse(serializeRegText(doc)).keys.at(0).path, u"HKEY_CURRENT_USER\\a]b\\ spaced ");
}

}  // namespace
}  // namespace veltrane::platform
