#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"

namespace veltrane {
namespace {

using fakes::kVeltraneKey;
using platform::RegType;

TEST(SettingToBool, AcceptsNumbersWordsAndEmpty) {
    struct Case {
        std::u16string text;
        char16_t separator;
        bool expected;
    };
    const Case cases[] = {
        {u"True", u'.', true},    {u"true", u'.', true},   {u"TRUE", u'.', true},   {u"False", u'.', false},
        {u"false", u'.', false},  {u"FALSE", u'.', false}, {u"", u'.', false},      {u"1", u'.', true},
        {u"-1", u'.', true},      {u"2.5", u'.', true},    {u"0", u'.', false},     {u"0.0", u'.', false},
        {u"-0", u'.', false},     {u"2,5", u',', true},    {u"0,0", u',', false},   {u"1e3", u'.', true},
        {u"0E+5", u'.', false},   {u".5", u'.', true},     {u"+7", u'.', true},     {u" 1 ", u'.', true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settings::settingToBool(c.text, c.separator), c.expected) << utf16ToUtf8(c.text);
    }
}

TEST(SettingToBool, RejectsOtherTextsWithTheConversionMessage) {
    const std::u16string bad[] = {u"yes", u"2,5", u"1e", u"-", u".", u"Truee", u" True", u"1 2"};
    for (const auto& text : bad) {
        try {
            settings::settingToBool(text, u'.');
            ADD_FAILURE() << "accepted " << utf16ToUtf8(text);
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()), "'" + utf16ToUtf8(text) + "' is not a valid boolean value");
        }
    }
}

TEST(BoolToSetting, WritesTrueAndFalse) {
    EXPECT_EQ(settings::boolToSetting(true), u"True");
    EXPECT_EQ(settings::boolToSetting(false), u"False");
}

TEST(SettingsStore, FirstReadCreatesTheEmptyKey) {
    fakes::FakePlatform p;
    settings::SettingsStore store(p.registry);
    EXPECT_EQ(store.readSetting(u"server_ip"), u"");
    EXPECT_TRUE(p.registry.keys.count(kVeltraneKey));
}

TEST(SettingsStore, ReadsTextUpToTheFirstZeroAndExpandableStringsUnexpanded) {
    fakes::FakePlatform p;
    settings::SettingsStore store(p.registry);
    p.registry.setRaw(kVeltraneKey, u"a", RegType::Sz, {'a', 0, 'b', 0, 0, 0, 'c', 0, 0, 0});
    p.registry.setRaw(kVeltraneKey, u"b", RegType::ExpandSz, {'%', 0, 'X', 0, '%', 0, 0, 0});
    p.registry.setRaw(kVeltraneKey, u"c", RegType::Sz, {});
    p.registry.setRaw(kVeltraneKey, u"d", RegType::Dword, {});  // empty data reads as empty, whatever the type
    EXPECT_EQ(store.readSetting(u"a"), u"ab");
    EXPECT_EQ(store.readSetting(u"B"), u"%X%");
    EXPECT_EQ(store.readSetting(u"c"), u"");
    EXPECT_EQ(store.readSetting(u"d"), u"");
}

TEST(SettingsStore, NonTextValuesFailWithTheDataTypeMessage) {
    fakes::FakePlatform p;
    settings::SettingsStore store(p.registry);
    for (auto type : {RegType::Dword, RegType::Binary, RegType::MultiSz, RegType::Qword}) {
        p.registry.setRaw(kVeltraneKey, u"server_ssl", type, {1, 0, 0, 0});
        try {
            store.readSetting(u"server_ssl");
            ADD_FAILURE() << "type " << static_cast<int>(type) << " was read as text";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Invalid data type for 'server_ssl'");
        }
    }
}

TEST(SettingsStore, KeyThatCannotBeCreatedReadsEmptyAndIgnoresWrites) {
    fakes::FakePlatform p;
    p.registry.refuseCreate = true;
    settings::SettingsStore store(p.registry);
    EXPECT_EQ(store.readSetting(u"x"), u"");
    EXPECT_NO_THROW(store.writeSetting(u"x", u"1"));
    EXPECT_FALSE(p.registry.keys.count(kVeltraneKey));
    EXPECT_FALSE(store.openExisting().has_value());
}

TEST(SettingsStore, RefusedWriteFailsWithTheSetDataMessage) {
    fakes::FakePlatform p;
    p.registry.refuseWrites = true;
    settings::SettingsStore store(p.registry);
    try {
        store.writeSetting(u"appt_type", u"Normal");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'appt_type'");
    }
}

TEST(SettingsStore, EmptyWriteLeavesTheValuePresentAndEmpty) {
    fakes::FakePlatform p;
    settings::SettingsStore store(p.registry);
    store.writeSetting(u"word_location", u"");
    EXPECT_EQ(p.registry.getString(kVeltraneKey, u"word_location"), u"");
    EXPECT_EQ(store.readSetting(u"word_location"), u"");
}

TEST(SettingsStore, OpenOnlyAccessDoesNotCreateTheKey) {
    fakes::FakePlatform p;
    settings::SettingsStore store(p.registry);
    EXPECT_FALSE(store.openExisting().has_value());
    EXPECT_FALSE(p.registry.keys.count(kVeltraneKey));
    p.registry.setString(kVeltraneKey, u"Server_IP", u"10.0.0.5");
    auto key = store.openExisting();
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->read(u"server_ip"), u"10.0.0.5");
}

}  // namespace
}  // namespace veltrane
