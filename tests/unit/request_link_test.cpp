#include "app/request_link.h"

#include <gtest/gtest.h>

#include <string>

#include "app/link_request_file.h"
#include "app/program_options.h"
#include "base/error.h"
#include "base/text.h"

namespace veltrane::app {
namespace {

std::string requestOf(const std::string& link) { return utf16ToUtf8(requestFromLink(link)); }

TEST(RequestLink, BecomesTheRequestFileTheLinkDescribes) {
    struct Case {
        std::string link;
        std::string request;
    };
    const Case cases[] = {
        {"veltrane-client-tools:images", "[settings]\r\naction=images\r\n"},
        {"VELTRANE-Client-Tools:Print?type=apptcard&patient_id=1234",
         "[settings]\r\naction=print\r\ntype=apptcard\r\npatient_id=1234\r\n"},
        // The spelling some browsers pass, with // and a slash before the query.
        {"veltrane-client-tools://images/?patient_id=7", "[settings]\r\naction=images\r\npatient_id=7\r\n"},
        // Percent-encoded UTF-8; + is a plus sign, not a space; keys in any case; empty pairs skipped.
        {"veltrane-client-tools:images?SURNAME=M%C3%BCller%20Smith&&forenames=Ann+Marie&dob=19800102&",
         "[settings]\r\naction=images\r\nsurname=Müller Smith\r\nforenames=Ann+Marie\r\ndob=19800102\r\n"},
        // Characters that mean something in an ini line stay inside the value.
        {"veltrane-client-tools:images?surname=%5Bimaging%5D%3Dx%3B%22q%22&title=",
         "[settings]\r\naction=images\r\nsurname=[imaging]=x;\"q\"\r\ntitle=\r\n"},
        // imaging.<short name> fills [imaging] under the catalogue's spelling; a character outside the BMP survives.
        {"veltrane-client-tools:images?patient_id=1&imaging.DBSWin=A%F0%9F%98%80&imaging.dentaleye=9",
         "[settings]\r\naction=images\r\npatient_id=1\r\n[imaging]\r\ndbswin=A\xF0\x9F\x98\x80\r\ndentaleye=9\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(requestOf(c.link), c.request) << c.link;
}

TEST(RequestLink, RefusesWhatCannotBeARequestWithAReason) {
    struct Case {
        std::string link;
        std::string reason;  // part of the message
    };
    const Case cases[] = {
        {"veltrane-client-tools:", "names no action"},
        {"veltrane-client-tools:delete?patient_id=1", "neither images nor print"},
        {"veltrane-client-tools:images?patient=1", "patient is not a request key"},
        {"veltrane-client-tools:images?action=print", "the action is the part before ?"},
        {"veltrane-client-tools:images?imaging.nosuch=1", "names no imaging system"},
        {"veltrane-client-tools:images?imaging.=1", "names no imaging system"},
        {"veltrane-client-tools:images?patient_id", "has no value"},
        {"veltrane-client-tools:images?patient_id=1&PATIENT_ID=2", "given twice"},
        {"veltrane-client-tools:images?patient_id=1#x", "# part"},
        // Nothing may name the server, the workstation or a request file, however it is spelt.
        {"veltrane-client-tools:print?server=evil.example", "may not set the practice server"},
        {"veltrane-client-tools:print?Server_IP=evil.example", "may not set the practice server"},
        {"veltrane-client-tools:print?-s=evil.example", "may not set the practice server"},
        {"veltrane-client-tools:print?%2Ds=evil.example", "may not set the practice server"},
        {"veltrane-client-tools:print?s=evil.example", "may not set the practice server"},
        {"veltrane-client-tools:print?client_ip=1.2.3.4", "may not set the practice server"},
        {"veltrane-client-tools:print?server_ssl=0", "may not set the practice server"},
        {"veltrane-client-tools:print?-x=/etc/passwd", "may not set the practice server"},
        // Malformed encoding.
        {"veltrane-client-tools:images?surname=a%2", "not followed by two hex digits"},
        {"veltrane-client-tools:images?surname=a%zz", "not followed by two hex digits"},
        {"veltrane-client-tools:images?surname=%", "not followed by two hex digits"},
        {"veltrane-client-tools:images?surname=%C3", "not UTF-8"},
        {"veltrane-client-tools:images?surname=%ED%A0%80", "not UTF-8"},  // an encoded surrogate
        {"veltrane-client-tools:images?surname=%C0%AF", "not UTF-8"},     // an overlong /
        // Nothing can start a new line, key or section.
        {"veltrane-client-tools:images?surname=x%0D%0A%5Bsettings%5D", "line break"},
        {"veltrane-client-tools:images?surname=x%0Aserver_ip%3Devil", "line break"},
        {"veltrane-client-tools:images?surname=x%00y", "control character"},
        {"veltrane-client-tools:images?surname=x%09y", "control character"},
        {"veltrane-client-tools:images?surname=x%C2%85y", "control character"},  // NEL
        {"veltrane-client-tools:images?surname=x%E2%80%A8y", "control character"},  // LINE SEPARATOR
        {"veltrane-client-tools:images?surname=x\ny", "control character"},
        {"veltrane-client-tools:images?surname=" + std::string(kMaxLinkBytes, 'a'), "longer than 8 KiB"},
        {"other-scheme:images", "does not start with veltrane-client-tools:"},
    };
    for (const auto& c : cases) {
        try {
            requestFromLink(c.link);
            ADD_FAILURE() << "accepted: " << c.link.substr(0, 80);
        } catch (const Error& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("The link cannot be used: ", 0), 0u) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << c.link.substr(0, 80) << " -> " << message;
        }
    }
}

TEST(RequestLink, ALinkOfExactlyTheLimitIsRead) {
    const std::string head = "veltrane-client-tools:images?surname=";
    const std::string link = head + std::string(kMaxLinkBytes - head.size(), 'a');
    EXPECT_EQ(requestOf(link).size(), std::string("[settings]\r\naction=images\r\nsurname=\r\n").size() +
                                          (kMaxLinkBytes - head.size()));
}

TEST(RequestLink, RequestFileBytesAreUtf16WithAByteOrderMark) {
    EXPECT_EQ(requestFileBytes(u"a\u00FC\U0001F600"), std::string("\xFF\xFE" "a\0\xFC\0\x3D\xD8\x00\xDE", 10));
}

TEST(RequestLink, ArgumentsThatAreLinksOrRequestFiles) {
    EXPECT_TRUE(isRequestLink("veltrane-client-tools:images"));
    EXPECT_TRUE(isRequestLink("Veltrane-Client-Tools:x"));
    EXPECT_FALSE(isRequestLink("veltrane-client-tools"));
    EXPECT_FALSE(isRequestLink("veltrane-client-toolsx:images"));
    EXPECT_FALSE(isRequestLink("/tmp/veltrane-client-tools:images"));

    struct Case {
        std::string arg;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"/home/u/Downloads/r.veltrane-request", "/home/u/Downloads/r.veltrane-request"},
        {"r.VELTRANE-REQUEST", "r.VELTRANE-REQUEST"},
        {"file:///home/u/My%20Downloads/r.veltrane-request", "/home/u/My Downloads/r.veltrane-request"},
        {"file://localhost/tmp/r.veltrane-request", "/tmp/r.veltrane-request"},
        {"file:///C:/Users/u/r.veltrane-request", "C:/Users/u/r.veltrane-request"},
        {"file://otherhost/tmp/r.veltrane-request", std::nullopt},  // not a file of this machine
        {"file:///tmp/a%00b.veltrane-request", std::nullopt},
        {"file:///tmp/a%zzb.veltrane-request", std::nullopt},
        {".veltrane-request", std::nullopt},
        {"-x.veltrane-request", std::nullopt},
        {"/tmp/r.ini", std::nullopt},
        {"/tmp/r.veltrane-request.txt", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(requestFileArgument(c.arg), c.path) << c.arg;
}

TEST(RequestLink, ProgramOptionsTakeALinkOrRequestFileOutAndKeepItAlone) {
    struct Case {
        std::vector<std::string> argv;
        std::vector<std::string> args;
        std::string link, requestFile, error;  // error: part of the message
    };
    const Case cases[] = {
        {{"p", "veltrane-client-tools:images?patient_id=1"}, {"p"}, "veltrane-client-tools:images?patient_id=1", "", ""},
        {{"p", "--dry-run", "file:///tmp/r.veltrane-request"}, {"p"}, "", "/tmp/r.veltrane-request", ""},
        // A value of -x is the request file's name, whatever it looks like.
        {{"p", "-x", "veltrane-client-tools:images"}, {"p", "-x", "veltrane-client-tools:images"}, "", "", ""},
        {{"p", "veltrane-client-tools:images", "-s", "evil.example"}, {"p", "-s", "evil.example"}, "", "", "-s cannot come"},
        {{"p", "-c", "1.2.3.4", "/tmp/r.veltrane-request"}, {"p", "-c", "1.2.3.4"}, "", "", "-c cannot come"},
        {{"p", "veltrane-client-tools:images", "-x", "/tmp/r.ini"}, {"p", "-x", "/tmp/r.ini"}, "", "", "-x cannot come"},
        {{"p", "veltrane-client-tools:images", "/tmp/r.veltrane-request"}, {"p"}, "", "", "only one"},
    };
    for (const auto& c : cases) {
        ProgramOptions options;
        const auto args = splitProgramOptions(c.argv, options);
        if (c.error.empty()) {
            EXPECT_EQ(options.error, "") << c.argv.back();
            EXPECT_EQ(args, c.args) << c.argv.back();
            EXPECT_EQ(options.link, c.link);
            EXPECT_EQ(options.requestFile, c.requestFile);
        } else {
            EXPECT_NE(options.error.find(c.error), std::string::npos) << options.error;
        }
    }
}

// Request files in memory; records what was removed.
class FakeRequestFiles final : public platform::RequestFiles {
public:
    std::u16string writePrivateFile(std::u16string_view suffix, const std::string& bytes) override {
        written = bytes;
        return u"/run/user/1/link" + std::u16string(suffix);
    }
    void removeFile(const std::u16string& path) noexcept override { removed.push_back(path); }
    std::string written;
    std::vector<std::u16string> removed;
};

struct ExitCalled {
    int code;
};

class ThrowingProcess final : public platform::Process {
public:
    [[noreturn]] void exit(int code) override { throw ExitCalled{code}; }
};

TEST(LinkRequestFile, IsRemovedOnceWhenTheRequestEndsTheProcessAndWhenItsOwnerEnds) {
    FakeRequestFiles files;
    {
        LinkRequestFile file(files, "veltrane-client-tools:images?patient_id=1");
        EXPECT_EQ(file.path(), u"/run/user/1/link.veltrane-request");
        EXPECT_EQ(files.written, requestFileBytes(u"[settings]\r\naction=images\r\npatient_id=1\r\n"));
        ThrowingProcess process;
        ExitRemovingRequest exiting(process, file);
        try {
            exiting.exit(3);
            ADD_FAILURE() << "exit returned";
        } catch (const ExitCalled& called) {
            EXPECT_EQ(called.code, 3);
        }
        // Removed before the process ends, not after.
        EXPECT_EQ(files.removed, std::vector<std::u16string>{u"/run/user/1/link.veltrane-request"});
    }
    EXPECT_EQ(files.removed.size(), 1u);
    {
        LinkRequestFile file(files, "veltrane-client-tools:print?type=receipt");
    }
    EXPECT_EQ(files.removed.size(), 2u);
    // A refused link writes nothing.
    files.written.clear();
    EXPECT_THROW(LinkRequestFile(files, "veltrane-client-tools:print?server=x"), Error);
    EXPECT_EQ(files.written, "");
}

}  // namespace
}  // namespace veltrane::app
