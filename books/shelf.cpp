#include "books/shelf.h"

#include <algorithm>
#include <cctype>

#include "books/diagnostics.h"
#include "books/safe_file.h"
#include "platform/encoding.h"

namespace books {

namespace {

bool SameName(const std::string &a, const std::string &b) {
    return platform::EqualNoCaseUtf8(a, b);
}

std::string Trim(const std::string &text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
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

// The section a line opens, in lower case; empty for any other line.
std::string SectionOf(const std::string &line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return {};
    std::string name = Trim(t.substr(1, t.size() - 2));
    for (char &c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.empty() ? std::string("?") : name;
}

std::string KeyOf(const std::string &line) {
    const std::string t = Trim(line);
    const std::size_t eq = t.find('=');
    return t.empty() || t.front() == ';' || eq == std::string::npos ? std::string()
                                                                    : Trim(t.substr(0, eq));
}

// "1;Name" or "0;Name" as the catalogue's book list holds it.
std::string BookValue(bool shown, const std::string &displayName) {
    return (shown ? "1;" : "0;") + displayName;
}

ShelfBook *Find(std::vector<ShelfBook> &books, const std::string &name) {
    const std::size_t at = FindShelfBook(books, name);
    if (at == std::string::npos)
        throw InputError("Er is geen woordenboek met de naam '" + name + "'.");
    return &books[at];
}

// The catalogue's text with the user's books, their order and the program's books'
// overrides as `books` has them; every line it does not own kept as it was.
std::string Arranged(const std::string &old, const std::vector<ShelfBook> &books,
                     const std::vector<CatalogueEntry> &userBooks,
                     const std::vector<CatalogueEntry> &programBooks) {
    auto isUserBook = [&](const std::string &key) {
        return std::any_of(userBooks.begin(), userBooks.end(),
                           [&](const CatalogueEntry &b) { return SameName(b.name, key); });
    };
    auto arranged = [&](const std::string &key) {
        return std::any_of(books.begin(), books.end(),
                           [&](const ShelfBook &b) { return b.mine && SameName(b.name, key); });
    };
    // The user's books' lines in the new order; a book removed meanwhile is not listed again.
    std::vector<std::string> bookLines;
    for (const ShelfBook &book : books)
        if (book.mine && isUserBook(book.name))
            bookLines.push_back(book.name + "=" + BookValue(!book.hidden, book.displayName));

    std::vector<std::string> lines = Lines(old);
    if (lines.empty())
        lines = {"[version]", "version=1"};
    std::vector<std::string> out;
    std::string section;
    bool listWritten = false;
    for (const std::string &line : lines) {
        const std::string opens = SectionOf(line);
        if (!opens.empty())
            section = opens;
        // Written anew below.
        if (section == "shelf" || section == "program")
            continue;
        if (section == "dictionaries" && !opens.empty() && !listWritten) {
            out.push_back(line);
            out.insert(out.end(), bookLines.begin(), bookLines.end());
            listWritten = true;
            section = "list";  // the first book list, whose book lines were just written
            continue;
        }
        if (section == "list" && arranged(KeyOf(line)))
            continue;
        out.push_back(line);
    }
    while (!out.empty() && Trim(out.back()).empty())
        out.pop_back();
    if (!listWritten && !bookLines.empty()) {
        out.emplace_back();
        out.emplace_back("[dictionaries]");
        out.insert(out.end(), bookLines.begin(), bookLines.end());
    }
    std::string order;
    for (const ShelfBook &book : books)
        order += (order.empty() ? "" : ",") + book.name;
    out.emplace_back();
    out.emplace_back("[shelf]");
    out.push_back("order=" + order);
    std::vector<std::string> overrides;
    for (const ShelfBook &book : books) {
        if (book.mine)
            continue;
        const auto own =
            std::find_if(programBooks.begin(), programBooks.end(),
                         [&](const CatalogueEntry &b) { return SameName(b.name, book.name); });
        if (own == programBooks.end())
            continue;
        if (book.hidden || book.displayName != own->displayName)
            overrides.push_back(book.name + "=" + BookValue(!book.hidden, book.displayName));
    }
    if (!overrides.empty()) {
        out.emplace_back();
        out.emplace_back("[program]");
        out.insert(out.end(), overrides.begin(), overrides.end());
    }
    std::string text;
    for (const std::string &line : out)
        text += line + "\n";
    return text;
}

template <typename Change>
std::string Change1(const UserShelf &shelf, const std::string &programDataDir,
                    const std::string &name, Change change) {
    std::vector<ShelfBook> books = ReadShelf(shelf, programDataDir);
    const std::string key = change(books, Find(books, Trim(name)));
    WriteShelf(shelf, programDataDir, books);
    return key;
}

}  // namespace

std::vector<std::string> ShelfOrderNames(const std::string &value) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = value.find(',', start);
        if (end == std::string::npos)
            end = value.size();
        const std::string name = Trim(value.substr(start, end - start));
        if (!name.empty())
            names.push_back(name);
        start = end + 1;
    }
    return names;
}

ShelfSettings ReadShelfSettings(const UserShelf &shelf) {
    ShelfSettings settings;
    for (const auto &[key, value] : ReadCatalogueSection(shelf.catalogue, "shelf"))
        if (SameName(key, "order")) {
            const std::vector<std::string> names = ShelfOrderNames(value);
            settings.order.insert(settings.order.end(), names.begin(), names.end());
        }
    for (const auto &[key, value] : ReadCatalogueSection(shelf.catalogue, "program")) {
        ShelfSettings::Override override;
        const std::size_t semicolon = value.find(';');
        override.hidden = value.substr(0, semicolon) == "0";
        if (semicolon != std::string::npos && IsDisplayName(value.substr(semicolon + 1)))
            override.displayName = value.substr(semicolon + 1);
        settings.program.emplace_back(key, override);
    }
    return settings;
}

const ShelfSettings::Override *FindOverride(const ShelfSettings &settings,
                                            const std::string &name) {
    for (const auto &[key, override] : settings.program)
        if (SameName(key, name))
            return &override;
    return nullptr;
}

std::vector<std::size_t> ShelfOrder(const std::vector<std::string> &names,
                                    const ShelfSettings &settings) {
    std::vector<std::size_t> order;
    std::vector<bool> placed(names.size(), false);
    for (const std::string &wanted : settings.order) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!placed[i] && SameName(names[i], wanted)) {
                placed[i] = true;
                order.push_back(i);
                break;
            }
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!placed[i])
            order.push_back(i);
    return order;
}

std::vector<ShelfBook> ReadShelf(const UserShelf &shelf, const std::string &programDataDir) {
    const ShelfSettings settings = ReadShelfSettings(shelf);
    std::vector<ShelfBook> books;
    if (!programDataDir.empty()) {
        for (const CatalogueEntry &entry : ReadCatalogue(programDataDir + "/dict.cfg")) {
            ShelfBook book{entry.name, entry.displayName, false, false};
            if (const ShelfSettings::Override *override = FindOverride(settings, entry.name)) {
                book.hidden = override->hidden;
                if (!override->displayName.empty())
                    book.displayName = override->displayName;
            }
            books.push_back(std::move(book));
        }
    }
    const std::size_t programCount = books.size();
    for (const CatalogueEntry &entry : ReadCatalogue(shelf.catalogue)) {
        // A name is one book: the program's has it.
        const bool taken =
            std::any_of(books.begin(), books.begin() + programCount,
                        [&](const ShelfBook &b) { return SameName(b.name, entry.name); });
        if (!taken)
            books.push_back({entry.name, entry.displayName, true, !entry.listed});
    }
    std::vector<std::string> names;
    for (const ShelfBook &book : books)
        names.push_back(book.name);
    std::vector<ShelfBook> ordered;
    for (const std::size_t i : ShelfOrder(names, settings))
        ordered.push_back(std::move(books[i]));
    return ordered;
}

void WriteShelf(const UserShelf &shelf, const std::string &programDataDir,
                const std::vector<ShelfBook> &books) {
    for (const ShelfBook &book : books)
        if (!IsDisplayName(book.displayName) || Trim(book.displayName) != book.displayName)
            throw InputError("De naam '" + book.displayName + "' kan niet worden gebruikt.");
    MakeFolders(shelf.dataDir);
    const FolderLock lock(shelf.dataDir + "/.lock");
    const std::vector<CatalogueEntry> program = programDataDir.empty()
                                                    ? std::vector<CatalogueEntry>()
                                                    : ReadCatalogue(programDataDir + "/dict.cfg");
    const std::string text =
        Arranged(CatalogueText(shelf.catalogue), books, ReadCatalogue(shelf.catalogue), program);
    CommitTemporary(WriteTemporaryBeside(shelf.catalogue, text), shelf.catalogue);
}

void CheckDisplayName(const std::vector<ShelfBook> &books, std::size_t at,
                      const std::string &displayName) {
    const std::string name = Trim(displayName);
    if (!IsDisplayName(name))
        throw InputError("De naam '" + displayName +
                         "' kan niet worden gebruikt: geef een naam op één regel, zonder "
                         "stuurtekens.");
    for (std::size_t i = 0; i < books.size(); ++i)
        if (i != at && (SameName(books[i].displayName, name) || SameName(books[i].name, name)))
            throw InputError("Er is al een woordenboek met de naam '" + name + "'.");
}

std::size_t FindShelfBook(const std::vector<ShelfBook> &books, const std::string &name) {
    for (std::size_t i = 0; i < books.size(); ++i)
        if (SameName(books[i].name, name))
            return i;
    for (std::size_t i = 0; i < books.size(); ++i)
        if (SameName(books[i].displayName, name))
            return i;
    return std::string::npos;
}

std::string RenameShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                            const std::string &book, const std::string &displayName) {
    return Change1(
        shelf, programDataDir, book, [&](std::vector<ShelfBook> &books, ShelfBook *found) {
            CheckDisplayName(books, static_cast<std::size_t>(found - books.data()), displayName);
            found->displayName = Trim(displayName);
            return found->name;
        });
}

std::string MoveShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                          const std::string &book, std::size_t place) {
    return Change1(
        shelf, programDataDir, book, [&](std::vector<ShelfBook> &books, ShelfBook *found) {
            ShelfBook moved = *found;
            books.erase(books.begin() + (found - books.data()));
            books.insert(books.begin() + static_cast<std::ptrdiff_t>(std::min(place, books.size())),
                         moved);
            return moved.name;
        });
}

std::string HideShelfBook(const UserShelf &shelf, const std::string &programDataDir,
                          const std::string &book, bool hidden) {
    return Change1(shelf, programDataDir, book, [&](std::vector<ShelfBook> &, ShelfBook *found) {
        found->hidden = hidden;
        return found->name;
    });
}

}  // namespace books
