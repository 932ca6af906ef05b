// The record of message boxes that tests and scripts read instead of a dialog.
#include <cstdlib>
#include <fstream>

#include "msgbox.h"
#include "msgbox_log.h"

namespace platform {

namespace {

// One record per line: icon, caption and text separated by tabs, with backslash,
// tab, carriage return and line feed escaped.
std::string Escape(const std::string &text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

}  // namespace

const char *MsgIconName(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Error:
            return "error";
        case MsgIcon::Warning:
            return "warning";
        case MsgIcon::Information:
            return "information";
        default:
            return "none";
    }
}

bool MessageBoxesLogged() {
    const char *log = std::getenv("TAALKIST_MSGBOX_LOG");
    return log != nullptr && *log != '\0';
}

const char *MessageBoxLogFile() {
    return std::getenv("TAALKIST_MSGBOX_LOG");
}

std::string MessageBoxLogRecord(const std::string &caption, const std::string &text, MsgIcon icon) {
    return std::string(MsgIconName(icon)) + '\t' + Escape(caption) + '\t' + Escape(text) + '\n';
}

std::vector<MessageBoxRecord> ReadMessageBoxLog(const std::string &file) {
    std::vector<MessageBoxRecord> records;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t first = line.find('\t');
        const std::size_t second =
            first == std::string::npos ? std::string::npos : line.find('\t', first + 1);
        if (second == std::string::npos)
            continue;
        MessageBoxRecord record;
        const std::string icon = line.substr(0, first);
        for (MsgIcon kind : {MsgIcon::None, MsgIcon::Error, MsgIcon::Warning, MsgIcon::Information})
            if (icon == MsgIconName(kind))
                record.icon = kind;
        record.caption = Unescape(std::string_view(line).substr(first + 1, second - first - 1));
        record.text = Unescape(std::string_view(line).substr(second + 1));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace platform
