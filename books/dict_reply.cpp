#include "books/dict_reply.h"

namespace books::dict {

namespace {

// "DDD" or "DDD text": three digits, the first 1 to 5; -1 for anything else.
int StatusCode(std::string_view line, std::string_view &text) {
    if (line.size() < 3 || (line.size() > 3 && line[3] != ' '))
        return -1;
    int code = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return -1;
        code = code * 10 + (line[i] - '0');
    }
    if (code < 100 || code >= 600)
        return -1;
    text = line.size() > 4 ? line.substr(4) : std::string_view();
    return code;
}

}  // namespace

bool HasTextBody(int code) {
    return (code >= 110 && code <= 114) || code == 151 || code == 152;
}

ReplyReader::ReplyReader(ReplyLimits limits) : limits_(limits) {}

void ReplyReader::Reset() {
    reply_ = Reply();
    partial_.clear();
    total_ = 0;
    inBody_ = false;
    state_ = ReplyStatus::More;
}

Reply ReplyReader::TakeResult() {
    Reply taken = std::move(reply_);
    Reset();
    return taken;
}

ReplyStatus ReplyReader::Feed(std::string_view bytes, std::size_t &used) {
    used = 0;
    while (state_ == ReplyStatus::More && used < bytes.size()) {
        const std::size_t end = bytes.find('\n', used);
        const std::size_t take = (end == std::string_view::npos ? bytes.size() : end) - used;
        // The line end's CR counts against the line, so one byte more is allowed.
        if (partial_.size() + take > limits_.maxLine + 1 || total_ + take + 1 > limits_.maxReply) {
            state_ = ReplyStatus::TooLong;
            break;
        }
        partial_.append(bytes.substr(used, take));
        total_ += take;
        used += take;
        if (end == std::string_view::npos)
            break;
        ++used;  // the LF
        ++total_;
        std::string_view line(partial_);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > limits_.maxLine) {
            state_ = ReplyStatus::TooLong;
            break;
        }
        state_ = TakeLine(line);
        partial_.clear();
    }
    return state_;
}

ReplyStatus ReplyReader::TakeLine(std::string_view line) {
    // Text is UTF-8 or ASCII; a NUL or a lone CR inside a line is no server's text.
    if (line.find('\0') != std::string_view::npos || line.find('\r') != std::string_view::npos)
        return ReplyStatus::Malformed;
    if (inBody_) {
        if (line == ".") {
            inBody_ = false;
            return ReplyStatus::More;
        }
        // A line of the text that starts with "." was sent with one more.
        if (!line.empty() && line.front() == '.')
            line.remove_prefix(1);
        std::string &text = reply_.blocks.back().text;
        text.append(line);
        text += '\n';
        return ReplyStatus::More;
    }
    std::string_view text;
    const int code = StatusCode(line, text);
    if (code < 0)
        return ReplyStatus::Malformed;
    if (code < 200) {
        reply_.preliminary.push_back(Preliminary{code, std::string(text)});
        if (HasTextBody(code)) {
            reply_.blocks.push_back(TextBlock{code, std::string(text), {}});
            inBody_ = true;
        }
        return ReplyStatus::More;
    }
    reply_.code = code;
    reply_.line = std::string(text);
    return ReplyStatus::Done;
}

bool SplitWords(std::string_view text, std::vector<std::string> &words) {
    words.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            ++i;
            bool closed = false;
            while (i < text.size()) {
                const char c = text[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\') {
                    if (i == text.size())
                        return false;
                    word += text[i++];
                } else {
                    word += c;
                }
            }
            if (!closed)
                return false;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t')
                word += text[i++];
        }
        for (const char c : word)
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
        words.push_back(std::move(word));
    }
    return true;
}

}  // namespace books::dict
