#include "books/dictd_import.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "books/encoding.h"
#include "books/freedict_entry.h"
#include "books/html.h"
#include "books/keys.h"
#include "books/source.h"
#include "books/wordnet_entry.h"

namespace books {

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
        const std::size_t ascii = AsciiEnd(bytes, pos);
        out.append(bytes.substr(pos, ascii - pos));
        if ((pos = ascii) == bytes.size())
            break;
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

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
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

// Whether the text's end falls inside a UTF-8 character: the bytes before `end` start a
// well-formed sequence that runs on past it. A cut size gives such an end; a text in
// another encoding rarely does, as its byte after an end would have to continue a UTF-8
// lead byte.
bool EndsInsideCharacter(std::string_view text, std::uint64_t end) {
    if (end == 0 || end >= text.size())
        return false;
    std::size_t lead = static_cast<std::size_t>(end);
    while (lead > 0 && static_cast<std::size_t>(end) - lead < 3 &&
           (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead == 0 || (static_cast<unsigned char>(text[lead - 1]) & 0xC0) != 0xC0)
        return false;
    std::size_t pos = lead - 1;
    return DecodeUtf8(text, pos).has_value() && pos > end;
}

}  // namespace

std::string EntryTextToHtml(std::string_view utf8) {
    std::string html;
    LaidOutHtml paragraph;
    bool open = false;  // a paragraph has text
    std::size_t start = 0;
    while (start <= utf8.size()) {
        std::size_t end = utf8.find('\n', start);
        if (end == std::string_view::npos)
            end = utf8.size();
        std::string_view line = utf8.substr(start, end - start);
        start = end + 1;
        // Trailing blanks carry no layout; leading ones indent (attributions, senses).
        const std::size_t last = line.find_last_not_of(" \t\r");
        if (last == std::string_view::npos) {
            if (open)
                html += "<p>" + paragraph.Take() + "</p>";
            paragraph = LaidOutHtml();
            open = false;
            continue;
        }
        if (open)
            paragraph.Break();
        paragraph.Text(line.substr(0, last + 1));
        open = true;
    }
    if (open)
        html += "<p>" + paragraph.Take() + "</p>";
    return html;
}

std::string WithoutControls(std::string_view text) {
    std::string out;
    for (const char c : text)
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;  // words apart
    return out;
}

namespace {

// "00-database-short\n     Dutch-English FreeDict Dictionary" gives the second line.
std::string ShortName(const std::string &text) {
    std::string_view rest = text;
    const std::size_t newline = rest.find('\n');
    if (rest.rfind("00", 0) == 0 && newline != std::string_view::npos)
        rest.remove_prefix(newline + 1);
    return WithoutControls(TrimBlanks(rest.substr(0, rest.find('\n'))));
}

bool FitsCp1252(const std::string &utf8) {
    return !utf8.empty() && Utf8ToCp1252Strict(utf8).has_value();
}

}  // namespace

bool UsableWord(const std::string &utf8) {
    return utf8.find_first_not_of(" \t") != std::string::npos && FitsCp1252(utf8) &&
           TableMarkerIn(utf8).empty();
}

bool HasSearchKey(const std::string &utf8Word, const std::vector<std::string> &keys) {
    if (!FoldKey(Utf8ToCp1252Strict(utf8Word).value_or("")).empty())
        return true;
    for (const std::string &key : keys)
        if (!FoldKey(Utf8ToCp1252Strict(key).value_or("")).empty())
            return true;
    return false;
}

void CountForeign(DictdImportCounts &counts, const std::string &headword) {
    if (counts.foreignScript++ == 0)
        counts.firstForeign = headword;
}

std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag) {
    return ImportDictd(indexText, dictText, DictdImportOptions{dir, false}, diag);
}

std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts) {
    DictdImportCounts tally;
    std::string out = "# Imported from a dictd dictionary by lexqc import-dictd.\n\n";
    int number = 0;
    std::size_t start = 0;
    bool invalidText = false;
    while (start < indexText.size()) {
        std::size_t end = indexText.find('\n', start);
        // dictd writes every line with its end: a last line without one was cut, perhaps
        // inside its size, which would then read as a shorter entry.
        const bool cut = end == std::string_view::npos;
        if (cut)
            end = indexText.size();
        std::string_view line = indexText.substr(start, end - start);
        start = end + 1;
        ++number;
        if (cut) {
            diag.Error(number, "the last line has no line end: the index was cut");
            if (tally.firstBadLine == 0)
                tally.firstBadLine = number;
            break;
        }
        if (options.progress != nullptr)
            options.progress->Step(std::min(start, indexText.size()), indexText.size());
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;

        const std::vector<std::string_view> fields = SplitTabs(line);
        if (fields.size() < 3) {
            diag.Error(number, "expected headword, offset and length separated by tabs");
            if (tally.firstBadLine == 0)
                tally.firstBadLine = number;
            continue;
        }
        const auto offset = DecodeDictdNumber(fields[fields.size() - 2]);
        const auto length = DecodeDictdNumber(fields[fields.size() - 1]);
        if (!offset || !length) {
            diag.Error(number, "offset or length is not a dictd base64 number");
            if (tally.firstBadLine == 0)
                tally.firstBadLine = number;
            continue;
        }
        if (*offset > dictText.size() || *length > dictText.size() - *offset) {
            diag.Error(number, "the entry lies beyond the end of the dictionary text");
            if (tally.firstBadLine == 0)
                tally.firstBadLine = number;
            tally.beyondText = true;
            continue;
        }
        if (EndsInsideCharacter(dictText, *offset + *length)) {
            diag.Error(number, "the entry ends inside a UTF-8 character: its length was cut");
            if (tally.firstBadLine == 0)
                tally.firstBadLine = number;
            continue;
        }
        // Headwords with tabs are rare; anything before the last two fields is the word.
        const std::string_view rawHeadword = line.substr(
            0, static_cast<std::size_t>(fields[fields.size() - 2].data() - line.data()) - 1);
        const std::string headword = PlainLetters(TrimBlanks(DecodeLenient(rawHeadword)));
        if (headword.rfind("00-database-", 0) == 0 || headword.rfind("00database", 0) == 0) {
            // dictd's own description of the dictionary, not an entry; the short one names it
            if (headword == "00-database-short" || headword == "00databaseshort")
                tally.shortName = ShortName(DecodeLenient(dictText.substr(*offset, *length)));
            continue;
        }
        ++tally.entries;
        const std::string text = DecodeLenient(dictText.substr(*offset, *length), &invalidText);
        if (options.freedict || options.wordnet) {
            std::string entryWord;
            std::vector<std::string> body;
            if (options.freedict) {
                const FreedictEntry entry = ParseFreedictEntry(text);
                if (!entry.senses.empty()) {
                    entryWord = entry.headword;
                    body = FreedictBodyLines(entry);
                }
            } else {
                const WordnetEntry entry = ParseWordnetEntry(text);
                if (!entry.groups.empty()) {
                    entryWord = PlainLetters(entry.headword);
                    body = WordnetBodyLines(entry);
                }
            }
            if (body.empty()) {
                diag.Warn(number, "\"" + headword + "\" has no " +
                                      (options.freedict ? "translation" : "definition") +
                                      "; skipped");
                ++tally.skipped;
                continue;
            }
            // The entry's own spelling ("American", "grown-up") is the keyword; the index
            // word stays a key, so both are found.
            entryWord = WithoutControls(entryWord);
            const bool ownWord = UsableWord(entryWord);
            const std::string indexWord = WithoutControls(headword);
            if (!ownWord && !UsableWord(indexWord)) {
                if (FitsCp1252(entryWord) || FitsCp1252(indexWord)) {
                    diag.Warn(number, "headword \"" + headword +
                                          "\" is blank or holds a marker of the result table; "
                                          "skipped");
                } else {
                    diag.Warn(number,
                              "headword \"" + headword + "\" has no Windows-1252 form; skipped");
                    CountForeign(tally, headword);
                }
                ++tally.skipped;
                continue;
            }
            std::vector<std::string> keys;
            if (ownWord && UsableWord(indexWord) && indexWord != entryWord)
                keys.push_back(indexWord);
            if (!HasSearchKey(ownWord ? entryWord : indexWord, keys)) {
                diag.Warn(number,
                          "headword \"" + headword + "\" has no letters to search by; skipped");
                ++tally.skipped;
                continue;
            }
            out += FormatRecord(ownWord ? entryWord : indexWord, options.dir, keys, body);
            ++tally.records;
            continue;
        }
        char32_t bad = 0;
        if (headword.empty()) {
            diag.Warn(number, "empty headword; skipped");
            ++tally.skipped;
            continue;
        }
        if (!Utf8ToCp1252Strict(headword, &bad)) {
            diag.Warn(number, "headword \"" + headword + "\" contains " + CodePointName(bad) +
                                  ", which Windows-1252 cannot represent; skipped");
            ++tally.skipped;
            CountForeign(tally, headword);
            continue;
        }
        if (!TableMarkerIn(headword).empty()) {
            diag.Warn(number,
                      "headword \"" + headword + "\" holds a marker of the result table; skipped");
            ++tally.skipped;
            continue;
        }
        if (!HasSearchKey(headword, {})) {
            diag.Warn(number, "headword \"" + headword + "\" has no letters to search by; skipped");
            ++tally.skipped;
            continue;
        }
        out += FormatRecord(WithoutControls(headword), options.dir, {}, {EntryTextToHtml(text)});
        ++tally.records;
    }
    if (invalidText)
        diag.Warn(0, "the dictionary text is not all UTF-8; such bytes were read as Windows-1252");
    if (counts != nullptr)
        *counts = tally;
    return out;
}

}  // namespace books
