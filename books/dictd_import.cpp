#include "books/dictd_import.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <unordered_map>
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

namespace {

// The size of a file's contents: a gzip file names it (modulo 4 GiB) in its last four
// bytes. Reserved at once, the text is not copied as it grows, which would need its
// size twice over. Only a hint: 0 when the file cannot tell.
std::size_t ExpectedSize(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return 0;
    unsigned char magic[2] = {}, size[4] = {};
    std::size_t expected = 0;
    const bool gzip = std::fread(magic, 1, 2, file) == 2 && magic[0] == 0x1F && magic[1] == 0x8B;
    std::size_t stored = 0;
    if (std::fseek(file, 0, SEEK_END) == 0)
        stored = static_cast<std::size_t>(std::max(0L, std::ftell(file)));
    if (!gzip) {
        expected = stored;
    } else if (std::fseek(file, -4, SEEK_END) == 0 && std::fread(size, 1, 4, file) == 4) {
        expected = size[0] | size[1] << 8 | size[2] << 16 | static_cast<std::size_t>(size[3]) << 24;
        // A damaged trailer must not ask for more than deflate can give (at most about
        // 1032 bytes for each stored one).
        expected = std::min(expected, stored * 1032);
    }
    std::fclose(file);
    return std::min<std::size_t>(expected, std::size_t{1} << 30);
}

}  // namespace

std::string ReadGzipFile(const std::string &path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        throw InputError(path + ": cannot open");
    std::string text;
    text.reserve(ExpectedSize(path));
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

// The paragraph that follows a line "Availability:", its lines joined by single blanks; of
// a long one (a licence's full terms) its first sentences within 300 bytes.
std::string Availability(const std::string &text) {
    std::string joined;
    bool inside = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = WithoutControls(TrimBlanks(text.substr(start, end - start)));
        start = end + 1;
        if (!inside) {
            inside = line == "Availability:";
            continue;
        }
        if (line.empty() && !joined.empty())
            break;
        if (!line.empty())
            joined += (joined.empty() ? "" : " ") + line;
    }
    constexpr std::size_t kLongest = 300;
    if (joined.size() <= kLongest)
        return joined;
    const std::size_t stop = joined.rfind(". ", kLongest - 1);
    return stop == std::string::npos ? std::string() : joined.substr(0, stop + 1);
}

}  // namespace

bool UsableWord(const std::string &utf8) {
    return utf8.find_first_not_of(" \t") != std::string::npos && TableMarkerIn(utf8).empty();
}

void CountForeign(DictdImportCounts &counts, const std::string &headword) {
    if (counts.foreignScript++ == 0)
        counts.firstForeign = headword;
}

std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag) {
    return ImportDictd(indexText, dictText, DictdImportOptions{dir, false}, diag);
}

namespace {

// One line of a dictd index that names an entry, as a group of them is handled.
struct IndexLine {
    int number = 0;
    std::string headword;  // UTF-8, plain letters
};

// Such a line while the whole index is held: where its headword lies in the index text.
// Large books have millions; each decoded headword would cost more than the line.
struct HeldLine {
    int number = 0;
    std::uint32_t size = 0;
    std::size_t start = 0;
};

std::string HeadwordOf(std::string_view raw) {
    return PlainLetters(TrimBlanks(DecodeLenient(raw)));
}

// Warns of a headword the source cannot hold; false for a usable one.
bool Unusable(const IndexLine &line, Diagnostics &diag, DictdImportCounts &tally) {
    if (WithoutControls(line.headword).find_first_not_of(" \t") == std::string::npos) {
        diag.Warn(line.number, "empty headword; skipped");
    } else if (!TableMarkerIn(line.headword).empty()) {
        diag.Warn(line.number,
                  "headword \"" + line.headword + "\" holds a marker of the result table; skipped");
    } else {
        return false;
    }
    ++tally.skipped;
    return true;
}

}  // namespace

void ForEachSameTextGroup(const std::vector<TextRange> &ranges,
                          const std::function<void(const std::vector<std::uint32_t> &)> &visit) {
    // A chain through the entries instead of a list per group: a large book has millions.
    std::vector<std::uint32_t> next(ranges.size(), kNoNext);
    std::vector<bool> follows(ranges.size(), false);
    {
        std::unordered_map<TextRange, std::uint32_t, TextRangeHash> last;
        last.reserve(ranges.size());
        for (std::uint32_t i = 0; i < ranges.size(); ++i) {
            auto [it, isNew] = last.try_emplace(ranges[i], i);
            if (!isNew) {
                next[it->second] = i;
                follows[i] = true;
                it->second = i;
            }
        }
    }
    std::vector<std::uint32_t> group;
    for (std::uint32_t i = 0; i < ranges.size(); ++i) {
        if (follows[i])
            continue;
        group.clear();
        for (std::uint32_t j = i; j != kNoNext; j = next[j])
            group.push_back(j);
        visit(group);
    }
}

std::size_t ArticleWord(const std::vector<std::string> &words) {
    // An accented spelling is the article's own; a bare one beside it serves keyboards.
    std::size_t best = 0, bestWide = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const auto wide = static_cast<std::size_t>(std::count_if(
            words[i].begin(), words[i].end(), [](char c) { return (c & 0x80) != 0; }));
        if (wide > bestWide) {
            best = i;
            bestWide = wide;
        }
    }
    return best;
}

std::string RecordOfWords(const std::string &keyword, const std::vector<std::string> &words,
                          const std::string &dir, const std::vector<std::string> &bodyLines) {
    std::vector<std::string> keys;
    for (const std::string &word : words)
        if (word != keyword && std::find(keys.begin(), keys.end(), word) == keys.end())
            keys.push_back(word);
    return FormatRecord(keyword, dir, keys, bodyLines);
}

std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts) {
    std::string out(kDictdSourceHeader);
    ImportDictdRecords(indexText, dictText, options, diag, counts,
                       [&out](const std::string &record) { out += record; });
    return out;
}

void ImportDictdRecords(std::string_view indexText, std::string_view dictText,
                        const DictdImportOptions &options, Diagnostics &diag,
                        DictdImportCounts *counts, const RecordSink &emit) {
    DictdImportCounts tally;
    std::vector<HeldLine> lines;
    std::vector<TextRange> ranges;
    // Grown by doubling, the lists would need their size three times over at a move.
    const auto count =
        static_cast<std::size_t>(std::count(indexText.begin(), indexText.end(), '\n')) + 1;
    lines.reserve(count);
    ranges.reserve(count);
    int number = 0;
    std::size_t start = 0;
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
        const std::string headword = HeadwordOf(rawHeadword);
        if (headword.rfind("00-database-", 0) == 0 || headword.rfind("00database", 0) == 0) {
            // dictd's own description of the dictionary, not an entry; the short one names it
            if (headword == "00-database-short" || headword == "00databaseshort")
                tally.shortName = ShortName(DecodeLenient(dictText.substr(*offset, *length)));
            if (headword == "00-database-info" || headword == "00databaseinfo")
                tally.availability = Availability(DecodeLenient(dictText.substr(*offset, *length)));
            continue;
        }
        ++tally.entries;
        lines.push_back({number, static_cast<std::uint32_t>(rawHeadword.size()),
                         static_cast<std::size_t>(rawHeadword.data() - indexText.data())});
        ranges.push_back({*offset, *length});
    }

    // Several index lines may name one text (a spelling with and one without accents,
    // another case): that text becomes one record found under each of them.
    bool invalidText = false;
    std::vector<IndexLine> members;
    std::size_t done = 0;
    ForEachSameTextGroup(ranges, [&](const std::vector<std::uint32_t> &group) {
        done += group.size();
        if (options.progress != nullptr)
            options.progress->Step(done, lines.size());
        members.clear();
        for (const std::uint32_t i : group) {
            members.push_back(
                {lines[i].number, HeadwordOf(indexText.substr(lines[i].start, lines[i].size))});
        }
        const TextRange &range = ranges[group.front()];
        const std::string text =
            DecodeLenient(dictText.substr(range.offset, range.size), &invalidText);
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
                for (const IndexLine &line : members) {
                    diag.Warn(line.number, "\"" + line.headword + "\" has no " +
                                               (options.freedict ? "translation" : "definition") +
                                               "; skipped");
                    ++tally.skipped;
                }
                return;
            }
            // The entry's own spelling ("American", "grown-up") is the keyword; the index
            // words stay keys, so all are found.
            entryWord = WithoutControls(entryWord);
            const bool ownWord = UsableWord(entryWord);
            std::vector<std::string> keys;
            std::size_t usable = 0;  // index lines found under the record, repeats too
            for (const IndexLine &line : members) {
                const std::string indexWord = WithoutControls(line.headword);
                if (UsableWord(indexWord)) {
                    ++usable;
                    if ((!ownWord || indexWord != entryWord) &&
                        std::find(keys.begin(), keys.end(), indexWord) == keys.end())
                        keys.push_back(indexWord);
                } else if (!ownWord) {
                    diag.Warn(line.number,
                              "headword \"" + line.headword +
                                  "\" is blank or holds a marker of the result table; skipped");
                    ++tally.skipped;
                }
            }
            if (!ownWord && keys.empty())
                return;
            const std::size_t kept = ownWord ? group.size() : usable;
            std::string keyword = entryWord;
            if (!ownWord) {
                keyword = keys[ArticleWord(keys)];
                keys.erase(std::find(keys.begin(), keys.end(), keyword));
            }
            emit(FormatRecord(keyword, options.dir, keys, body));
            tally.records += kept;
            return;
        }
        std::vector<std::string> words;
        for (const IndexLine &line : members)
            if (!Unusable(line, diag, tally))
                words.push_back(WithoutControls(line.headword));
        if (words.empty())
            return;
        emit(RecordOfWords(words[ArticleWord(words)], words, options.dir, {EntryTextToHtml(text)}));
        tally.records += words.size();
    });
    if (invalidText)
        diag.Warn(0, "the dictionary text is not all UTF-8; such bytes were read as Windows-1252");
    if (counts != nullptr)
        *counts = tally;
}

}  // namespace books
