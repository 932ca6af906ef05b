#include "cli.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>

#include "books/article_index.h"
#include "books/builder.h"
#include "books/cipher.h"
#include "books/dictd_import.h"
#include "books/encoding.h"
#include "books/exact_words.h"
#include "books/keys.h"
#include "books/layout.h"
#include "books/reader.h"
#include "books/search_library.h"
#include "books/shelf.h"
#include "books/source.h"
#include "books/user_books.h"
#include "books/verify.h"
#include "platform/paths.h"
#include "servers.h"

namespace lexqc {

using namespace books;

namespace {

constexpr const char *kUsage =
    "usage:\n"
    "  lexqc build SRC OUT.idx [--leaf-size N] [--text-size N] [--fanout N]\n"
    "                          [--encipher] [--crypt PATH] [--utf8]\n"
    "  lexqc index BOOK                   the article index (BOOK.fts) of a book: its .idx file\n"
    "                                     or the name of a user's book\n"
    "  lexqc verify OUT.idx SRC [--lexqapi PATH]\n"
    "  lexqc lookup OUT.idx WORD [--utf8] [--lexqapi PATH]\n"
    "  lexqc dump OUT.idx [--crypt PATH]\n"
    "  lexqc import-dictd IN.index IN.dict.dz OUT.src [--dir TEXT]\n"
    "                     [--freedict | --wordnet]\n"
    "  lexqc add FILE... [--name NAME]     a dictd, StarDict or DSL dictionary, for this user\n"
    "  lexqc add dict://HOST[:PORT][/DATABASE] [--name NAME] [--direction NL-EN]\n"
    "                                     a DICT server's database (all without one), for this "
    "user\n"
    "  lexqc servers dict://HOST[:PORT]    the databases a DICT server offers\n"
    "  lexqc remove NAME\n"
    "  lexqc list\n"
    "  lexqc rename BOOK NAME             the name the lists show, for any book\n"
    "  lexqc move BOOK PLACE | --up | --down   its place in the selector, from 1\n"
    "  lexqc hide BOOK | show BOOK        out of the selector, or back in it\n"
    "  lexqc direction BOOK NL-EN | NL    the direction of a DICT server's book\n";

// Positional arguments and "--name value" / "--flag" options of one command.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;

    std::optional<std::string> Get(const std::string &name) const {
        for (const auto &[n, v] : options) {
            if (n == name)
                return v;
        }
        return std::nullopt;
    }
    bool Has(const std::string &name) const { return Get(name).has_value(); }
};

Arguments Parse(const std::vector<std::string> &args, const std::vector<std::string> &valued,
                const std::vector<std::string> &flags, std::size_t positionalCount) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a.rfind("--", 0) != 0) {
            parsed.positional.push_back(a);
            continue;
        }
        const std::string name = a.substr(2);
        if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
            parsed.options.emplace_back(name, "");
        } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
            if (i + 1 >= args.size())
                throw InputError(a + " needs a value");
            parsed.options.emplace_back(name, args[++i]);
        } else {
            throw InputError("unknown option " + a);
        }
    }
    if (parsed.positional.size() != positionalCount) {
        throw InputError(args[0] + " takes " + std::to_string(positionalCount) + " arguments");
    }
    return parsed;
}

std::uint32_t ParseSize(const std::string &option, const std::string &text) {
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used, 10);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used == 0 || used != text.size() || text[0] == '-' || value == 0 ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw InputError("--" + option + " needs a positive whole number, not \"" + text + "\"");
    }
    return static_cast<std::uint32_t>(value);
}

void PrintWarnings(const Diagnostics &diag, std::ostream &err) {
    for (const std::string &w : diag.Warnings())
        err << w << '\n';
}

// Writes beside the target and renames, so a failed run never leaves half a file.
void WriteFileAtomically(const std::string &path, const void *data, std::size_t size) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw InputError(path + ": cannot create the file");
        out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            throw InputError(path + ": cannot write the file");
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw InputError(path + ": cannot replace the file");
    }
}

int Build(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    const Arguments a =
        Parse(args, {"leaf-size", "text-size", "fanout", "crypt"}, {"encipher", "utf8"}, 2);
    BuildOptions options;
    if (auto v = a.Get("leaf-size"))
        options.leafSize = ParseSize("leaf-size", *v);
    if (auto v = a.Get("text-size"))
        options.textSize = ParseSize("text-size", *v);
    if (auto v = a.Get("fanout"))
        options.fanout = ParseSize("fanout", *v);
    const bool encipher = a.Has("encipher");

    Diagnostics diag(a.positional[0]);
    // A book of the first kind whenever every headword, direction and key fits
    // Windows-1252; else a UTF-8 book.
    // --utf8 makes a UTF-8 book of any source (to compare the kinds on the same entries).
    TextKind kind = TextKind::Utf8;
    const std::vector<SourceEntry> entries = a.Has("utf8")
                                                 ? ReadSourceFileAs(a.positional[0], diag, kind)
                                                 : ReadSourceFile(a.positional[0], diag, &kind);
    options.textKind = kind;
    const KeyTable table = CollectKeys(
        entries, diag, encipher ? kMaxEncipheredKey : std::numeric_limits<std::size_t>::max(),
        kMaxCount, kind);
    PrintWarnings(diag, err);
    diag.ThrowIfErrors();

    std::unique_ptr<CryptLibrary> crypt;
    Cipher cipher;
    if (encipher) {
        crypt = CryptLibrary::Load(a.Get("crypt").value_or(""));
        cipher = crypt->Encrypt();
    }
    const BuildResult result = BuildDictionary(table, options, encipher ? &cipher : nullptr);
    WriteFileAtomically(a.positional[1], result.file.data(), result.file.size());
    // The article index comes with every book: patterns with a fixed end and full-text
    // search read it, and nothing makes it later.
    // An enciphered book's index is enciphered too: its words are the book's vocabulary.
    WriteArticleIndex(ArticleIndexPath(a.positional[1]), entries, table, nullptr,
                      encipher ? &cipher : nullptr, kind == TextKind::Utf8);
    // Words without letters are found through a list beside the file; a list left from an
    // earlier build of the same file would answer with entries it no longer has.
    const std::string exactPath = ExactWordsPath(a.positional[1]);
    if (table.exact.empty()) {
        std::remove(exactPath.c_str());
    } else {
        const std::string text = ExactWordsText(table.exact);
        WriteFileAtomically(exactPath, reinterpret_cast<const std::uint8_t *>(text.data()),
                            text.size());
    }
    out << a.positional[1] << ": " << entries.size() << " entries, " << table.keys.size()
        << " keys, " << table.triples.size() << " stored hits, " << result.text.blocks
        << " text blocks, " << result.leaf.blocks << " leaf blocks, index depth " << result.depth
        << ", " << result.file.size() << " bytes" << (encipher ? ", enciphered" : "")
        << (kind == TextKind::Utf8 ? ", UTF-8 book" : ", Windows-1252 book") << '\n';
    return kExitOk;
}

// The user's book of that name, else the file named.
std::string BookFile(const std::string &name) {
    for (const CatalogueEntry &book : ReadCatalogue(DefaultUserShelf().catalogue))
        if (book.name == name)
            return DefaultUserShelf().dataDir + "/" + name + ".idx";
    return name;
}

// A compiled book read whole; an enciphered one is read through the crypt library, which
// crypt keeps loaded while the reader is used.
DictionaryReader ReadBook(const std::string &path, const Arguments &a,
                          std::unique_ptr<CryptLibrary> &crypt) {
    Bytes file = DictionaryReader::ReadFile(path);
    Cipher decrypt;
    if (file.size() > kEncipheredField && file[kEncipheredField] != 0) {
        crypt = CryptLibrary::Load(a.Get("crypt").value_or(""));
        decrypt = crypt->Decrypt();
    }
    return DictionaryReader(std::move(file), decrypt);
}

// Makes the article index of a compiled book from the book itself: its records give every
// key and every entry's texts.
int Index(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = Parse(args, {"crypt"}, {}, 1);
    const std::string path = BookFile(a.positional[0]);
    std::unique_ptr<CryptLibrary> crypt;
    const DictionaryReader reader = ReadBook(path, a, crypt);
    KeyTable table;
    std::map<std::pair<std::uint32_t, std::uint16_t>, std::uint32_t> seen;  // hit -> entry
    std::vector<SourceEntry> entries;
    for (const LeafRecord &record : reader.AllRecords()) {
        std::vector<std::uint32_t> &hits = table.keys[record.key];
        for (const StoredHit &hit : record.hits) {
            const auto [at, added] = seen.emplace(std::pair(hit.block, hit.offset),
                                                  static_cast<std::uint32_t>(entries.size()));
            if (added) {
                const Triple triple = reader.ReadHit(hit);
                SourceEntry entry;
                entry.headword = triple.s1;
                entry.dir = triple.s2;
                entry.body = triple.s3;
                entries.push_back(std::move(entry));
            }
            hits.push_back(at->second);
        }
    }
    const std::string index = ArticleIndexPath(path);
    // The index of an enciphered book is enciphered as the book is.
    const Cipher encipher = crypt ? crypt->Encrypt() : Cipher();
    WriteArticleIndex(index, entries, table, nullptr, crypt ? &encipher : nullptr,
                      reader.Header().kind == TextKind::Utf8);
    out << index << ": " << entries.size() << " entries, " << table.keys.size() << " keys"
        << (crypt ? ", enciphered" : "") << '\n';
    return kExitOk;
}

int Verify(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    const Arguments a = Parse(args, {"lexqapi"}, {}, 2);
    Diagnostics diag(a.positional[1]);
    TextKind kind = TextKind::Cp1252;
    const std::vector<SourceEntry> entries = ReadSourceFile(a.positional[1], diag, &kind);
    const KeyTable table =
        CollectKeys(entries, diag, std::numeric_limits<std::size_t>::max(), kMaxCount, kind);
    diag.ThrowIfErrors();
    const std::unique_ptr<SearchLibrary> library =
        SearchLibrary::Load(a.Get("lexqapi").value_or(""));
    const VerifyReport report = VerifyDictionary(*library, a.positional[0], table);
    for (const std::string &m : report.mismatches)
        err << m << '\n';
    out << a.positional[0] << ": " << report.keysChecked << " keys, " << report.rowsChecked
        << " rows checked; " << report.keysFailed << " keys differ from the source\n";
    return report.Ok() ? kExitOk : kExitCheckFailed;
}

int Lookup(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = Parse(args, {"lexqapi"}, {"utf8"}, 2);
    const std::unique_ptr<SearchLibrary> library =
        SearchLibrary::Load(a.Get("lexqapi").value_or(""));
    if (const std::int32_t status = library->Open(a.positional[0]); status != LEXQ_ERR_NONE) {
        out << StatusName(status) << '\n';
        return kExitCheckFailed;
    }
    // A UTF-8 book is asked in UTF-8 and answers in it.
    const bool utf8Book = library->OpenBookIsUtf8();
    char32_t bad = 0;
    const std::optional<std::string> word = utf8Book ? std::optional<std::string>(a.positional[1])
                                                     : Utf8ToCp1252Strict(a.positional[1], &bad);
    if (!word)
        throw InputError("the word contains " + CodePointName(bad) +
                         ", which Windows-1252 cannot represent");
    const SearchLibrary::Result result =
        utf8Book ? library->SearchUtf8(*word) : library->Search(*word);
    if (result.status != LEXQ_ERR_NONE) {
        out << StatusName(result.status) << '\n';
        return kExitCheckFailed;
    }
    out << (a.Has("utf8") && !utf8Book ? Cp1252ToUtf8(result.table) : result.table) << '\n';
    return kExitOk;
}

void PrintStats(std::ostream &out, const char *name, const SectionStats &s) {
    out << name << s.blocks << " blocks, stored " << s.storedBytes << " bytes (largest "
        << s.largestStored << "), decompressed " << s.plainBytes << " bytes (largest "
        << s.largestPlain << "), largest count " << s.largestCount << '\n';
}

int Dump(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = Parse(args, {"crypt"}, {}, 1);
    std::unique_ptr<CryptLibrary> crypt;
    const DictionaryReader reader = ReadBook(a.positional[0], a, crypt);
    const FileHeader &h = reader.Header();
    std::string id;
    for (const char c : h.identification)
        id += (c >= 0x20 && c < 0x7F) ? c : '.';
    out << "file                " << a.positional[0] << ", " << reader.FileSize() << " bytes\n"
        << "identification      \"" << id << "\"\n"
        << "values              " << h.value1 << " (format version), " << h.value2 << " (keys)\n"
        << "enciphered          " << (h.enciphered != 0 ? "yes" : "no") << '\n'
        << "text section        offset " << h.textOffset << ", largest stored "
        << reader.Text().largestStored << ", largest decompressed " << reader.Text().largestPlain
        << '\n'
        << "leaf section        offset " << h.leafOffset << ", largest stored "
        << reader.Leaf().largestStored << ", largest decompressed " << reader.Leaf().largestPlain
        << ", largest entries " << reader.Leaf().largestCount << ", hit limit "
        << reader.Leaf().hitLimit << '\n'
        << "index section       offset " << h.indexOffset << ", depth " << reader.Index().depth
        << ", largest node " << reader.Index().largestNodeSize << " bytes / "
        << reader.Index().largestNodeCount << " entries, root at " << reader.Index().rootPosition
        << " (" << reader.Index().rootSize << " bytes, " << reader.Index().rootCount
        << " entries)\n";
    const WalkResult walk = reader.Walk();
    for (std::size_t level = 0; level < walk.indexLevels.size(); ++level) {
        const std::string name = "index level " + std::to_string(level) + "       ";
        PrintStats(out, name.c_str(), walk.indexLevels[level]);
    }
    PrintStats(out, "leaf blocks         ", walk.leaf);
    PrintStats(out, "text blocks         ", walk.text);
    out << "keys                " << walk.keys << ", " << walk.hitRefs
        << " hit references, largest hit list " << walk.largestHitList << '\n';
    if (walk.problems.empty()) {
        out << "consistency         headers agree with the contents\n";
        return kExitOk;
    }
    for (const std::string &p : walk.problems)
        out << "problem             " << p << '\n';
    return kExitCheckFailed;
}

int ImportDictdCommand(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    const Arguments a = Parse(args, {"dir"}, {"freedict", "wordnet"}, 3);
    if (a.Has("freedict") && a.Has("wordnet"))
        throw InputError("--freedict and --wordnet exclude each other");
    const std::string index = ReadGzipFile(a.positional[0]);
    const std::string text = ReadGzipFile(a.positional[1]);
    Diagnostics diag(a.positional[0]);
    DictdImportCounts counts;
    const std::string source = ImportDictd(
        index, text,
        DictdImportOptions{a.Get("dir").value_or(""), a.Has("freedict"), a.Has("wordnet")}, diag,
        &counts);
    PrintWarnings(diag, err);
    diag.ThrowIfErrors();
    WriteFileAtomically(a.positional[2], source.data(), source.size());
    out << a.positional[2] << ": written, " << counts.records << " of " << counts.entries
        << " entries, " << counts.skipped << " skipped, " << diag.Warnings().size()
        << " warnings\n";
    return kExitOk;
}

// The program's own data folder: its books' names are taken, its stylesheet is copied.
std::string ProgramDataDir() {
    return platform::IncludeTrailingDelimiter(platform::ProgramDir()) + "data";
}

// Shows "lexqc add"'s progress in every tenth on a terminal; nothing in a pipe or a log.
Progress TerminalProgress(std::ostream &out) {
    if (&out != &std::cout || ::isatty(STDOUT_FILENO) == 0)
        return Progress(nullptr);
    auto last = std::make_shared<int>(-1);
    return Progress([&out, last](double done) {
        const int tenth = static_cast<int>(done * 10);
        if (tenth != *last) {
            *last = tenth;
            out << "\r" << tenth * 10 << " %" << (tenth == 10 ? "\n" : "") << std::flush;
        }
        return true;
    });
}

int Add(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    Arguments a;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--name") {
            if (i + 1 >= args.size())
                throw InputError("--name heeft een naam nodig");
            a.options.emplace_back("name", args[++i]);
        } else if (args[i] == "--direction") {
            if (i + 1 >= args.size())
                throw InputError("--direction heeft een richting nodig, zoals nl-en");
            a.options.emplace_back("direction", args[++i]);
        } else if (args[i].rfind("--", 0) == 0) {
            throw InputError("onbekende optie " + args[i]);
        } else {
            a.positional.push_back(args[i]);
        }
    }
    if (a.positional.size() == 1 && a.positional[0].rfind("dict://", 0) == 0)
        return AddServer(a.positional[0], a.Get("name").value_or(""),
                         a.Get("direction").value_or(""), ProgramDataDir(), out, err);
    if (a.Has("direction"))
        throw InputError("--direction geldt alleen voor een woordenboek op een server");
    AddRequest request{a.positional, a.Get("name").value_or(""), ProgramDataDir()};
    const UserShelf shelf = DefaultUserShelf();
    AddResult result;
    try {
        Progress progress = TerminalProgress(out);
        result = AddUserBook(shelf, request, &progress);
    } catch (const InputError &e) {
        const std::string text = e.what();
        err << "lexqc: " << text << '\n';
        if (text.rfind("Er is al een woordenboek", 0) == 0)
            err << "Geef met --name een andere naam op.\n";
        return kExitInputError;
    }
    for (const std::string &w : result.warnings)
        err << w << '\n';
    out << "'" << result.displayName << "' (" << result.name << ", " << result.format
        << ") is toegevoegd: " << result.records << " van " << result.entries << " woorden, "
        << result.skipped << " weggelaten, " << result.keys << " zoeksleutels.\n"
        << "Opgeslagen in " << shelf.dataDir << " als "
        << (result.utf8 ? "UTF-8-woordenboek (trefwoorden buiten Windows-1252)"
                        : "Windows-1252-woordenboek")
        << ".\n";
    return kExitOk;
}

int Remove(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = Parse(args, {}, {}, 1);
    const std::string name = RemoveUserBook(DefaultUserShelf(), a.positional[0], ProgramDataDir());
    out << "'" << name << "' is verwijderd.\n";
    return kExitOk;
}

std::string Trim(const std::string &text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Characters of a UTF-8 text, for lining up columns.
std::size_t Characters(const std::string &utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void ListCatalogue(std::ostream &out, const std::string &heading, const std::string &dataDir,
                   const std::vector<ShelfBook> &shelf) {
    out << heading << " (" << dataDir << "):\n";
    const std::vector<CatalogueEntry> books = ReadCatalogue(dataDir + "/dict.cfg");
    std::size_t width = 0;
    for (const CatalogueEntry &book : books)
        width = std::max(width, Characters(book.name));
    for (const CatalogueEntry &book : books) {
        const std::string def = dataDir + "/" + book.name + ".def";
        const std::string server = ServerBookAddress(def);
        const bool installed =
            platform::FileExists(def) &&
            (!server.empty() || platform::FileExists(dataDir + "/" + book.name + ".idx"));
        // The name the user gave it, and whether the user hid it.
        const std::size_t at = FindShelfBook(shelf, book.name);
        const bool arranged = at != std::string::npos && shelf[at].name == book.name;
        out << "  " << book.name << std::string(width - Characters(book.name) + 2, ' ')
            << (arranged ? shelf[at].displayName : book.displayName)
            << (server.empty() ? "" : "  (" + server + ")")
            << (installed ? "" : "  (niet ge\xC3\xAFnstalleerd)")
            << (arranged && shelf[at].hidden ? "  (verborgen)" : "") << '\n';
    }
    if (books.empty())
        out << "  (geen)\n";
}

int List(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    Parse(args, {}, {}, 0);
    const UserShelf user = DefaultUserShelf();
    const std::vector<ShelfBook> shelf = ReadShelf(user, ProgramDataDir());
    ListCatalogue(out, "Woordenboeken van het programma", ProgramDataDir(), shelf);
    ListCatalogue(out, "Eigen woordenboeken", user.dataDir, shelf);
    // The user's order, once the user has one.
    if (!ReadShelfSettings(user).order.empty()) {
        out << "Volgorde in de keuzelijst:\n";
        for (std::size_t i = 0; i < shelf.size(); ++i)
            out << "  " << i + 1 << ". " << shelf[i].name << "  " << shelf[i].displayName
                << (shelf[i].hidden ? "  (verborgen)" : "") << '\n';
    }
    return kExitOk;
}

// The arguments of a shelf command, refused in Dutch as the user reads them.
Arguments ParseShelf(const std::vector<std::string> &args, const std::vector<std::string> &flags,
                     std::size_t positionalCount) {
    Arguments parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0)
            parsed.positional.push_back(args[i]);
        else if (std::find(flags.begin(), flags.end(), args[i].substr(2)) != flags.end())
            parsed.options.emplace_back(args[i].substr(2), "");
        else
            throw InputError("onbekende optie " + args[i]);
    }
    if (parsed.positional.size() != positionalCount)
        throw InputError("'lexqc " + args[0] + "' heeft " + std::to_string(positionalCount) +
                         (positionalCount == 1 ? " argument" : " argumenten") + " nodig.");
    return parsed;
}

int Rename(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = ParseShelf(args, {}, 2);
    const std::string name =
        RenameShelfBook(DefaultUserShelf(), ProgramDataDir(), a.positional[0], a.positional[1]);
    out << "'" << name << "' heet nu '" << Trim(a.positional[1]) << "'.\n";
    return kExitOk;
}

int Move(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const bool step = std::find_if(args.begin(), args.end(), [](const std::string &arg) {
                          return arg == "--up" || arg == "--down";
                      }) != args.end();
    const Arguments a = ParseShelf(args, {"up", "down"}, step ? 1 : 2);
    if (a.Has("up") && a.Has("down"))
        throw InputError("--up en --down sluiten elkaar uit.");
    const UserShelf user = DefaultUserShelf();
    const std::vector<ShelfBook> shelf = ReadShelf(user, ProgramDataDir());
    const std::size_t at = FindShelfBook(shelf, a.positional[0]);
    if (at == std::string::npos)
        throw InputError("Er is geen woordenboek met de naam '" + a.positional[0] + "'.");
    std::size_t place = 0;
    if (a.Has("up")) {
        place = at == 0 ? 0 : at - 1;
    } else if (a.Has("down")) {
        place = at + 1;
    } else {
        const std::string &text = a.positional[1];
        std::size_t used = 0;
        unsigned long long number = 0;
        try {
            number = std::stoull(text, &used, 10);
        } catch (const std::exception &) {
            used = 0;
        }
        if (used == 0 || used != text.size() || text[0] == '-' || number == 0 ||
            number > shelf.size())
            throw InputError("De plaats moet een getal van 1 tot " + std::to_string(shelf.size()) +
                             " zijn, niet '" + text + "'.");
        place = static_cast<std::size_t>(number - 1);
    }
    const std::string name = MoveShelfBook(user, ProgramDataDir(), a.positional[0], place);
    out << "'" << name << "' staat nu op plaats " << std::min(place, shelf.size() - 1) + 1
        << " van " << shelf.size() << ".\n";
    return kExitOk;
}

int Hide(const std::vector<std::string> &args, std::ostream &out, std::ostream &, bool hidden) {
    const Arguments a = ParseShelf(args, {}, 1);
    const std::string name =
        HideShelfBook(DefaultUserShelf(), ProgramDataDir(), a.positional[0], hidden);
    out << "'" << name << "' " << (hidden ? "staat niet meer" : "staat weer")
        << " in de keuzelijst.\n";
    return kExitOk;
}

int Direction(const std::vector<std::string> &args, std::ostream &out, std::ostream &) {
    const Arguments a = ParseShelf(args, {}, 2);
    const std::string name = SetServerBookDirection(DefaultUserShelf(), ProgramDataDir(),
                                                    a.positional[0], a.positional[1]);
    out << "'" << name << "' heeft nu de richting " << a.positional[1] << ".\n";
    return kExitOk;
}

}  // namespace

int RunLexqc(const std::vector<std::string> &args, std::ostream &out, std::ostream &err) {
    if (args.empty()) {
        err << kUsage;
        return kExitInputError;
    }
    try {
        const std::string &command = args[0];
        if (command == "build")
            return Build(args, out, err);
        if (command == "index")
            return Index(args, out, err);
        if (command == "verify")
            return Verify(args, out, err);
        if (command == "lookup")
            return Lookup(args, out, err);
        if (command == "dump")
            return Dump(args, out, err);
        if (command == "import-dictd")
            return ImportDictdCommand(args, out, err);
        if (command == "add")
            return Add(args, out, err);
        if (command == "remove")
            return Remove(args, out, err);
        if (command == "list")
            return List(args, out, err);
        if (command == "rename")
            return Rename(args, out, err);
        if (command == "move")
            return Move(args, out, err);
        if (command == "hide" || command == "show")
            return Hide(args, out, err, command == "hide");
        if (command == "direction")
            return Direction(args, out, err);
        if (command == "servers")
            return ListServer(Parse(args, {}, {}, 1).positional[0], out, err);
        err << "lexqc: unknown command \"" << command << "\"\n" << kUsage;
        return kExitInputError;
    } catch (const std::exception &e) {  // InputError, and files too large for the format
        err << "lexqc: " << e.what() << '\n';
        return kExitInputError;
    }
}

}  // namespace lexqc
