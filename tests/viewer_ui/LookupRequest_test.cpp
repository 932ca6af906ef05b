// The instance channel's request reader: a table of crafted messages and the exact status
// each gives, and every request written reads back as itself.
#include <gtest/gtest.h>

#include "viewer/ui/LookupRequest.h"

namespace {

using ui::TLookupKind;
using ui::TLookupRequest;
using ui::TRequestStatus;

std::string Message(std::uint8_t kind, const std::string &word, std::uint8_t version = 1) {
    std::string bytes = "TKLQ";
    bytes += char(version);
    bytes += char(kind);
    bytes += char(word.size() & 0xFF);
    bytes += char(word.size() >> 8);
    return bytes + word;
}

TEST(LookupRequest, EachMalformedMessageHasItsOwnStatus) {
    struct Case {
        const char *name;
        std::string bytes;
        TRequestStatus status;
    };
    const Case cases[] = {
        {"nothing yet", "", TRequestStatus::NeedMore},
        {"half the magic", "TK", TRequestStatus::NeedMore},
        {"header without length", "TKLQ\x01\x01", TRequestStatus::NeedMore},
        {"word half there", Message(1, "fiets").substr(0, 10), TRequestStatus::NeedMore},
        {"another protocol", "GET / HTTP/1.0\r\n", TRequestStatus::BadMagic},
        {"wrong first byte", "X", TRequestStatus::BadMagic},
        {"a later version", Message(1, "fiets", 2), TRequestStatus::BadVersion},
        {"version zero", Message(1, "fiets", 0), TRequestStatus::BadVersion},
        {"kind zero", Message(0, ""), TRequestStatus::BadKind},
        {"kind four", Message(4, ""), TRequestStatus::BadKind},
        {"empty word", Message(1, ""), TRequestStatus::BadLength},
        {"selection with a word", Message(2, "x"), TRequestStatus::BadLength},
        {"clipboard with a word", Message(3, "x"), TRequestStatus::BadLength},
        {"word over the bound", Message(1, std::string(1025, 'a')), TRequestStatus::BadLength},
        // The length alone tells: an oversized request is refused before its bytes arrive.
        {"announced too long", Message(1, std::string(1025, 'a')).substr(0, 8),
         TRequestStatus::BadLength},
        {"bytes after", Message(1, "fiets") + "x", TRequestStatus::TrailingBytes},
        {"two requests", Message(2, "") + Message(2, ""), TRequestStatus::TrailingBytes},
        {"broken UTF-8", Message(1, "caf\xC3"), TRequestStatus::BadText},
        {"Windows-1252", Message(1, "caf\xE9"), TRequestStatus::BadText},
        {"a line break", Message(1, "een\ntwee"), TRequestStatus::BadText},
        {"a NUL", Message(1, std::string("a\0b", 3)), TRequestStatus::BadText},
        {"DEL", Message(1, "a\x7F"), TRequestStatus::BadText},
        {"only blanks", Message(1, "   "), TRequestStatus::BadText},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TLookupRequest request{TLookupKind::Clipboard, "untouched"};
        EXPECT_EQ(ui::ReadLookupRequest(c.bytes, &request), c.status);
        EXPECT_EQ(request.Word, "untouched");
    }
}

TEST(LookupRequest, WrittenRequestsReadBackAsThemselves) {
    const TLookupRequest requests[] = {
        {TLookupKind::Word, "fiets"},
        {TLookupKind::Word, "de gemeenteraad"},
        {TLookupKind::Word, "\xC3\xA9\xC3\xA9n"},
        {TLookupKind::Word, std::string(1024, 'a')},
        {TLookupKind::Selection, ""},
        {TLookupKind::Clipboard, ""},
    };
    for (const TLookupRequest &written : requests) {
        SCOPED_TRACE(written.Word.substr(0, 20));
        const std::string bytes = ui::WriteLookupRequest(written);
        EXPECT_LE(bytes.size(), ui::kMaxRequestBytes);
        TLookupRequest read;
        ASSERT_EQ(ui::ReadLookupRequest(bytes, &read), TRequestStatus::Complete);
        EXPECT_EQ(read.Kind, written.Kind);
        EXPECT_EQ(read.Word, written.Word);
        // Arriving in pieces, every beginning waits for the rest.
        for (std::size_t part = 0; part < bytes.size(); ++part)
            EXPECT_EQ(ui::ReadLookupRequest(bytes.substr(0, part), &read),
                      TRequestStatus::NeedMore);
    }
    // The word is 256 bytes or more: the length's high byte counts.
    EXPECT_EQ(ui::WriteLookupRequest({TLookupKind::Word, std::string(300, 'b')}).substr(6, 2),
              std::string("\x2C\x01", 2));
}

}  // namespace
