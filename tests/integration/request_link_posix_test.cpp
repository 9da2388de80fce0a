// A link's request file on Linux: private, new, read back value for value by the request reader, and gone after.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "app/link_request_file.h"
#include "base/text.h"
#include "linux/posix/iconv_codec.h"
#include "linux/posix/ini_file_reader.h"
#include "linux/posix/posix_files.h"
#include "support/temp_dir.h"

namespace veltrane::platform::posix {
namespace {

using veltrane::testing::TempDir;

class RuntimeDir {
public:
    explicit RuntimeDir(const std::string& path) {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) old_ = old;
        ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    }
    ~RuntimeDir() {
        if (old_.empty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
    }

private:
    std::string old_;
};

TEST(LinkRequestFilePosix, EveryValueReadsBackAsSentAndTheFileIsPrivateAndRemoved) {
    TempDir dir;
    RuntimeDir runtime(dir.path().string());
    PosixRequestFiles files;
    IconvAnsiCodec codec{1252};
    IniFileReader reader{codec};
    // Values that would mean something on an ini line, and characters no code page holds.
    const std::string link =
        "veltrane-client-tools:images?patient_id=%20%5Bimaging%5D&surname=a%3Dserver_ip%3Db%3B%23&"
        "forenames=%E5%BC%A0%F0%9F%98%80&imaging.dbswin=%5Bsettings%5D";
    std::u16string path;
    {
        app::LinkRequestFile file(files, link);
        path = file.path();
        const std::filesystem::path native(utf16ToUtf8(path));
        EXPECT_EQ(native.parent_path(), dir.path());
        EXPECT_EQ(native.extension(), ".veltrane-request");
        struct stat info {};
        ASSERT_EQ(::stat(native.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);

        struct Read {
            std::u16string section, key, value;
        };
        const Read reads[] = {
            {u"settings", u"action", u"images"},
            {u"settings", u"surname", u"a=server_ip=b;#"},
            {u"settings", u"forenames", u"\u5F20\U0001F600"},
            {u"imaging", u"dbswin", u"[settings]"},
            {u"settings", u"server_ip", u"<absent>"},
        };
        for (const auto& r : reads) {
            EXPECT_EQ(utf16ToUtf8(reader.getString(path, r.section, r.key, u"<absent>")), utf16ToUtf8(r.value))
                << utf16ToUtf8(r.key);
        }
        // The reader trims the ends of a value, as the platform's own does; the bracket stays data.
        EXPECT_EQ(reader.getString(path, u"settings", u"patient_id", u""), u"[imaging]");
    }
    EXPECT_FALSE(std::filesystem::exists(utf16ToUtf8(path)));
}

TEST(LinkRequestFilePosix, EachFileIsNewAndRemovalIsQuietWhenItIsGone) {
    TempDir dir;
    RuntimeDir runtime(dir.path().string());
    PosixRequestFiles files;
    // Two files never share a name.
    const std::u16string first = files.writePrivateFile(u".veltrane-request", "a");
    const std::u16string second = files.writePrivateFile(u".veltrane-request", "b");
    EXPECT_NE(first, second);
    files.removeFile(first);
    files.removeFile(second);
    files.removeFile(second);  // already gone: no error
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    // A runtime folder that is not there: the temporary folder instead.
    RuntimeDir gone((dir.path() / "gone").string());
    const std::u16string fallback = files.writePrivateFile(u".veltrane-request", "c");
    EXPECT_NE(std::filesystem::path(utf16ToUtf8(fallback)).parent_path(), dir.path() / "gone");
    EXPECT_TRUE(std::filesystem::exists(utf16ToUtf8(fallback)));
    files.removeFile(fallback);
    EXPECT_FALSE(std::filesystem::exists(utf16ToUtf8(fallback)));
}

}  // namespace
}  // namespace veltrane::platform::posix
