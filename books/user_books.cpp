#include "books/user_books.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>

#include "books/article_index.h"
#include "books/builder.h"
#include "books/converter.h"
#include "books/dictd_import.h"
#include "books/dsl.h"
#include "books/exact_words.h"
#include "books/keys.h"
#include "books/safe_file.h"
#include "books/server_books.h"
#include "books/shelf.h"
#include "books/source.h"
#include "books/stardict.h"
#include "platform/encoding.h"

namespace books {

namespace {

// A stylesheet for the books when the program's own cannot be read.
constexpr const char *kFallbackStyle =
    "body { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 10pt; }\n"
    "p { margin-top: 4px; margin-bottom: 4px; }\n"
    "b.hw { font-size: 14pt; color: #1f3f7f; }\n"
    "span.pron { color: #6e6e6e; }\n";

constexpr std::size_t kMaxNameLength = 40;

std::string Trim(const std::string &text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool EndsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool IsSection(const std::string &line, const char *name) {
    const std::string t = Trim(line);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']' &&
           Lower(Trim(t.substr(1, t.size() - 2))) == name;
}

bool IsAnySection(const std::string &line) {
    const std::string t = Trim(line);
    return !t.empty() && t.front() == '[';
}

std::string KeyOf(const std::string &line) {
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : Trim(line.substr(0, eq));
}

// Names compare as the viewer's catalogue compares them.
bool SameName(const std::string &a, const std::string &b) {
    return platform::EqualNoCaseUtf8(a, b);
}

// The viewer's reader drops one pair of matching quotation marks around a value.
std::string Unquote(const std::string &value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The lines of the first section of the name ([dictionaries]: the book list): from its
// first line to its end.
std::pair<std::size_t, std::size_t> BookListLines(const std::vector<std::string> &lines,
                                                  const char *section = "dictionaries") {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsSection(lines[i], section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && !IsAnySection(lines[end]))
            ++end;
        return {i + 1, end};
    }
    return {lines.size(), lines.size()};
}

std::string Join(const std::vector<std::string> &lines) {
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

// The text with the key's line in the first section of the name set to the value (added at
// the section's end, or with the section at the text's end); every other line kept.
std::string WithKey(const std::string &text, const char *section, const std::string &key,
                    const std::string &value) {
    std::vector<std::string> lines = Lines(text);
    const auto [first, end] = BookListLines(lines, section);
    const std::string line = key + "=" + value;
    const bool missing =
        first == lines.size() && (lines.empty() || !IsSection(lines.back(), section));
    if (missing) {
        while (!lines.empty() && Trim(lines.back()).empty())
            lines.pop_back();
        if (!lines.empty())
            lines.emplace_back();
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(line);
        return Join(lines);
    }
    std::size_t at = first;
    for (std::size_t i = first; i < end; ++i) {
        if (Trim(lines[i]).rfind(';', 0) != 0 && SameName(KeyOf(lines[i]), key)) {
            lines[i] = line;
            return Join(lines);
        }
        if (!Trim(lines[i]).empty())
            at = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    return Join(lines);
}

// The files of one dictionary and its kind, from what the user named.
struct Source {
    bool converted = false;  // through the converter: `original` is the user's file
    std::string original;
    bool stardict = false;
    bool dsl = false;
    std::string index, dict;  // dictd
    StardictFiles star;
    DslFiles dslFiles;
    std::string stem;  // the base name of the files, without folder
};

const std::vector<std::pair<std::string, std::string>> &Roles() {
    static const std::vector<std::pair<std::string, std::string>> roles = {
        {".index", "index"}, {".dict.dz", "dict"}, {".dict", "dict"}, {".ifo", "ifo"},
        {".idx.gz", "idx"},  {".idx", "idx"},      {".syn", "syn"},   {"_abrv.dsl", "abrv"},
        {".dsl.dz", "dsl"},  {".dsl", "dsl"}};
    return roles;
}

std::string Beside(const std::string &stemPath, std::initializer_list<const char *> endings) {
    for (const char *ending : endings) {
        std::error_code error;
        if (std::filesystem::is_regular_file(stemPath + ending, error))
            return stemPath + ending;
    }
    return {};
}

Source Resolve(const std::vector<std::string> &files) {
    if (files.empty())
        throw InputError("Geef de bestanden van het woordenboek op.");
    std::vector<std::pair<std::string, std::string>> given;  // role, path
    std::string stemPath;
    for (const std::string &file : files) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(file, error))
            throw InputError("Het bestand '" + file + "' bestaat niet.");
        std::string role;
        for (const auto &[ending, name] : Roles()) {
            if (EndsWith(file, ending)) {
                role = name;
                if (stemPath.empty())
                    stemPath = file.substr(0, file.size() - ending.size());
                break;
            }
        }
        if (role.empty() && ConverterFormat(file) && files.size() == 1) {
            Source source;
            source.converted = true;
            source.original = file;
            source.stem = std::filesystem::path(file).stem().string();
            return source;
        }
        if (role.empty()) {
            throw InputError(
                "'" + file +
                "' is geen bestand van een dictd-woordenboek (.index, .dict, "
                ".dict.dz) of een StarDict-woordenboek (.ifo, .idx, .idx.gz, .dict, "
                ".dict.dz, .syn), een DSL-woordenboek (.dsl, .dsl.dz) of een ander "
                "formaat dat pyglossary omzet (.mdx, .xdxf, .bgl, .slob, .ld2, .csv).");
        }
        for (const auto &[r, path] : given)
            if (r == role)
                throw InputError("Geef de bestanden van één woordenboek tegelijk op.");
        given.emplace_back(role, file);
    }
    auto get = [&](const char *role) {
        for (const auto &[r, path] : given)
            if (r == role)
                return path;
        return std::string();
    };
    if (!get("index").empty() &&
        (!get("ifo").empty() || !get("idx").empty() || !get("syn").empty()))
        throw InputError("Geef de bestanden van één woordenboek tegelijk op.");
    Source source;
    source.stem = std::filesystem::path(stemPath).filename().string();
    if (!get("dsl").empty() || !get("abrv").empty()) {
        if (given.size() != (get("dsl").empty() ? 0u : 1u) + (get("abrv").empty() ? 0u : 1u))
            throw InputError("Geef de bestanden van één woordenboek tegelijk op.");
        source.dsl = true;
        source.dslFiles.dsl =
            !get("dsl").empty() ? get("dsl") : Beside(stemPath, {".dsl.dz", ".dsl"});
        if (source.dslFiles.dsl.empty())
            throw InputError("Het DSL-woordenboek is niet compleet: '" + stemPath +
                             ".dsl' ontbreekt.");
        source.dslFiles.abbreviations =
            !get("abrv").empty() ? get("abrv") : Beside(stemPath, {"_abrv.dsl", "_abrv.dsl.dz"});
        return source;
    }
    source.stardict = !get("ifo").empty() || !get("idx").empty() || !get("syn").empty() ||
                      (get("index").empty() && !Beside(stemPath, {".ifo"}).empty());
    if (source.stardict) {
        source.star.ifo = !get("ifo").empty() ? get("ifo") : Beside(stemPath, {".ifo"});
        source.star.idx = !get("idx").empty() ? get("idx") : Beside(stemPath, {".idx", ".idx.gz"});
        source.star.dict =
            !get("dict").empty() ? get("dict") : Beside(stemPath, {".dict.dz", ".dict"});
        source.star.syn = !get("syn").empty() ? get("syn") : Beside(stemPath, {".syn"});
        for (const auto &[path, ending] :
             {std::pair{&source.star.ifo, ".ifo"}, std::pair{&source.star.idx, ".idx"},
              std::pair{&source.star.dict, ".dict"}}) {
            if (path->empty()) {
                throw InputError("Het StarDict-woordenboek is niet compleet: '" + stemPath +
                                 ending + "' ontbreekt.");
            }
        }
        return source;
    }
    source.index = !get("index").empty() ? get("index") : Beside(stemPath, {".index"});
    source.dict = !get("dict").empty() ? get("dict") : Beside(stemPath, {".dict.dz", ".dict"});
    if (source.index.empty())
        throw InputError("Het dictd-woordenboek is niet compleet: '" + stemPath +
                         ".index' ontbreekt.");
    if (source.dict.empty())
        throw InputError("Het dictd-woordenboek is niet compleet: '" + stemPath +
                         ".dict.dz' ontbreekt.");
    return source;
}

// A book name made of a-z, 0-9 and "-": a file base name, a command-line word and a
// path the search library opens. Letters outside Windows-1252 separate like spaces; empty
// when no letter is left.
std::string NameFor(const std::string &utf8) {
    std::string name;
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t code = 0;
        const std::size_t used = platform::DecodeUtf8(utf8, i, code);
        i += std::max<std::size_t>(used, 1);
        const unsigned char byte = used == 0 ? '?' : platform::UnicodeToCp1252(code);
        std::string letters;
        if (std::isalnum(byte) != 0 && byte < 0x80)
            letters = std::string(1, static_cast<char>(std::tolower(byte)));
        else
            letters = Lower(FoldKey(std::string(1, static_cast<char>(byte))));
        if (letters.empty()) {
            if (!name.empty() && name.back() != '-')
                name += '-';
        } else {
            name += letters;
        }
    }
    if (name.size() > kMaxNameLength)
        name.resize(kMaxNameLength);
    while (!name.empty() && name.back() == '-')
        name.pop_back();
    return name;
}

// Refuses a name or display name that a book of either catalogue has already.
void CheckFree(const UserShelf &shelf, const std::string &programDataDir, const std::string &name,
               const std::string &displayName) {
    std::vector<CatalogueEntry> books = ReadCatalogue(shelf.catalogue);
    if (!programDataDir.empty()) {
        const std::vector<CatalogueEntry> own = ReadCatalogue(programDataDir + "/dict.cfg");
        books.insert(books.end(), own.begin(), own.end());
    }
    for (const CatalogueEntry &book : books) {
        const bool sameName = SameName(book.name, name);
        if (sameName || (!displayName.empty() && SameName(book.displayName, displayName))) {
            throw InputError("Er is al een woordenboek met de naam '" +
                             (sameName ? name : displayName) + "'.");
        }
    }
}

// The page's stylesheet beside the user's books, written with the book's other files when it
// is not there yet (the program's own, else a plain one); returns its text.
std::string StylesheetTemporary(const std::string &cssPath, const std::string &programDataDir,
                                std::vector<std::pair<std::string, std::string>> &temporaries) {
    std::string style;
    ReadWholeFile(cssPath, style);
    if (!style.empty())
        return style;
    if (programDataDir.empty() || !ReadWholeFile(programDataDir + "/dict.css", style) ||
        style.empty())
        style = kFallbackStyle;
    temporaries.emplace_back(WriteTemporaryBeside(cssPath, style), cssPath);
    return style;
}

// The book's settings: speech in its source language when it has one, and the book of the
// other direction for the new window.
std::string DefText(const std::string &name, const std::string &voice, const std::string &partner,
                    const std::string &stylesheet, const std::string &licence) {
    const std::string speech =
        voice.empty() ? "fluency=0\n" : "fluency=1\nfluencyfld=3\nfluencyvoice=" + voice + "\n";
    return "[dictionary]\n" + speech + "stylesheet=" + stylesheet + "\n" +
           (licence.empty() ? "" : "licence=" + licence + "\n") +
           "\n[compldictionary]\ndictionary=" + partner + "\n";
}

// A licence line for the shelf to show: one line, bounded, else none.
std::string LicenceLine(const std::string &text) {
    std::string licence = Trim(text);
    return licence.size() <= 300 && IsDisplayName(licence) ? licence : std::string();
}

// The licence line a StarDict book's description gives ("copyright=").
std::string LicenceOf(const std::string &ifo) {
    std::string text;
    if (ifo.empty() || !ReadWholeFile(ifo, text))
        return {};
    for (const std::string &line : Lines(text))
        if (line.rfind("copyright=", 0) == 0)
            return LicenceLine(line.substr(10));
    return {};
}

// A DSL book's direction from its header: "en" when it explains English in English,
// "en-ru" from English to Russian; empty when the header names no language we know.
std::string DirectionOf(const DslInfo &info) {
    const std::string from = DslLanguageCode(info.indexLanguage);
    const std::string to = DslLanguageCode(info.contentsLanguage);
    if (from.empty())
        return {};
    return to.empty() || to == from ? from : from + "-" + to;
}

// The viewer reads a book's source language from its name, before the first dash: a book
// with a direction gets it at the front of its name unless the name starts with it.
std::string WithDirection(const std::string &name, const std::string &direction) {
    if (direction.empty() || name == direction || name.rfind(direction + "-", 0) == 0)
        return name;
    std::string named = direction + "-" + name;
    if (named.size() > kMaxNameLength)
        named.resize(kMaxNameLength);
    while (!named.empty() && named.back() == '-')
        named.pop_back();
    return named;
}

// The book of the other direction ("ru-en..." for "en-ru..."), of either catalogue, else the
// book itself.
std::string PartnerOf(const UserShelf &shelf, const std::string &programDataDir,
                      const std::string &name, const std::string &direction) {
    const std::size_t dash = direction.find('-');
    if (dash == std::string::npos)
        return name;
    const std::string other = direction.substr(dash + 1) + "-" + direction.substr(0, dash);
    std::vector<CatalogueEntry> books;
    if (!programDataDir.empty())
        books = ReadCatalogue(programDataDir + "/dict.cfg");
    const std::vector<CatalogueEntry> own = ReadCatalogue(shelf.catalogue);
    books.insert(books.end(), own.begin(), own.end());
    for (const CatalogueEntry &book : books) {
        const std::string lower = Lower(book.name);
        if (lower == other || lower.rfind(other + "-", 0) == 0)
            return book.name;
    }
    return name;
}

std::string CatalogueWith(const std::string &old, const std::string &line) {
    std::vector<std::string> lines = Lines(old);
    if (lines.empty())
        lines = {"[version]", "version=1", ""};
    auto [first, end] = BookListLines(lines);
    if (first > lines.size() ||
        (first == lines.size() && !IsSection(lines.back(), "dictionaries"))) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.emplace_back("[dictionaries]");
        lines.push_back(line);
        return Join(lines);
    }
    std::size_t at = first;
    for (std::size_t i = first; i < end; ++i)
        if (!Trim(lines[i]).empty())
            at = i + 1;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    return Join(lines);
}

// Files of an import that an earlier, killed run left behind.
void RemoveLeftovers(const std::string &folder) {
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        if (LeftBehind(entry.path().filename().string()))
            RemoveQuietly(entry.path().string());
    }
}

// The folders up to a folder that are not there yet; unless kept, those of them that are
// still empty go again, so that a refused book leaves nothing behind.
class NewFolders {
  public:
    explicit NewFolders(const std::string &folder) {
        std::error_code error;
        for (std::filesystem::path p(folder); !p.empty() && !std::filesystem::exists(p, error);
             p = p.parent_path())
            missing_.push_back(p);
    }
    ~NewFolders() {
        std::error_code error;
        if (!kept_)
            for (const std::filesystem::path &p : missing_)
                std::filesystem::remove(p, error);  // only an empty folder goes
    }
    NewFolders(const NewFolders &) = delete;
    NewFolders &operator=(const NewFolders &) = delete;
    void Keep() { kept_ = true; }

  private:
    std::vector<std::filesystem::path> missing_;  // the deepest first
    bool kept_ = false;
};

class TemporaryFileSink : public ByteSink {
  public:
    explicit TemporaryFileSink(TemporaryFile &file) : file_(file) {}
    void Append(const std::uint8_t *data, std::size_t size) override { file_.Append(data, size); }
    void WriteAt(std::size_t at, const std::uint8_t *data, std::size_t size) override {
        file_.WriteAt(at, data, size);
    }
    std::size_t Size() const override { return file_.Size(); }

  private:
    TemporaryFile &file_;
};

struct Imported {
    DictdImportCounts counts;
    std::vector<std::string> warnings;
    std::string ownName;  // UTF-8
};

// Reads the dictionary, handing each record of source text on as it is made.
Imported Import(const Source &source, Progress *progress, const RecordSink &emit) {
    Imported result;
    Diagnostics diag = source.stardict ? Diagnostics(source.star.idx, "entry")
                       : source.dsl    ? Diagnostics(source.dslFiles.dsl)
                                       : Diagnostics(source.index);
    if (source.dsl) {
        DslInfo info;
        ImportDslRecords(source.dslFiles, diag, result.counts, info, progress, emit);
        result.ownName = Trim(info.name);
    } else if (source.stardict) {
        StardictInfo info;
        ImportStardictRecords(source.star, "", diag, result.counts, info, progress, emit);
        result.ownName = Trim(info.bookName);
    } else {
        std::string index, text;
        for (const auto &[path, target] :
             {std::pair{&source.index, &index}, std::pair{&source.dict, &text}}) {
            try {
                *target = ReadGzipFile(*path);
            } catch (const InputError &) {
                throw InputError("Het bestand '" + *path +
                                 "' is beschadigd of onvolledig: het kan niet worden gelezen of "
                                 "uitgepakt.");
            }
        }
        DictdImportOptions options;
        options.progress = progress;
        index.shrink_to_fit();
        ImportDictdRecords(index, text, options, diag, &result.counts, emit);
        if (result.counts.firstBadLine != 0) {
            throw InputError("Het woordenboek '" + source.index +
                             "' is beschadigd of onvolledig: regel " +
                             std::to_string(result.counts.firstBadLine) + " van de index " +
                             (result.counts.beyondText
                                  ? "wijst voorbij het einde van de tekst in '" + source.dict + "'."
                                  : "is onleesbaar."));
        }
        result.ownName = DecodeLenient(result.counts.shortName);
    }
    result.warnings = diag.Warnings();
    const DictdImportCounts &c = result.counts;
    if (c.foreignScript > 0 && c.foreignScript >= c.records) {
        throw InputError(
            "Het schrift van dit woordenboek wordt niet ondersteund: trefwoorden "
            "zoals '" +
            c.firstForeign + "' hebben geen zoeksleutel in de letters A tot Z (van de " +
            std::to_string(c.entries) + " woorden zijn er " + std::to_string(c.foreignScript) +
            " in een ander schrift).");
    }
    if (c.records == 0)
        throw InputError("Het woordenboek bevat geen woorden die kunnen worden opgezocht.");
    return result;
}

}  // namespace

std::string CatalogueText(const std::string &path) {
    std::string bytes;
    ReadWholeFile(path, bytes);
    return platform::UserTextToUtf8(bytes);
}

bool IsDisplayName(const std::string &text) {
    if (text.empty())
        return false;
    char32_t code = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t used = platform::DecodeUtf8(text, i, code);
        if (used == 0 || code < 0x20 || (code >= 0x7F && code <= 0x9F) || code == 0x2028 ||
            code == 0x2029)
            return false;
        i += used;
    }
    return true;
}

UserShelf DefaultUserShelf() {
    const char *data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data != nullptr && data[0] == '/') {
        base = data;
    } else {
        const char *home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.local/share";
    }
    return UserShelfAt(base + "/taalkist/eigen");
}

UserShelf UserShelfAt(const std::string &root) {
    UserShelf shelf;
    shelf.root = root;
    shelf.dataDir = root + "/data";
    shelf.imgsDir = root + "/imgs";
    shelf.catalogue = shelf.dataDir + "/dict.cfg";
    return shelf;
}

std::vector<std::pair<std::string, std::string>> ReadCatalogueSection(const std::string &path,
                                                                      const char *section) {
    std::vector<std::pair<std::string, std::string>> pairs;
    const std::vector<std::string> lines = Lines(CatalogueText(path));
    const auto [first, end] = BookListLines(lines, section);
    for (std::size_t i = first; i < end; ++i) {
        const std::size_t eq = lines[i].find('=');
        if (eq == std::string::npos || Trim(lines[i]).front() == ';')
            continue;
        std::string key = Trim(lines[i].substr(0, eq));
        std::string value = Unquote(Trim(lines[i].substr(eq + 1)));
        if (key.empty() || value.empty())
            continue;
        const bool seen = std::any_of(pairs.begin(), pairs.end(),
                                      [&](const auto &pair) { return SameName(pair.first, key); });
        if (!seen)
            pairs.emplace_back(std::move(key), std::move(value));
    }
    return pairs;
}

std::vector<CatalogueEntry> ReadCatalogue(const std::string &path) {
    std::vector<CatalogueEntry> books;
    for (const auto &[key, value] : ReadCatalogueSection(path, "dictionaries")) {
        CatalogueEntry book;
        book.name = key;
        const std::size_t semicolon = value.find(';');
        book.listed = semicolon != std::string::npos && value.substr(0, semicolon) == "1";
        book.displayName = semicolon == std::string::npos ? value : value.substr(semicolon + 1);
        books.push_back(std::move(book));
    }
    return books;
}

// The kind of book a dictionary makes, from a first reading of its records: UTF-8 when a
// headword, direction or key lies beyond Windows-1252.
TextKind BookKind(const Source &source) {
    TextKind kind = TextKind::Cp1252;
    Diagnostics ignored;  // the real reading reports them
    Import(source, nullptr, [&](const std::string &record) {
        if (kind == TextKind::Utf8)
            return;
        for (const SourceEntry &entry : ParseSource(record, ignored, 0, TextKind::Utf8))
            if (NeedsUtf8(entry))
                kind = TextKind::Utf8;
    });
    return kind;
}

AddResult AddUserBook(const UserShelf &shelf, const AddRequest &request, Progress *progress) {
    Source source = Resolve(request.files);
    std::string displayName = Trim(request.displayName);
    if (!request.displayName.empty() && !IsDisplayName(displayName)) {
        throw InputError("De naam '" + platform::UserTextToUtf8(request.displayName) +
                         "' kan niet worden gebruikt: geef een naam op één regel, zonder "
                         "stuurtekens.");
    }
    std::string name = NameFor(displayName.empty() ? source.stem : displayName);
    if (name.empty())
        name = NameFor(source.stem);
    if (name.empty())
        name = "woordenboek";
    std::string direction;
    if (source.dsl) {
        direction = DirectionOf(ReadDslHeader(source.dslFiles.dsl));
        name = WithDirection(name, direction);
    }
    // Before the long work; once more when the files are written.
    CheckFree(shelf, request.programDataDir, name, displayName);

    Progress none(nullptr);
    Progress &bar = progress != nullptr ? *progress : none;
    // Another format: the converter writes a StarDict dictionary, read as any other.
    std::optional<PrivateFolder> conversion;
    double readFrom = 0.0;
    if (source.converted) {
        conversion.emplace();
        bar.Stage(0.0, 0.4);
        const std::string ifo = ConvertToStardict(source.original, conversion->Path(),
                                                  FindConverter(request.converter), bar);
        Source converted = Resolve({ifo});
        converted.converted = true;
        converted.original = source.original;
        converted.stem = source.stem;
        source = std::move(converted);
        readFrom = 0.4;
    }
    // The book is compiled as the dictionary is read, straight into a temporary file
    // beside its place: memory holds the dictionary's text, not the book as well.
    NewFolders made(shelf.dataDir);
    MakeFolders(shelf.dataDir);
    const std::string idxPath = shelf.dataDir + "/" + name + ".idx";
    TemporaryFile idxFile(idxPath);
    TemporaryFileSink sink(idxFile);
    Diagnostics diag(source.stardict ? source.star.dict
                     : source.dsl    ? source.dslFiles.dsl
                                     : source.dict);
    BuildOptions options;
    options.textKind = BookKind(source);
    const bool utf8 = options.textKind == TextKind::Utf8;
    StreamingBuilder builder(sink, options, diag, shelf.dataDir);
    const std::string ftsPath = ArticleIndexPath(idxPath);
    ArticleIndexWriter index(ftsPath, nullptr, utf8);
    // Lines as the whole source would number them, after its two first lines.
    int lines = 2;
    bar.Stage(readFrom, 0.9);
    Imported imported = Import(source, &bar, [&](const std::string &record) {
        for (const SourceEntry &entry : ParseSource(record, diag, lines, options.textKind)) {
            if (builder.Add(entry, [&](std::string_view key) { index.AddKey(key); }))
                index.AddEntry(entry.headword, entry.body);
        }
        lines += static_cast<int>(std::count(record.begin(), record.end(), '\n'));
    });
    if (displayName.empty()) {
        displayName = Trim(imported.ownName);
        if (!IsDisplayName(displayName))
            displayName = platform::UserTextToUtf8(source.stem);
        if (!IsDisplayName(displayName))
            displayName = name;
    }
    bar.Stage(0.9, 0.97);
    const BuildResult built = builder.Finish();
    if (diag.HasErrors()) {
        throw InputError("Het woordenboek kan niet worden omgezet:\n" + diag.Errors().front());
    }
    for (const std::string &w : diag.Warnings())
        imported.warnings.push_back(w);
    if (built.keys == 0)
        throw InputError("Het woordenboek bevat geen woorden die kunnen worden opgezocht.");
    bar.Stage(0.97, 1.0);

    // From here on the files change; one program at a time.
    MakeFolders(shelf.imgsDir);
    const FolderLock lock(shelf.dataDir + "/.lock");
    RemoveLeftovers(shelf.dataDir);
    CheckFree(shelf, request.programDataDir, name, displayName);

    const std::string defPath = shelf.dataDir + "/" + name + ".def";
    const std::string exactPath = ExactWordsPath(idxPath);
    const std::string cssPath = shelf.dataDir + "/dict.css";
    const std::string dslCssPath = shelf.dataDir + "/dsl.css";
    // Written back in UTF-8 as a whole, so an older catalogue in Windows-1252 is not mixed.
    const std::string catalogue = CatalogueText(shelf.catalogue);
    std::vector<std::pair<std::string, std::string>> temporaries;  // temporary, target
    temporaries.emplace_back(idxFile.Finish(), idxPath);
    try {
        // Made with the book from the same stream: the viewer builds no index of its own.
        temporaries.emplace_back(index.Finish(), ftsPath);
        const std::size_t dash = direction.find('-');
        temporaries.emplace_back(
            WriteTemporaryBeside(defPath,
                                 DefText(name, direction.substr(0, dash),
                                         PartnerOf(shelf, request.programDataDir, name, direction),
                                         source.dsl ? "dsl.css" : "dict.css",
                                         source.stardict ? LicenceOf(source.star.ifo)
                                         : source.dsl    ? std::string()
                                                      : LicenceLine(imported.counts.availability))),
            defPath);
        if (!builder.Exact().empty()) {
            temporaries.emplace_back(
                WriteTemporaryBeside(exactPath, ExactWordsText(builder.Exact())), exactPath);
        }
        const std::string style = StylesheetTemporary(cssPath, request.programDataDir, temporaries);
        // The DSL books' own rules after the page's; written again with every such book, so
        // that it follows the program's stylesheet.
        if (source.dsl)
            temporaries.emplace_back(WriteTemporaryBeside(dslCssPath, style + "\n" + kDslStyle),
                                     dslCssPath);
        temporaries.emplace_back(
            WriteTemporaryBeside(shelf.catalogue,
                                 CatalogueWith(catalogue, name + "=1;" + displayName)),
            shelf.catalogue);
    } catch (...) {
        for (const auto &[temporary, target] : temporaries)
            RemoveQuietly(temporary);
        throw;
    }
    // The catalogue comes last: until it is renamed the book is not listed anywhere.
    std::size_t committed = 0;
    try {
        for (; committed < temporaries.size(); ++committed)
            CommitTemporary(temporaries[committed].first, temporaries[committed].second);
    } catch (...) {
        // The catalogue is renamed last, so it is unchanged; nothing may stay half-added.
        for (std::size_t i = committed + 1; i < temporaries.size(); ++i)
            RemoveQuietly(temporaries[i].first);
        RemoveQuietly(idxPath);
        RemoveQuietly(ftsPath);
        RemoveQuietly(defPath);
        RemoveQuietly(exactPath);
        throw;
    }

    made.Keep();
    bar.Finish();
    AddResult result;
    result.name = name;
    result.displayName = displayName;
    result.format = source.converted  ? "pyglossary"
                    : source.stardict ? "StarDict"
                    : source.dsl      ? "DSL"
                                      : "dictd";
    result.entries = imported.counts.entries;
    result.records = imported.counts.records;
    result.skipped = imported.counts.skipped;
    result.keys = built.keys;
    result.utf8 = utf8;
    result.warnings = std::move(imported.warnings);
    return result;
}

std::string ServerBookAddress(const std::string &defPath) {
    const std::vector<std::string> lines = Lines(CatalogueText(defPath));
    bool inServer = false;
    for (const std::string &line : lines) {
        if (IsAnySection(line)) {
            inServer = IsSection(line, "server");
        } else if (inServer && Lower(KeyOf(line)) == "address") {
            return Unquote(Trim(line.substr(line.find('=') + 1)));
        }
    }
    return {};
}

std::string GuessDirection(const std::string &database) {
    // The three-letter codes FreeDict names its databases with, and the two-letter ones
    // the viewer reads from a book's name.
    static const std::vector<std::pair<std::string, std::string>> codes = {
        {"afr", "af"}, {"ara", "ar"}, {"bre", "br"}, {"bul", "bg"}, {"cat", "ca"}, {"ces", "cs"},
        {"cym", "cy"}, {"dan", "da"}, {"deu", "de"}, {"ell", "el"}, {"eng", "en"}, {"epo", "eo"},
        {"est", "et"}, {"fin", "fi"}, {"fra", "fr"}, {"fry", "fy"}, {"gla", "gd"}, {"gle", "ga"},
        {"hin", "hi"}, {"hrv", "hr"}, {"hun", "hu"}, {"isl", "is"}, {"ita", "it"}, {"jpn", "ja"},
        {"kur", "ku"}, {"lat", "la"}, {"lit", "lt"}, {"nld", "nl"}, {"nno", "nn"}, {"nob", "nb"},
        {"nor", "no"}, {"pol", "pl"}, {"por", "pt"}, {"ron", "ro"}, {"rus", "ru"}, {"slk", "sk"},
        {"slv", "sl"}, {"spa", "es"}, {"srp", "sr"}, {"swe", "sv"}, {"swh", "sw"}, {"tur", "tr"},
        {"ukr", "uk"}, {"zho", "zh"}};
    auto code = [&](const std::string &three) -> std::string {
        for (const auto &[long_, short_] : codes)
            if (long_ == three)
                return short_;
        return {};
    };
    const std::string name = Lower(database);
    std::string rest;
    for (const char *prefix : {"fd-", "freedict-"})
        if (name.rfind(prefix, 0) == 0)
            rest = name.substr(std::string(prefix).size());
    if (rest.size() != 7 || rest[3] != '-')
        return {};
    const std::string from = code(rest.substr(0, 3));
    const std::string to = code(rest.substr(4, 3));
    return from.empty() || to.empty() ? std::string() : from + "-" + to;
}

namespace {

// The settings of a server book: the program's keys, then its own [server] section, which
// the catalogue's other readers pass over.
std::string ServerDefText(const UserShelf &shelf, const std::string &programDataDir,
                          const std::string &name, const std::string &address,
                          const std::string &database, const std::string &direction) {
    // No speech: the page has no cell to read.
    return DefText(name, "", PartnerOf(shelf, programDataDir, name, direction), "dict.css", "") +
           "\n[server]\naddress=" + address + "\ndatabase=" + database +
           "\ndirection=" + direction + "\n";
}

}  // namespace

AddResult AddServerBook(const UserShelf &shelf, const ServerBookRequest &request) {
    std::string displayName = Trim(request.displayName);
    if (!IsDisplayName(displayName))
        displayName = request.database;
    std::string name = NameFor(request.database);
    if (name.empty())
        name = "server";
    name = WithDirection(name, request.direction);
    MakeFolders(shelf.dataDir);
    const FolderLock lock(shelf.dataDir + "/.lock");
    CheckFree(shelf, request.programDataDir, name, displayName);
    const std::string defPath = shelf.dataDir + "/" + name + ".def";
    const std::string cssPath = shelf.dataDir + "/dict.css";
    const std::string def = ServerDefText(shelf, request.programDataDir, name, request.address,
                                          request.database, request.direction);
    std::vector<std::pair<std::string, std::string>> temporaries;  // temporary, target
    try {
        temporaries.emplace_back(WriteTemporaryBeside(defPath, def), defPath);
        StylesheetTemporary(cssPath, request.programDataDir, temporaries);
        temporaries.emplace_back(
            WriteTemporaryBeside(shelf.catalogue, CatalogueWith(CatalogueText(shelf.catalogue),
                                                                name + "=1;" + displayName)),
            shelf.catalogue);
    } catch (...) {
        for (const auto &[temporary, target] : temporaries)
            RemoveQuietly(temporary);
        throw;
    }
    try {
        for (const auto &[temporary, target] : temporaries)
            CommitTemporary(temporary, target);
    } catch (...) {
        RemoveQuietly(defPath);
        throw;
    }
    AddResult result;
    result.name = name;
    result.displayName = displayName;
    result.format = "DICT-server";
    return result;
}

namespace {

// The book a user names: by its name, else by its display name; null when none has it.
const CatalogueEntry *FindBook(const std::vector<CatalogueEntry> &books,
                               const std::string &wanted) {
    for (const CatalogueEntry &book : books)
        if (SameName(book.name, wanted))
            return &book;
    for (const CatalogueEntry &book : books)
        if (SameName(book.displayName, wanted))
            return &book;
    return nullptr;
}

}  // namespace

std::string RemoveUserBook(const UserShelf &shelf, const std::string &name,
                           const std::string &programDataDir) {
    const std::string wanted = Trim(name);
    auto find = [&](const std::vector<CatalogueEntry> &books) { return FindBook(books, wanted); };
    std::error_code error;
    if (!std::filesystem::is_directory(shelf.dataDir, error)) {
        if (!programDataDir.empty() && find(ReadCatalogue(programDataDir + "/dict.cfg")))
            throw InputError("'" + name +
                             "' hoort bij het programma en kan niet worden verwijderd.");
        throw InputError("Er is geen eigen woordenboek met de naam '" + name + "'.");
    }
    const FolderLock lock(shelf.dataDir + "/.lock");
    const std::vector<CatalogueEntry> books = ReadCatalogue(shelf.catalogue);
    const CatalogueEntry *book = find(books);
    if (book == nullptr) {
        if (!programDataDir.empty() && find(ReadCatalogue(programDataDir + "/dict.cfg")))
            throw InputError("'" + name +
                             "' hoort bij het programma en kan niet worden verwijderd.");
        throw InputError("Er is geen eigen woordenboek met de naam '" + name + "'.");
    }
    const std::string key = book->name;
    std::vector<std::string> lines = Lines(CatalogueText(shelf.catalogue));
    const auto [first, end] = BookListLines(lines);
    std::vector<std::string> kept(lines.begin(),
                                  lines.begin() + static_cast<std::ptrdiff_t>(first));
    for (std::size_t i = first; i < end; ++i)
        if (!SameName(KeyOf(lines[i]), key))
            kept.push_back(lines[i]);
    kept.insert(kept.end(), lines.begin() + static_cast<std::ptrdiff_t>(end), lines.end());
    CommitTemporary(WriteTemporaryBeside(shelf.catalogue, Join(kept)), shelf.catalogue);
    // Listed nowhere now; its files go.
    for (const char *ending : {".idx", ".def", ".fts", ".exact"})
        RemoveQuietly(shelf.dataDir + "/" + key + ending);
    for (const char *ending : {".bmp", "_off.bmp", ".ico"})
        RemoveQuietly(shelf.imgsDir + "/" + key + ending);
    return key;
}

std::string SetServerBookDirection(const UserShelf &shelf, const std::string &programDataDir,
                                   const std::string &book, const std::string &direction) {
    if (!direction.empty() && !IsDirection(direction))
        throw InputError("Een richting is twee taalcodes zoals nl-en (of één zoals nl), niet '" +
                         direction + "'.");
    const std::string wanted = Trim(book);
    auto find = [&](const std::vector<CatalogueEntry> &books) { return FindBook(books, wanted); };
    MakeFolders(shelf.dataDir);
    const FolderLock lock(shelf.dataDir + "/.lock");
    const std::vector<CatalogueEntry> mine = ReadCatalogue(shelf.catalogue);
    const std::vector<CatalogueEntry> program = programDataDir.empty()
                                                    ? std::vector<CatalogueEntry>()
                                                    : ReadCatalogue(programDataDir + "/dict.cfg");
    const CatalogueEntry *entry = find(mine);
    if (entry == nullptr)
        throw InputError(find(program) != nullptr
                             ? "'" + book +
                                   "' hoort bij het programma; alleen een woordenboek op "
                                   "een server krijgt zo een richting."
                             : "Er is geen eigen woordenboek met de naam '" + book + "'.");
    const std::string name = entry->name;
    const std::string defPath = shelf.dataDir + "/" + name + ".def";
    std::string address, database, old;
    for (const auto &[key, value] : ReadCatalogueSection(defPath, "server")) {
        if (SameName(key, "address"))
            address = value;
        else if (SameName(key, "database"))
            database = value;
        else if (SameName(key, "direction"))
            old = value;
    }
    if (address.empty())
        throw InputError("'" + book + "' is geen woordenboek op een server: de richting van een " +
                         "eigen woordenboek staat in het woordenboek zelf.");
    // The name as it was before its direction, then with the new one.
    std::string base = name;
    if (!old.empty() && base.size() > old.size() + 1 && base.rfind(old + "-", 0) == 0)
        base = base.substr(old.size() + 1);
    else if (!old.empty() && SameName(base, old))
        base = NameFor(database).empty() ? "server" : NameFor(database);
    const std::string renamed = WithDirection(base, direction);
    const bool newName = renamed != name;
    if (newName) {
        for (const std::vector<CatalogueEntry> *books : {&mine, &program})
            for (const CatalogueEntry &other : *books)
                if (SameName(other.name, renamed) && !SameName(other.name, name))
                    throw InputError("Er is al een woordenboek met de naam '" + renamed + "'.");
    }
    const std::string newDefPath = shelf.dataDir + "/" + renamed + ".def";
    // The catalogue's line and the shelf's order under the new name.
    std::vector<std::string> lines = Lines(CatalogueText(shelf.catalogue));
    if (newName) {
        const auto [first, end] = BookListLines(lines);
        for (std::size_t i = first; i < end; ++i)
            if (SameName(KeyOf(lines[i]), name)) {
                lines[i] = renamed + lines[i].substr(lines[i].find('='));
                break;
            }
        const auto [shelfFirst, shelfEnd] = BookListLines(lines, "shelf");
        for (std::size_t i = shelfFirst; i < shelfEnd; ++i) {
            if (!SameName(KeyOf(lines[i]), "order"))
                continue;
            // The shelf's own reader would take the lock held here: only its parse.
            std::string order;
            for (const std::string &one : ShelfOrderNames(lines[i].substr(lines[i].find('=') + 1)))
                order += (order.empty() ? "" : ",") + (SameName(one, name) ? renamed : one);
            lines[i] = "order=" + order;
        }
    }
    std::vector<std::pair<std::string, std::string>> temporaries;  // temporary, target
    try {
        temporaries.emplace_back(
            WriteTemporaryBeside(newDefPath, ServerDefText(shelf, programDataDir, renamed, address,
                                                           database, direction)),
            newDefPath);
        if (newName)
            temporaries.emplace_back(WriteTemporaryBeside(shelf.catalogue, Join(lines)),
                                     shelf.catalogue);
    } catch (...) {
        for (const auto &[temporary, target] : temporaries)
            RemoveQuietly(temporary);
        throw;
    }
    // The settings first: until the catalogue names the new one, the old ones still serve.
    CommitTemporary(temporaries[0].first, temporaries[0].second);
    if (!newName)
        return name;
    try {
        CommitTemporary(temporaries[1].first, temporaries[1].second);
    } catch (...) {
        RemoveQuietly(newDefPath);
        throw;
    }
    RemoveQuietly(defPath);
    // Pictures the user gave it go with it.
    std::error_code error;
    for (const char *ending : {".bmp", "_off.bmp", ".ico"})
        if (std::filesystem::exists(shelf.imgsDir + "/" + name + ending, error))
            std::filesystem::rename(shelf.imgsDir + "/" + name + ending,
                                    shelf.imgsDir + "/" + renamed + ending, error);
    return renamed;
}

int ServerReplyTimeout(const UserShelf &shelf) {
    for (const auto &[key, value] : ReadCatalogueSection(shelf.catalogue, "servers")) {
        if (!SameName(key, "timeout"))
            continue;
        const std::string text = Trim(value);
        if (text.empty() || text.size() > 2 ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return kReplyTimeoutDefault;
        const int seconds = std::atoi(text.c_str());
        return seconds >= kReplyTimeoutMin && seconds <= kReplyTimeoutMax ? seconds
                                                                          : kReplyTimeoutDefault;
    }
    return kReplyTimeoutDefault;
}

void SetServerReplyTimeout(const UserShelf &shelf, int seconds) {
    if (seconds < kReplyTimeoutMin || seconds > kReplyTimeoutMax)
        throw InputError("Een wachttijd is " + std::to_string(kReplyTimeoutMin) + " tot " +
                         std::to_string(kReplyTimeoutMax) + " seconden, niet " +
                         std::to_string(seconds) + ".");
    MakeFolders(shelf.dataDir);
    const FolderLock lock(shelf.dataDir + "/.lock");
    // Written back in UTF-8 as a whole, as the books' changes are.
    const std::string text =
        WithKey(CatalogueText(shelf.catalogue), "servers", "timeout", std::to_string(seconds));
    CommitTemporary(WriteTemporaryBeside(shelf.catalogue, text), shelf.catalogue);
}

}  // namespace books
