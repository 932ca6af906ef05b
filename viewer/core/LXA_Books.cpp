#include "viewer/core/LXA_Books.h"

#include <algorithm>

#include "books/shelf.h"
#include "books/user_books.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_Images.h"
#include "viewer/core/LXA_IniFile.h"
#include "viewer/core/LXA_MsgDlg.h"

namespace {

std::string InFolder(const std::string &folder, const std::string &file) {
    return platform::IncludeTrailingDelimiter(folder) + file;
}

std::unique_ptr<QImage> OptionalPicture(const std::string &path, TBadPicture badPicture) {
    if (!platform::FileExists(path))
        return nullptr;
    try {
        return std::make_unique<QImage>(LoadPicture(path));
    } catch (const EGeneral &) {
        if (badPicture == TBadPicture::Raise)
            throw;
        return nullptr;
    }
}

void LoadOptionalIcon(QIcon &icon, const std::string &path, TBadPicture badPicture) {
    if (!platform::FileExists(path))
        return;
    try {
        LoadIconFile(icon, path);
    } catch (const EGeneral &) {
        if (badPicture == TBadPicture::Raise)
            throw;
    }
}

TRPaths UserShelfPaths() {
    const books::UserShelf shelf = books::DefaultUserShelf();
    TRPaths paths;
    paths.AppDir = shelf.root;
    paths.DataDir = shelf.dataDir;
    paths.ImgsDir = shelf.imgsDir;
    return paths;
}

}  // namespace

TLXABook::TLXABook(const std::string &name, bool listed, const std::string &displayName,
                   const TRPaths &paths, TBadPicture badPicture)
    : Listed(listed),
      Name(name),
      DisplayName(displayName),
      CatalogueName(displayName),
      DataDir(paths.DataDir),
      ImgsDir(paths.ImgsDir) {
    const std::string defFile = InFolder(paths.DataDir, Name + ".def");
    const std::string idxFile = InFolder(paths.DataDir, Name + ".idx");
    const std::string icoFile = InFolder(paths.ImgsDir, Name + ".ico");
    const std::string bmpFile = InFolder(paths.ImgsDir, Name + ".bmp");
    const std::string offFile = InFolder(paths.ImgsDir, Name + "_off.bmp");

    Installed = platform::FileExists(defFile) && platform::FileExists(idxFile);
    if (platform::FileExists(defFile)) {
        const TLXAIniFile settings(defFile);
        Fluency = settings.ReadBool("dictionary", "fluency", false);
        FluencyFld = Fluency ? settings.ReadInteger("dictionary", "fluencyfld", 4) : -1;
        if (Fluency)
            FluencyVoice = settings.ReadString("dictionary", "fluencyvoice", "");
        if (Fluency && FluencyVoice.empty())
            FluencyVoice = "nl";  // the engine's own language
        Stylesheet = settings.ReadString("dictionary", "stylesheet", "dict.css");
        ComplDictionary = settings.ReadString("compldictionary", "dictionary", Name);
        ServerAddress = settings.ReadString("server", "address", "");
        Icon = std::make_unique<QIcon>();
        LoadOptionalIcon(*Icon, icoFile, badPicture);
    }
    DisabledBitmap = OptionalPicture(offFile, badPicture);
    Bitmap = OptionalPicture(bmpFile, badPicture);
}

std::string TLXABook::IndexFile() const {
    return InFolder(DataDir, Name + ".idx");
}

std::string TLXABook::StylesheetFile() const {
    return InFolder(DataDir, Stylesheet);
}

TLXABooks::TLXABooks(TRPaths &paths) {
    const std::string configFile = InFolder(paths.DataDir, "dict.cfg");
    if (!platform::FileExists(configFile)) {
        ShowErrorFmt("Het bestand '%s' ontbreekt.", {configFile}, 1, 2);
        throw EAbort();
    }
    const TLXAIniFile config(configFile);
    Version = config.ReadInteger("version", "version", 1);
    paths.RegKey = config.ReadString("application", "regkey", "");
    AddBookList(config, paths, TBadPicture::Raise);
    UserPaths = UserShelfPaths();
    ReadUserBooks();
}

void TLXABooks::Arrange() {
    if (UserPaths.AppDir.empty())
        return;
    const books::UserShelf shelf = books::UserShelfAt(UserPaths.AppDir);
    const books::ShelfSettings settings = books::ReadShelfSettings(shelf);
    const std::vector<books::CatalogueEntry> mine = books::ReadCatalogue(shelf.catalogue);
    std::vector<std::string> names;
    for (const auto &book : Books) {
        names.push_back(book->Name);
        if (book->Mine) {
            const auto entry = std::find_if(mine.begin(), mine.end(), [&](const auto &e) {
                return platform::EqualNoCaseUtf8(e.name, book->Name);
            });
            if (entry == mine.end()) {
                book->Installed = false;
                book->Listed = false;
                book->Hidden = true;
                continue;
            }
            // Added again after it was removed, under the same name.
            book->Installed = platform::FileExists(InFolder(book->DataDir, book->Name + ".def")) &&
                              platform::FileExists(book->IndexFile());
            book->DisplayName = entry->displayName;
            book->Hidden = !entry->listed;
            continue;
        }
        const books::ShelfSettings::Override *override = books::FindOverride(settings, book->Name);
        book->Hidden = override != nullptr && override->hidden;
        book->DisplayName = override != nullptr && !override->displayName.empty()
                                ? override->displayName
                                : book->CatalogueName;
    }
    std::vector<std::unique_ptr<TLXABook>> ordered;
    for (const std::size_t i : books::ShelfOrder(names, settings))
        ordered.push_back(std::move(Books[i]));
    Books = std::move(ordered);
}

std::vector<TLXABook *> TLXABooks::ReadUserBooks() {
    const std::string configFile = InFolder(UserPaths.DataDir, "dict.cfg");
    if (UserPaths.DataDir.empty() || !platform::FileExists(configFile)) {
        Arrange();
        return {};
    }
    std::vector<TLXABook *> added =
        AddBookList(TLXAIniFile(configFile), UserPaths, TBadPicture::Ignore);
    for (TLXABook *book : added)
        book->Mine = true;
    Arrange();
    return added;
}

std::vector<TLXABook *> TLXABooks::AddBookList(const TLXAIniFile &config, const TRPaths &paths,
                                               TBadPicture badPicture) {
    std::vector<TLXABook *> added;
    const auto lines = config.ReadSection("dictionaries");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto &[name, value] = lines[i];
        // A repeated key counts with its first value only, and an empty value lists no book.
        bool repeated = false;
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = platform::EqualNoCaseUtf8(lines[j].first, name);
        // A name is one book: the first catalogue to list it has it.
        if (repeated || value.empty() || FindBook(name) != nullptr)
            continue;
        const std::size_t semicolon = value.find(';');
        const std::string flag = semicolon == std::string::npos ? "0" : value.substr(0, semicolon);
        const std::string displayName =
            semicolon == std::string::npos ? value : value.substr(semicolon + 1);
        Books.push_back(
            std::make_unique<TLXABook>(name, flag == "1", displayName, paths, badPicture));
        added.push_back(Books.back().get());
    }
    return added;
}

std::int32_t TLXABooks::Count() const {
    return static_cast<std::int32_t>(Books.size());
}

const std::string &TLXABooks::NameAt(std::int32_t index) const {
    if (index < 0 || index >= Count())
        throw ELXABooks(
            "Ongeldig selectie in lijst van boeken, er is geen boek met indexnummer %d.",
            {std::int64_t{index}}, 3, 1);
    return Books[static_cast<std::size_t>(index)]->Name;
}

TLXABook *TLXABooks::FindBook(const std::string &name) const {
    for (const auto &book : Books)
        if (platform::EqualNoCaseUtf8(book->Name, name))
            return book.get();
    return nullptr;
}
