#include "dictd_import.h"

#include <zlib.h>

#include <vector>

#include "encoding.h"
#include "source.h"

namespace lexqc {

std::optional<std::uint64_t> DecodeDictdNumber(std::string_view digits) {
    if (digits.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        int digit;
        if (c >= 'A' && c <= 'Z') {
            digit = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            digit = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            digit = c - '0' + 52;
        } else if (c == '+') {
            digit = 62;
        } else if (c == '/') {
            digit = 63;
        } else {
            return std::nullopt;
        }
        if (value > (UINT64_MAX >> 6))
            return std::nullopt;
        value = (value << 6) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::string ReadGzipFile(const std::string &path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        throw InputError(path + ": cannot open");
    std::string text;
    char buffer[65536];
    int n;
    while ((n = gzread(file, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    int code = Z_OK;
    const char *why = gzerror(file, &code);
    const std::string reason = why != nullptr ? why : "";
    gzclose(file);
    if (n < 0 || (code != Z_OK && code != Z_STREAM_END)) {
        throw InputError(path + ": cannot decompress: " + reason);
    }
    return text;
}

std::string DecodeLenient(std::string_view bytes, bool *hadInvalid) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        if (const auto cp = DecodeUtf8(bytes, pos)) {
            if (*cp >= 0x80 && *cp <= 0x9F) {
                // A C1 control is a Windows-1252 byte that was once taken for Latin-1.
                AppendUtf8(out, FromCp1252(static_cast<std::uint8_t>(*cp)));
                if (hadInvalid != nullptr)
                    *hadInvalid = true;
            } else {
                out.append(bytes.substr(start, pos - start));
            }
        } else {
            AppendUtf8(out, FromCp1252(static_cast<std::uint8_t>(bytes[pos])));
            ++pos;
            if (hadInvalid != nullptr)
                *hadInvalid = true;
        }
    }
    return out;
}

namespace {

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters have no place in HTML text; a blank keeps words apart.
                out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
        }
    }
    return out;
}

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Dutch "ij" ligatures and Unicode hyphens have exact plain forms; other characters
// outside Windows-1252 make the headword unusable as a key.
std::string PlainHeadword(std::string_view utf8) {
    std::string out;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const char32_t cp = DecodeUtf8(utf8, pos).value_or(0xFFFD);
        if (cp == 0x0133) {
            out += "ij";
        } else if (cp == 0x0132) {
            out += "IJ";
        } else if (cp == 0x2010 || cp == 0x2011) {
            out += '-';
        } else {
            out.append(utf8.substr(start, pos - start));
        }
    }
    return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos)
            break;
        start = tab + 1;
    }
    return fields;
}

}  // namespace

std::string EntryTextToHtml(std::string_view utf8) {
    std::vector<std::string> paragraphs;
    std::string current;
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        const std::string_view line = TrimBlanks(utf8.substr(start, end - start));
        start = end + 1;
        if (line.empty()) {
            if (!current.empty())
                paragraphs.push_back("<p>" + current + "</p>");
            current.clear();
            continue;
        }
        if (!current.empty())
            current += "<br>";
        current += EscapeHtml(line);
    }
    if (!current.empty())
        paragraphs.push_back("<p>" + current + "</p>");
    std::string html;
    for (const std::string &p : paragraphs)
        html += p;
    return html;
}

std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag) {
    std::string out = "# Imported from a dictd dictionary by lexqc import-dictd.\n\n";
    int number = 0;
    std::size_t start = 0;
    bool invalidText = false;
    while (start < indexText.size()) {
        std::size_t end = indexText.find('\n', start);
        if (end == std::string_view::npos)
            end = indexText.size();
        std::string_view line = indexText.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;

        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() < 3) {
            diag.Error(number, "expected headword, offset and length separated by tabs");
            continue;
        }
        const auto offset = DecodeDictdNumber(fields[fields.size() - 2]);
        const auto length = DecodeDictdNumber(fields[fields.size() - 1]);
        if (!offset || !length) {
            diag.Error(number, "offset or length is not a dictd base64 number");
            continue;
        }
        if (*offset > dictText.size() || *length > dictText.size() - *offset) {
            diag.Error(number, "the entry lies beyond the end of the dictionary text");
            continue;
        }
        // Headwords with tabs are rare; anything before the last two fields is the word.
        const std::string_view rawHeadword = line.substr(
            0, static_cast<std::size_t>(fields[fields.size() - 2].data() - line.data()) - 1);
        const std::string headword = PlainHeadword(TrimBlanks(DecodeLenient(rawHeadword)));
        if (headword.rfind("00-database-", 0) == 0 || headword.rfind("00database", 0) == 0) {
            continue;  // dictd's own description of the dictionary, not an entry
        }
        char32_t bad = 0;
        if (headword.empty()) {
            diag.Warn(number, "empty headword; skipped");
            continue;
        }
        if (!Utf8ToCp1252Strict(headword, &bad)) {
            diag.Warn(number, "headword \"" + headword + "\" contains " + CodePointName(bad) +
                                  ", which Windows-1252 cannot represent; skipped");
            continue;
        }
        std::string plainHeadword;
        for (const char c : headword)
            plainHeadword += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
        const std::string body =
            EntryTextToHtml(DecodeLenient(dictText.substr(*offset, *length), &invalidText));
        out += FormatRecord(plainHeadword, dir, {}, {body});
    }
    if (invalidText)
        diag.Warn(0, "the dictionary text is not all UTF-8; such bytes were read as Windows-1252");
    return out;
}

}  // namespace lexqc
