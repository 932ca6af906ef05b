#include "books/article_index.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "books/cipher.h"
#include "books/diagnostics.h"
#include "books/safe_file.h"
#include "foldtable_utf8.h"
#include "platform/cp1252.h"

namespace books {

namespace {

// The first row of the meta table; another value of the same stem is an index of another
// format (refused as outdated), anything else another kind of file.
constexpr std::string_view kFormatStem = "taalkist-artikelindex ";
constexpr const char *kFormat = "taalkist-artikelindex 2";
// The first bytes of an enciphered index; the SQLite file follows, enciphered from its
// first byte on as stream position 0.
constexpr std::string_view kEnciphered = "taalkist-fts-enc";

// Reversed keys and headwords stored per block row, each block compressed: few rows, few
// bytes per name. Headword blocks are smaller: a page's headwords lie in as many blocks as
// it lists, each inflated whole. A block inflates to at most kMostPlain bytes.
constexpr std::size_t kBlock = 128;
constexpr std::size_t kHeadBlock = 32;
constexpr std::size_t kMostPlain = 1u << 20;

// Put before each of the headword's words to make a word of the index of its own ("the
// headword has this word"): a character of private use, which no book's text holds
// (ArticleText takes it out) and the tokenizer is told is part of words.
constexpr std::string_view kHeadwordMark = "\xEE\x80\x80";

constexpr const char *kSchema =
    "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT) WITHOUT ROWID;"
    // Each row: its first reversed key, and its keys front-coded (a byte of letters shared
    // with the key before, the rest, a line end), packed (see Packed).
    "CREATE TABLE rkeys(first TEXT PRIMARY KEY, keys BLOB NOT NULL) WITHOUT ROWID;"
    // Row b: the headwords of entries b*32+1 to b*32+32, each ended by a zero byte, packed.
    "CREATE TABLE heads(block INTEGER PRIMARY KEY, names BLOB NOT NULL);"
    // Contentless: the words and their places, not the text, which the book holds. Places
    // are kept (detail=full) so that a phrase is answered by the index itself and the rank
    // sees where the words are; column sizes are not (the rank does without them). One
    // column: the headword's words marked (kHeadwordMark), then the article's text, which
    // starts with its headword (put in front when the article does not start with it);
    // meta's "headword words" says how many words the headword has, a byte per entry. A
    // second column for the headword made the index half as large again.
    "CREATE VIRTUAL TABLE articles USING fts5(body, content='', columnsize=0,"
    " detail=full, tokenize=\"unicode61 remove_diacritics 2 tokenchars '\xEE\x80\x80'\");";

// A prepared statement, finalized however its use ends.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

  private:
    sqlite3_stmt *m_statement = nullptr;
};

void BindText(sqlite3_stmt *statement, int column, std::string_view text) {
    sqlite3_bind_text(statement, column, text.data(), static_cast<int>(text.size()),
                      SQLITE_TRANSIENT);
}

void BindBlob(sqlite3_stmt *statement, int column, std::string_view bytes) {
    sqlite3_bind_blob(statement, column, bytes.data(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
}

std::string_view ColumnBlob(sqlite3_stmt *statement, int column) {
    const void *bytes = sqlite3_column_blob(statement, column);
    return bytes == nullptr
               ? std::string_view()
               : std::string_view(
                     static_cast<const char *>(bytes),
                     static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// A block as stored: its length in four bytes (little-endian), then its raw deflate
// stream (no zlib header or checksum: the length and the inflate itself check it).
std::string Packed(std::string_view plain) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string packed(4 + deflateBound(&stream, static_cast<uLong>(plain.size())), '\0');
    for (int i = 0; i < 4; ++i)
        packed[i] = static_cast<char>((plain.size() >> (8 * i)) & 0xFF);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(plain.data()));
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = reinterpret_cast<Bytef *>(packed.data() + 4);
    stream.avail_out = static_cast<uInt>(packed.size() - 4);
    deflate(&stream, Z_FINISH);
    packed.resize(4 + stream.total_out);
    deflateEnd(&stream);
    return packed;
}

std::string_view ColumnText(sqlite3_stmt *statement, int column) {
    const unsigned char *text = sqlite3_column_text(statement, column);
    return text == nullptr ? std::string_view()
                           : std::string_view(
                                 reinterpret_cast<const char *>(text),
                                 static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// The character a reference names, as UTF-8; a blank for one we do not know.
std::string Reference(std::string_view name) {
    static const std::pair<std::string_view, char32_t> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", ' '}};
    char32_t code = ' ';
    for (const auto &[named, value] : kNamed)
        if (name == named)
            code = value;
    if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char *end = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        // Never the headword mark (see kHeadwordMark): a text cannot pass for a headword.
        if (!digits.empty() && *end == '\0' && value >= 0x20 && value <= 0x10FFFF &&
            value != 0xE000)
            code = static_cast<char32_t>(value);
    }
    std::string utf8;
    platform::AppendUtf8(utf8, code);
    return utf8;
}

// Fails with a Dutch message naming the file and SQLite's reason.
[[noreturn]] void Fail(const std::string &path, sqlite3 *db) {
    // A full or failing disk is said as for the book itself, not in SQLite's English.
    const int code = db != nullptr ? (sqlite3_errcode(db) & 0xFF) : SQLITE_NOMEM;
    if (code == SQLITE_FULL || code == SQLITE_IOERR)
        throw InputError("De artikelindex '" + path +
                         "' kan niet worden opgeslagen: de schijf is vol of niet beschrijfbaar.");
    const std::string reason = db != nullptr ? sqlite3_errmsg(db) : "geen geheugen";
    throw InputError("De artikelindex '" + path + "' kan niet worden gemaakt: " + reason + ".");
}

void Run(sqlite3 *db, const std::string &path, const char *sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(path, db);
}

void Begin(sqlite3 *db, const std::string &path, bool utf8) {
    Run(db, path, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=4096;");
    Run(db, path, kSchema);
    Run(db, path, "BEGIN");
    Statement meta(db, "INSERT INTO meta(name, value) VALUES('format', ?)");
    if (!meta)
        Fail(path, db);
    BindText(meta.get(), 1, kFormat);
    if (sqlite3_step(meta.get()) != SQLITE_DONE)
        Fail(path, db);
    // Only a UTF-8 book's index has the row: a Windows-1252 book's stays as it was.
    if (utf8)
        Run(db, path, "INSERT INTO meta(name, value) VALUES('keys', 'utf-8')");
}

// The rank of a match, higher is better, from where the query's words are in it: a word
// in the headword weighs most (more at its start, most when the headword is only the
// words asked for), then words close together in the text, then how early the first one
// comes, then how often they occur. Registered as an FTS5 function whose user data is the
// index's headword word counts: it reads the places of the match (detail=full), nothing
// else.
void RankFunction(const Fts5ExtensionApi *api, Fts5Context *fts, sqlite3_context *context,
                  int arguments, sqlite3_value **argument) {
    constexpr int kPhrases = 32;  // the query reader allows no more terms
    int instances = 0;
    if (api->xInstCount(fts, &instances) != SQLITE_OK) {
        sqlite3_result_error(context, "rank", -1);
        return;
    }
    const auto &headwordWords = *static_cast<const std::string *>(api->xUserData(fts));
    const sqlite3_int64 row = api->xRowid(fts);
    const int headword = row >= 1 && static_cast<std::size_t>(row) <= headwordWords.size()
                             ? static_cast<unsigned char>(headwordWords[row - 1])
                             : 0;
    // The query's own phrases: a candidate query's marked words after them do not count.
    const int phrases = std::min({api->xPhraseCount(fts), kPhrases,
                                  arguments > 0 ? sqlite3_value_int(argument[0]) : kPhrases});
    int last[kPhrases];
    std::fill(last, last + kPhrases, -1);
    bool inHeadword[kPhrases] = {};
    bool headwordStart = false;
    int headwordCovered = 0, first = -1, span = -1, inText = 0;
    for (int i = 0; i < instances; ++i) {
        int phrase = 0, column = 0, offset = 0;
        if (api->xInst(fts, i, &phrase, &column, &offset) != SQLITE_OK || phrase >= phrases)
            continue;
        // The marked words, then the headword, then the rest of the text.
        offset -= headword;
        if (offset < 0)
            continue;
        if (offset < headword) {
            inHeadword[phrase] = true;
            headwordStart = headwordStart || offset == 0;
            ++headwordCovered;
            continue;
        }
        ++inText;
        offset -= headword;
        if (first < 0 || offset < first)
            first = offset;
        last[phrase] = offset;
        // The narrowest window that holds every phrase seen in this match so far.
        int low = offset, seen = 0;
        for (int p = 0; p < phrases; ++p)
            if (last[p] >= 0) {
                low = std::min(low, last[p]);
                ++seen;
            }
        if (seen > 1 && (span < 0 || offset - low < span))
            span = offset - low;
    }
    double score = 0;
    for (int p = 0; p < phrases; ++p)
        score += inHeadword[p] ? 10.0 : 0.0;
    score += headwordStart ? 4.0 : 0.0;
    score += headword > 0 && headwordCovered >= headword ? 6.0 : 0.0;
    score += span >= 0 ? 4.0 / (1.0 + span) : 0.0;
    score += first >= 0 ? 2.0 / (1.0 + first / 8.0) : 0.0;
    score += 0.5 * std::log1p(inText);
    sqlite3_result_double(context, score);
}

// Registers RankFunction as taalkist_rank on db, with the headword word counts it reads;
// false when FTS5 cannot be had.
bool RegisterRank(sqlite3 *db, const std::string *headwordWords) {
    fts5_api *api = nullptr;
    Statement get(db, "SELECT fts5(?1)");
    if (!get)
        return false;
    sqlite3_bind_pointer(get.get(), 1, &api, "fts5_api_ptr", nullptr);
    sqlite3_step(get.get());
    return api != nullptr && api->iVersion >= 2 &&
           api->xCreateFunction(api, "taalkist_rank", const_cast<std::string *>(headwordWords),
                                RankFunction, nullptr) == SQLITE_OK;
}

// Front-codes sorted keys: a byte of letters shared with the key before, the rest, '\n'.
std::string FrontCoded(const std::vector<std::string> &keys, std::size_t from, std::size_t to) {
    std::string coded;
    std::string_view before;
    for (std::size_t i = from; i < to; ++i) {
        const std::string_view key = keys[i];
        std::size_t shared = 0;
        while (shared < 255 && shared < before.size() && shared < key.size() &&
               before[shared] == key[shared])
            ++shared;
        coded += static_cast<char>(shared);
        coded.append(key.substr(shared));
        coded += '\n';
        before = key;
    }
    return coded;
}

// The first `most` words of a text, near enough as the index's tokenizer takes them: runs
// of ASCII letters and digits and of bytes beyond ASCII, ASCII in lower case.
std::vector<std::string> FirstWords(std::string_view text, std::size_t most) {
    const auto inWord = [](unsigned char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
               c >= 0x80;
    };
    std::vector<std::string> words;
    for (std::size_t i = 0; i < text.size() && words.size() < most;) {
        if (!inWord(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::string word;
        for (; i < text.size() && inWord(static_cast<unsigned char>(text[i])); ++i)
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        words.push_back(std::move(word));
    }
    return words;
}

// Writes data whole over the file at name and syncs it; false on any failure.
bool WriteAndSync(const std::string &name, std::string_view data) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::size_t at = 0; ok && at < data.size();) {
        const ssize_t wrote = ::write(fd, data.data() + at, data.size() - at);
        ok = wrote > 0;
        at += ok ? static_cast<std::size_t>(wrote) : 0;
    }
    ok = ok && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}  // namespace

std::string ArticleIndexPath(const std::string &bookFile) {
    const std::size_t slash = bookFile.find_last_of("/\\");
    const std::size_t dot = bookFile.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return bookFile + ".fts";
    return bookFile.substr(0, dot) + ".fts";
}

namespace {

// ArticleText of either kind of book's markup: a Windows-1252 book's bytes are converted,
// a UTF-8 book's kept.
std::string TextOf(std::string_view html, bool utf8) {
    std::string text;
    text.reserve(html.size());
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            // A tag parts words as a blank would ("<li>a</li><li>b</li>" is two words).
            const std::size_t end = html.find('>', i);
            i = end == std::string_view::npos ? html.size() : end;
            if (!text.empty() && text.back() != ' ')
                text += ' ';
        } else if (c == '&') {
            const std::size_t end = html.find(';', i);
            if (end == std::string_view::npos || end - i > 10) {
                text += '&';
                continue;
            }
            text += Reference(html.substr(i + 1, end - i - 1));
            i = end;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            text += ' ';
        } else if (utf8) {
            text += c;
        } else {
            platform::AppendUtf8(text, platform::Cp1252ToUnicode(static_cast<unsigned char>(c)));
        }
    }
    if (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// The combining marks the key rule drops from a letter: part of the word they follow.
bool IsCombiningMark(std::uint32_t code) {
    return (code >= 0x0300 && code <= 0x036F) || (code >= 0x1AB0 && code <= 0x1AFF) ||
           (code >= 0x1DC0 && code <= 0x1DFF) || (code >= 0x20D0 && code <= 0x20FF) ||
           (code >= 0xFE20 && code <= 0xFE2F);
}

}  // namespace

std::string ArticleText(std::string_view html) {
    return TextOf(html, false);
}

std::string ArticleTextUtf8(std::string_view html) {
    return TextOf(html, true);
}

std::string FoldedWords(std::string_view utf8) {
    std::string folded;
    folded.reserve(utf8.size());
    const auto *p = reinterpret_cast<const std::uint8_t *>(utf8.data());
    const std::uint8_t *end = p + utf8.size();
    bool apart = false;  // a blank is due before the next letter
    while (p < end) {
        std::uint32_t code = 0;
        const std::size_t used = std::max<std::size_t>(1, lexq_utf8_next(p, end, &code));
        char key[64];
        std::size_t length = 0;
        if (code >= '0' && code <= '9') {
            key[length++] = static_cast<char>(code);
        } else {
            const std::size_t size =
                lexq_fold_utf8(reinterpret_cast<const char *>(p), used, nullptr);
            if (size != LEXQ_FOLD_MALFORMED && size <= sizeof key)
                length = lexq_fold_utf8(reinterpret_cast<const char *>(p), used, key);
        }
        p += used;
        if (length == 0) {
            // A mark stays within its word; anything else without a key parts words.
            apart = apart || !IsCombiningMark(code);
            continue;
        }
        if (apart && !folded.empty())
            folded += ' ';
        apart = false;
        folded.append(key, length);
    }
    return folded;
}

struct ArticleIndexWriter::State {
    // An entry's headword (UTF-8) and text (marked headword words, headword, ArticleText of
    // the body) wait in the scratch file, one after the other, until the index is written
    // shortest first: a large book's texts would not fit in memory.
    struct Entry {
        std::uint64_t at;
        std::uint32_t headwordSize, textSize;
        unsigned char headwordWords;  // how many of the text's first words are the headword
    };
    std::string path;
    std::string temporary;
    const Cipher *encipher = nullptr;
    bool utf8 = false;  // a UTF-8 book's: its words folded, and said so in meta
    sqlite3 *db = nullptr;
    std::vector<std::string> reversed;
    std::FILE *texts = nullptr;
    std::uint64_t textsSize = 0;
    std::vector<Entry> entries;
    bool finished = false;
};

ArticleIndexWriter::ArticleIndexWriter(const std::string &path, const Cipher *encipher, bool utf8)
    : state_(std::make_unique<State>()) {
    State &s = *state_;
    s.path = path;
    s.encipher = encipher;
    s.utf8 = utf8;
    // An empty temporary file is a new database to SQLite; the rename makes it the index.
    // Named as this process's work, so that clearing an earlier run's leftovers while the
    // book streams in does not take it.
    s.temporary = TemporaryFile(path).Finish();
    const std::size_t slash = path.rfind('/');
    try {
        s.texts = OpenScratchFile(slash == std::string::npos ? "." : path.substr(0, slash));
    } catch (...) {
        RemoveQuietly(s.temporary);
        throw;
    }
}

ArticleIndexWriter::~ArticleIndexWriter() {
    if (!state_->finished)
        Abandon();
}

void ArticleIndexWriter::Abandon() {
    State &s = *state_;
    sqlite3_close(s.db);
    s.db = nullptr;
    if (s.texts != nullptr)
        std::fclose(s.texts);
    s.texts = nullptr;
    RemoveQuietly(s.temporary);
    s.finished = true;
}

void ArticleIndexWriter::AddKey(std::string_view key) {
    state_->reversed.emplace_back(key.rbegin(), key.rend());
}

void ArticleIndexWriter::AddEntry(std::string_view headword, std::string_view body) {
    State &s = *state_;
    const std::string name = s.utf8 ? std::string(headword) : platform::Cp1252ToUtf8(headword);
    std::string text = s.utf8 ? FoldedWords(ArticleTextUtf8(body)) : ArticleText(body);
    // Articles of the books start with their headword; one that does not gets it in front,
    // so that every entry is found by its headword's words and ranked by them.
    const std::string head = s.utf8 ? FoldedWords(name) : name;
    const std::vector<std::string> words = FirstWords(head, 255);
    if (FirstWords(text, words.size()) != words)
        text = head + "\n" + text;
    std::string marked;
    for (const std::string &word : words)
        marked.append(kHeadwordMark).append(word) += ' ';
    text.insert(0, marked);
    if (std::fwrite(name.data(), 1, name.size(), s.texts) != name.size() ||
        std::fwrite(text.data(), 1, text.size(), s.texts) != text.size())
        throw InputError("De artikelindex '" + s.path + "' kan niet worden opgeslagen.");
    s.entries.push_back({s.textsSize, static_cast<std::uint32_t>(name.size()),
                         static_cast<std::uint32_t>(text.size()),
                         static_cast<unsigned char>(words.size())});
    s.textsSize += name.size() + text.size();
}

std::string ArticleIndexWriter::Finish() {
    State &s = *state_;
    try {
        if (sqlite3_open_v2(s.temporary.c_str(), &s.db, SQLITE_OPEN_READWRITE, nullptr) !=
            SQLITE_OK)
            Fail(s.path, s.db);
        Begin(s.db, s.path, s.utf8);
        {
            Statement keys(s.db, "INSERT INTO rkeys(first, keys) VALUES(?, ?)");
            Statement heads(s.db, "INSERT INTO heads(block, names) VALUES(?, ?)");
            Statement article(s.db, "INSERT INTO articles(rowid, body) VALUES(?, ?)");
            Statement meta(s.db, "INSERT INTO meta(name, value) VALUES('headword words', ?)");
            if (!keys || !heads || !article || !meta)
                Fail(s.path, s.db);
            std::sort(s.reversed.begin(), s.reversed.end());
            s.reversed.erase(std::unique(s.reversed.begin(), s.reversed.end()), s.reversed.end());
            for (std::size_t at = 0; at < s.reversed.size(); at += kBlock) {
                const std::size_t to = std::min(s.reversed.size(), at + kBlock);
                BindText(keys.get(), 1, s.reversed[at]);
                BindBlob(keys.get(), 2, Packed(FrontCoded(s.reversed, at, to)));
                if (sqlite3_step(keys.get()) != SQLITE_DONE)
                    Fail(s.path, s.db);
                sqlite3_reset(keys.get());
            }
            std::vector<std::uint32_t> order(s.entries.size());
            for (std::uint32_t i = 0; i < order.size(); ++i)
                order[i] = i;
            std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
                return s.entries[a].textSize < s.entries[b].textSize;
            });
            if (std::fflush(s.texts) != 0)
                throw InputError("De artikelindex '" + s.path + "' kan niet worden opgeslagen.");
            std::string names, headwordWords, record;
            for (std::size_t n = 0; n < order.size(); ++n) {
                const State::Entry &entry = s.entries[order[n]];
                record.resize(std::size_t{entry.headwordSize} + entry.textSize);
                if (::pread(fileno(s.texts), record.data(), record.size(),
                            static_cast<off_t>(entry.at)) != static_cast<ssize_t>(record.size()))
                    throw InputError("De artikelindex '" + s.path +
                                     "' kan niet worden opgeslagen.");
                sqlite3_bind_int64(article.get(), 1, static_cast<sqlite3_int64>(n + 1));
                BindText(article.get(), 2, std::string_view(record).substr(entry.headwordSize));
                headwordWords += static_cast<char>(entry.headwordWords);
                if (sqlite3_step(article.get()) != SQLITE_DONE)
                    Fail(s.path, s.db);
                sqlite3_reset(article.get());
                names.append(record, 0, entry.headwordSize) += '\0';
                if ((n + 1) % kHeadBlock == 0 || n + 1 == order.size()) {
                    sqlite3_bind_int64(heads.get(), 1, static_cast<sqlite3_int64>(n / kHeadBlock));
                    BindBlob(heads.get(), 2, Packed(names));
                    if (sqlite3_step(heads.get()) != SQLITE_DONE)
                        Fail(s.path, s.db);
                    sqlite3_reset(heads.get());
                    names.clear();
                }
            }
            BindBlob(meta.get(), 1, Packed(headwordWords));
            if (sqlite3_step(meta.get()) != SQLITE_DONE)
                Fail(s.path, s.db);
        }
        s.entries.clear();
        s.reversed.clear();
        std::fclose(s.texts);
        s.texts = nullptr;
        Run(s.db, s.path, "COMMIT");
        // One b-tree per term instead of many small segments: smaller and faster to query.
        Run(s.db, s.path, "INSERT INTO articles(articles) VALUES('optimize'); VACUUM;");
        if (sqlite3_close(s.db) != SQLITE_OK)
            Fail(s.path, s.db);
        s.db = nullptr;
        // SQLite wrote without syncing; the file reaches the disk before its rename, the
        // index of an enciphered book enciphered as the book is.
        std::string file;
        bool written = ReadWholeFile(s.temporary, file);
        if (written && s.encipher != nullptr) {
            (*s.encipher)(0, reinterpret_cast<std::uint8_t *>(file.data()),
                          static_cast<std::uint32_t>(file.size()));
            file.insert(0, kEnciphered);
        }
        written = written && WriteAndSync(s.temporary, file);
        if (!written)
            throw InputError("De artikelindex '" + s.path + "' kan niet worden opgeslagen.");
    } catch (...) {
        Abandon();
        throw;
    }
    s.finished = true;
    return s.temporary;
}

std::string WriteArticleIndexBeside(const std::string &path,
                                    const std::vector<SourceEntry> &entries, const KeyTable &keys,
                                    Progress *progress, const Cipher *encipher, bool utf8) {
    Progress none(nullptr);
    Progress &bar = progress != nullptr ? *progress : none;
    ArticleIndexWriter writer(path, encipher, utf8);
    for (const auto &[key, hits] : keys.keys)
        writer.AddKey(key);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        writer.AddEntry(entries[i].headword, entries[i].body);
        bar.Step(i + 1, entries.size());
    }
    return writer.Finish();
}

void WriteArticleIndex(const std::string &path, const std::vector<SourceEntry> &entries,
                       const KeyTable &keys, Progress *progress, const Cipher *encipher,
                       bool utf8) {
    const std::string temporary =
        WriteArticleIndexBeside(path, entries, keys, progress, encipher, utf8);
    try {
        CommitTemporary(temporary, path);
    } catch (...) {
        RemoveQuietly(temporary);
        throw;
    }
}

namespace {

// Opens an enciphered index: read whole, deciphered, and handed to SQLite as a read-only
// database in memory. Null with the reason in status.
sqlite3 *OpenEnciphered(const std::string &path, const std::string &cryptPath,
                        ArticleIndex::OpenStatus &status) {
    std::unique_ptr<CryptLibrary> crypt;
    try {
        crypt = CryptLibrary::Load(cryptPath);
    } catch (const InputError &) {
        status = ArticleIndex::OpenStatus::NoCrypt;
        return nullptr;
    }
    status = ArticleIndex::OpenStatus::Damaged;
    std::string file;
    if (!ReadWholeFile(path, file) || file.size() <= kEnciphered.size() ||
        file.size() - kEnciphered.size() > UINT32_MAX)
        return nullptr;
    const std::size_t size = file.size() - kEnciphered.size();
    auto *image = static_cast<unsigned char *>(sqlite3_malloc64(size));
    if (image == nullptr)
        return nullptr;
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(kEnciphered.size()), file.end(), image);
    crypt->Decrypt()(0, image, static_cast<std::uint32_t>(size));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_free(image);
        sqlite3_close(db);
        return nullptr;
    }
    // SQLite owns the image from here on, whatever the call returns.
    if (sqlite3_deserialize(
            db, "main", image, static_cast<sqlite3_int64>(size), static_cast<sqlite3_int64>(size),
            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

}  // namespace

// One inflate state for every block the index reads: set up once, reset per block.
struct ArticleIndex::Inflater {
    z_stream stream{};
    bool ready = false;
    ~Inflater() {
        if (ready)
            inflateEnd(&stream);
    }
};

bool ArticleIndex::Unpack(std::string_view packed, std::string &plain, std::size_t most) {
    // Damaged: too short, a length beyond most, a stream that fails or inflates to another
    // length.
    if (packed.size() < 4)
        return false;
    std::size_t length = 0;
    for (int i = 0; i < 4; ++i)
        length |= static_cast<std::size_t>(static_cast<unsigned char>(packed[i])) << (8 * i);
    if (length > most)
        return false;
    if (!m_inflater)
        m_inflater = std::make_unique<Inflater>();
    z_stream &stream = m_inflater->stream;
    if (!m_inflater->ready) {
        if (inflateInit2(&stream, -15) != Z_OK)
            return false;
        m_inflater->ready = true;
    } else if (inflateReset(&stream) != Z_OK) {
        return false;
    }
    plain.assign(length, '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.data() + 4));
    stream.avail_in = static_cast<uInt>(packed.size() - 4);
    stream.next_out = reinterpret_cast<Bytef *>(plain.data());
    stream.avail_out = static_cast<uInt>(length);
    return inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.total_out == length;
}

std::unique_ptr<ArticleIndex> ArticleIndex::Open(const std::string &path, OpenStatus &status,
                                                 const std::string &cryptPath) {
    status = OpenStatus::Missing;
    if (::access(path.c_str(), R_OK) != 0)
        return nullptr;
    status = OpenStatus::Damaged;
    char start[16] = {};
    static_assert(sizeof start == kEnciphered.size());
    std::FILE *file = std::fopen(path.c_str(), "rb");
    const bool enciphered = file != nullptr &&
                            std::fread(start, 1, sizeof start, file) == sizeof start &&
                            std::string_view(start, sizeof start) == kEnciphered;
    if (file != nullptr)
        std::fclose(file);
    sqlite3 *db = nullptr;
    // Without locks ("unix-none"): the file is never written in place (a new index is
    // renamed over it), and a lock per statement cost a fifth of a search.
    if (enciphered) {
        db = OpenEnciphered(path, cryptPath, status);
        if (db == nullptr)
            return nullptr;
        status = OpenStatus::Damaged;
    } else if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, "unix-none") != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<ArticleIndex> index(new ArticleIndex(db));
    {
        Statement format(db, "SELECT value FROM meta WHERE name = 'format'");
        if (!format || sqlite3_step(format.get()) != SQLITE_ROW)
            return nullptr;
        const std::string_view value = ColumnText(format.get(), 0);
        if (value != kFormat) {
            // An earlier format is refused as such: its maker can make it again.
            if (value.substr(0, kFormatStem.size()) == kFormatStem)
                status = OpenStatus::Outdated;
            return nullptr;
        }
        // The tables the queries read, so that a file of another kind fails here.
        Statement tables(db,
                         "SELECT count(*) FROM sqlite_schema WHERE name IN"
                         " ('rkeys', 'heads', 'articles')");
        if (!tables || sqlite3_step(tables.get()) != SQLITE_ROW ||
            sqlite3_column_int(tables.get(), 0) != 3)
            return nullptr;
        Statement keys(db, "SELECT value FROM meta WHERE name = 'keys'");
        if (!keys)
            return nullptr;
        const int step = sqlite3_step(keys.get());
        if (step == SQLITE_ROW && ColumnText(keys.get(), 0) != "utf-8")
            return nullptr;  // keys of a kind this reader does not know
        index->m_utf8 = step == SQLITE_ROW;
    }
    status = OpenStatus::Ok;
    return index;
}

ArticleIndex::ArticleIndex(sqlite3 *db) : m_db(db) {}

ArticleIndex::~ArticleIndex() {
    sqlite3_finalize(m_heads);
    sqlite3_close(m_db);
}

bool ArticleIndex::KeysEndingWith(std::string_view suffix,
                                  const std::function<bool(std::string_view key)> &visit) {
    // The block that may hold the first key with the reversed suffix at its start, and the
    // blocks after it up to the last that can: no byte of a key is 0xFF (the letters A to
    // Z, or UTF-8), and keys compare byte by byte.
    Statement range(m_db,
                    "SELECT keys FROM rkeys WHERE first >= (SELECT coalesce(max(first), '')"
                    " FROM rkeys WHERE first <= ?1) AND first < ?2 ORDER BY first");
    if (!range)
        return false;
    const std::string start(suffix.rbegin(), suffix.rend());
    BindText(range.get(), 1, start);
    BindText(range.get(), 2, start + '\xFF');
    int step;
    std::string coded, rkey, key;
    while ((step = sqlite3_step(range.get())) == SQLITE_ROW) {
        if (!Unpack(ColumnBlob(range.get(), 0), coded, kMostPlain))
            return false;
        rkey.clear();
        for (std::size_t at = 0; at < coded.size();) {
            // A shared length beyond the key before, or a key without its line end, is a
            // damaged block.
            const std::size_t shared = static_cast<unsigned char>(coded[at++]);
            const std::size_t end = coded.find('\n', at);
            if (shared > rkey.size() || end == std::string_view::npos)
                return false;
            rkey.resize(shared);
            rkey.append(coded.substr(at, end - at));
            at = end + 1;
            if (rkey.compare(0, start.size(), start) != 0) {
                if (rkey > start)
                    return true;
                continue;
            }
            key.assign(rkey.rbegin(), rkey.rend());
            if (!visit(key))
                return true;
        }
    }
    return step == SQLITE_DONE;
}

bool ArticleIndex::Rank(const std::string &expression, int phrases, std::size_t cap,
                        std::vector<std::pair<double, std::int64_t>> &scored, std::string &error) {
    // Matches come in number order: the shortest articles first.
    Statement rows(m_db,
                   "SELECT rowid, taalkist_rank(articles, ?3) FROM articles WHERE articles MATCH ?1"
                   " LIMIT ?2");
    if (!rows) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    BindText(rows.get(), 1, expression);
    sqlite3_bind_int64(
        rows.get(), 2,
        cap == kEvery ? -1 : static_cast<sqlite3_int64>(std::min<std::size_t>(cap, INT64_MAX)));
    sqlite3_bind_int(rows.get(), 3, phrases);
    int step;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW)
        scored.emplace_back(sqlite3_column_double(rows.get(), 1),
                            sqlite3_column_int64(rows.get(), 0));
    if (step != SQLITE_DONE) {
        error = sqlite3_errmsg(m_db);
        return false;
    }
    return true;
}

bool ArticleIndex::Headword(std::int64_t id, std::string &headword) {
    if (id < 1)
        return false;
    const std::int64_t block = (id - 1) / static_cast<std::int64_t>(kHeadBlock);
    if (block != m_block) {
        m_block = -1;
        m_names.clear();
        // Prepared once: a page's headwords lie in up to as many blocks.
        if (m_heads == nullptr &&
            sqlite3_prepare_v2(m_db, "SELECT names FROM heads WHERE block = ?", -1, &m_heads,
                               nullptr) != SQLITE_OK)
            return false;
        sqlite3_reset(m_heads);
        sqlite3_bind_int64(m_heads, 1, block);
        std::string names;
        if (sqlite3_step(m_heads) != SQLITE_ROW ||
            !Unpack(ColumnBlob(m_heads, 0), names, kMostPlain))
            return false;
        for (std::size_t at = 0; at < names.size();) {
            const std::size_t end = names.find('\0', at);
            if (end == std::string_view::npos)
                return false;  // a name without its end: a damaged block
            m_names.emplace_back(names.substr(at, end - at));
            at = end + 1;
        }
        m_block = block;
    }
    const std::size_t at =
        static_cast<std::size_t>((id - 1) % static_cast<std::int64_t>(kHeadBlock));
    if (at >= m_names.size())
        return false;
    headword = m_names[at];
    return true;
}

// Read at the first search, not at the open: a pattern's walk of the keys needs neither.
bool ArticleIndex::LoadHeadwordWords() {
    if (m_headwordWordsRead)
        return true;
    // A byte per entry, for the rank: no more than the headword blocks can number.
    Statement blocks(m_db, "SELECT coalesce(max(block), -1) + 1 FROM heads");
    Statement words(m_db, "SELECT value FROM meta WHERE name = 'headword words'");
    if (!blocks || sqlite3_step(blocks.get()) != SQLITE_ROW || !words ||
        sqlite3_step(words.get()) != SQLITE_ROW ||
        !Unpack(ColumnBlob(words.get(), 0), m_headwordWords,
                static_cast<std::size_t>(sqlite3_column_int64(blocks.get(), 0)) * kHeadBlock) ||
        !RegisterRank(m_db, &m_headwordWords))
        return false;
    m_headwordWordsRead = true;
    return true;
}

std::optional<std::size_t> ArticleIndex::Entries() {
    if (!LoadHeadwordWords())
        return std::nullopt;
    return m_headwordWords.size();
}

bool ArticleIndex::Search(const Query &query, std::size_t limit, Found &found, std::string &error) {
    found = Found();
    if (!LoadHeadwordWords()) {
        error = "de lengtes van de trefwoorden ontbreken";
        return false;
    }
    std::vector<std::pair<double, std::int64_t>> scored;
    if (limit == kEvery) {
        if (!Rank(query.all, query.phrases, kEvery, scored, error))
            return false;
        found.total = scored.size();
    } else {
        // The headword matches and the shortest articles' matches, each bounded: the
        // likeliest best ones, ranked; the rest only counted, up to a cap.
        // Candidates with a wanted word in the headword: its marked word's list is short,
        // so that the query skips through the rest.
        std::string marked;
        for (const Query::Word &word : query.words) {
            std::string quoted;
            for (const char c : word.text)
                quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            marked += (marked.empty() ? "\"" : " OR \"") + std::string(kHeadwordMark) + quoted +
                      (word.prefix ? "\" *" : "\"");
        }
        if ((!marked.empty() && !Rank("(" + query.all + ") AND (" + marked + ")", query.phrases,
                                      kCandidates, scored, error)) ||
            !Rank(query.all, query.phrases, kCandidates, scored, error))
            return false;
        std::sort(scored.begin(), scored.end(),
                  [](const auto &a, const auto &b) { return a.second < b.second; });
        scored.erase(std::unique(scored.begin(), scored.end(),
                                 [](const auto &a, const auto &b) { return a.second == b.second; }),
                     scored.end());
        Statement count(m_db,
                        "SELECT count(*) FROM (SELECT 1 FROM articles WHERE articles MATCH ?"
                        " LIMIT ?)");
        if (!count) {
            error = sqlite3_errmsg(m_db);
            return false;
        }
        BindText(count.get(), 1, query.all);
        sqlite3_bind_int64(count.get(), 2, static_cast<sqlite3_int64>(kCountCap) + 1);
        if (sqlite3_step(count.get()) != SQLITE_ROW) {
            error = sqlite3_errmsg(m_db);
            return false;
        }
        found.total = static_cast<std::size_t>(sqlite3_column_int64(count.get(), 0));
        found.capped = found.total > kCountCap;
        found.total = std::min(found.total, kCountCap);
    }
    // Best first; of equal ones the shorter article.
    const auto better = [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    };
    const std::size_t keep = std::min(limit, scored.size());
    std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(keep),
                      scored.end(), better);
    found.matches.resize(keep);
    // Headwords read in number order: each block is unpacked once.
    std::vector<std::size_t> order(keep);
    for (std::size_t i = 0; i < keep; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return scored[a].second < scored[b].second; });
    for (const std::size_t i : order) {
        found.matches[i].score = scored[i].first;
        if (!Headword(scored[i].second, found.matches[i].headword)) {
            error = "een artikel van de index ontbreekt";
            found = Found();
            return false;
        }
    }
    return true;
}

}  // namespace books
