// libFuzzer target: the bytes a DICT server sends, read by the client's reply reader.
// Input: one byte for the size of the pieces the bytes arrive in, then the bytes.
//
// Properties: the reply does not depend on how the bytes were cut; it never holds a line
// longer than the bound, nor more than the reply's bound; a finished reply ends in a
// final code and every earlier line is preliminary; the bytes used never exceed those given.
#include "books/dict_reply.h"
#include "fuzz_support.h"

using namespace books::dict;

namespace {

constexpr ReplyLimits kLimits{256, 4096};

ReplyStatus ReadAll(std::string_view bytes, std::size_t piece, Reply &reply, std::size_t &total) {
    ReplyReader reader(kLimits);
    ReplyStatus status = ReplyStatus::More;
    total = 0;
    while (!bytes.empty() && status == ReplyStatus::More) {
        const std::string_view part = bytes.substr(0, piece);
        std::size_t used = 0;
        status = reader.Feed(part, used);
        fuzz::Check(used <= part.size(), "used more bytes than given");
        fuzz::Check(status != ReplyStatus::More || used == part.size(),
                    "bytes left over from an unfinished reply");
        total += used;
        bytes.remove_prefix(part.size());
    }
    if (status == ReplyStatus::Done)
        reply = reader.Result();
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data) + 1, size - 1);
    Reply whole, pieces;
    std::size_t wholeUsed = 0, piecesUsed = 0;
    const ReplyStatus a = ReadAll(bytes, bytes.size() + 1, whole, wholeUsed);
    const ReplyStatus b = ReadAll(bytes, 1 + data[0] % 17, pieces, piecesUsed);
    fuzz::Check(a == b, "the status depends on how the bytes arrived");
    if (a != ReplyStatus::Done)
        return 0;
    fuzz::Check(wholeUsed == piecesUsed, "the reply's length depends on how the bytes arrived");
    fuzz::Check(whole.code == pieces.code && whole.line == pieces.line &&
                    whole.blocks.size() == pieces.blocks.size(),
                "the reply depends on how the bytes arrived");
    fuzz::Check(whole.code >= 200 && whole.code < 600, "a reply ends in a preliminary code");
    fuzz::Check(whole.line.size() <= kLimits.maxLine, "a status line beyond the bound");
    std::size_t blocks = 0, text = 0;
    for (const Preliminary &line : whole.preliminary) {
        fuzz::Check(line.code >= 100 && line.code < 200, "a final code among the preliminary");
        blocks += HasTextBody(line.code) ? 1 : 0;
    }
    fuzz::Check(blocks == whole.blocks.size(), "a text body without its status line");
    for (std::size_t i = 0; i < whole.blocks.size(); ++i) {
        fuzz::Check(whole.blocks[i].text == pieces.blocks[i].text,
                    "a text depends on how the bytes arrived");
        text += whole.blocks[i].text.size();
        std::vector<std::string> words;
        SplitWords(whole.blocks[i].line, words);
    }
    fuzz::Check(text <= kLimits.maxReply, "more text than the reply's bound");
    return 0;
}
