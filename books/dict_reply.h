// The reply reader of the DICT protocol (RFC 2229): a server's bytes in, one reply out.
// A reply is status lines of three digits and a text; the preliminary ones of a text
// kind (110, 111, 112, 113, 114, 151, 152) are followed by a text body that ends with a
// lone "." and whose lines starting with "." are doubled; the reply ends with the first
// status line that is not preliminary (2xx to 5xx). Nothing the server sends is trusted:
// every line and the whole reply are bounded, and anything else than this grammar ends
// the reading with a status of its own. No sockets here, so that it can be fuzzed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace books::dict {

struct ReplyLimits {
    std::size_t maxLine = 64 * 1024;          // bytes of one line, without its line end
    std::size_t maxReply = 16 * 1024 * 1024;  // bytes of one whole reply
};

enum class ReplyStatus {
    More,       // the reply is not complete yet
    Done,       // Result() holds the reply
    Malformed,  // a line outside the grammar (no status code, a NUL byte, ...)
    TooLong,    // a line or the reply beyond its limit
};

// A text body and the status line before it.
struct TextBlock {
    int code = 0;
    std::string line;  // the status line's text after the code and its space
    std::string text;  // the body's lines, dot-stuffing undone, each ended by "\n"
};

// A 1xx status line.
struct Preliminary {
    int code = 0;
    std::string line;
};

struct Reply {
    int code = 0;                          // the final status line's code
    std::string line;                      // and its text
    std::vector<Preliminary> preliminary;  // every 1xx line in order, 150 included
    std::vector<TextBlock> blocks;         // the bodies of those that have one
};

// True for the preliminary codes that a text body follows.
bool HasTextBody(int code);

class ReplyReader {
  public:
    explicit ReplyReader(ReplyLimits limits = {});

    // Takes the bytes that arrived; `used` tells how many belong to this reply (the
    // rest, after Done, start the next one). After Malformed or TooLong the reader stays
    // so until Reset.
    ReplyStatus Feed(std::string_view bytes, std::size_t &used);

    // The reply once Feed said Done.
    const Reply &Result() const { return reply_; }
    Reply TakeResult();

    // True when nothing of a reply has arrived yet.
    bool Empty() const { return total_ == 0 && partial_.empty(); }

    void Reset();

  private:
    ReplyStatus TakeLine(std::string_view line);

    ReplyLimits limits_;
    Reply reply_;
    std::string partial_;  // the bytes of a line whose end has not arrived
    std::size_t total_ = 0;
    bool inBody_ = false;
    ReplyStatus state_ = ReplyStatus::More;
};

// The quoted or plain words of a status or list line ("151 "word" db "text"" gives word,
// db, text after the code); false for an open quote or a control character.
bool SplitWords(std::string_view text, std::vector<std::string> &words);

}  // namespace books::dict
