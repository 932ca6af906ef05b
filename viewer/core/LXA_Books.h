// The book catalogue: "dict.cfg" in the data folder lists the dictionaries (books) in
// order; each book's ".def" settings file, ".idx" dictionary file and pictures lie beside.
// After the program's own books come the user's (lexqc add, "Woordenboek toevoegen..."),
// listed in a catalogue of the same format in the user's data folder, which is laid out
// like a program folder: data/dict.cfg, data/NAME.def and .idx, imgs/.
#pragma once

#include <QIcon>
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viewer/core/LXA_Paths.h"

class TLXAIniFile;

// What a picture file that exists but cannot be loaded does to its book.
enum class TBadPicture {
    Raise,   // the program's own books: the start-up ends with the loader's message
    Ignore,  // the user's books: the book goes without that picture
};

// One dictionary. Owns its pictures. Texts are UTF-8, as read from the user-edited files
// and as the book's files are named.
class TLXABook {
  public:
    // Reads the book's files from the folders of `paths` (DataDir and ImgsDir), which the
    // book keeps; raises EGeneral for a picture file that exists but cannot be loaded,
    // unless told to ignore it. Icons need a GUI application.
    TLXABook(const std::string &name, bool listed, const std::string &displayName,
             const TRPaths &paths, TBadPicture badPicture = TBadPicture::Raise);

    // The dictionary file the search library opens, and the stylesheet the page links.
    std::string IndexFile() const;
    std::string StylesheetFile() const;

    bool Installed = false;       // both ".def" and ".idx" exist
    bool Fluency = false;         // "fluency" of the settings: entries can be pronounced
    bool Listed = false;          // shown by the selector even when not installed
    bool Hidden = false;          // the user took it out of the selector (the shelf)
    bool Mine = false;            // one of the user's own books
    std::int32_t FluencyFld = 0;  // pronunciation cell; -1 without Fluency, 0 without ".def"
    // Pictures as loaded; the toolbars draw them through TransparentImage.
    std::unique_ptr<QImage> DisabledBitmap;
    std::unique_ptr<QImage> Bitmap;
    std::unique_ptr<QIcon> Icon;  // present (maybe empty) exactly when ".def" exists
    std::string ComplDictionary;
    std::string Name;
    std::string Stylesheet;
    std::string DisplayName;    // as the user named it, else as the catalogue does
    std::string CatalogueName;  // the catalogue's display name
    // The speech engine's voice: "fluencyvoice", "nl" when the settings name none; empty
    // without Fluency.
    std::string FluencyVoice;
    // "dict://HOST:PORT/DATABASE" for a book whose entries a DICT server holds: the
    // [server] section of its settings; it has no ".idx" and is looked up on the server.
    std::string ServerAddress;
    // Whether it can be searched: installed here, or held by its server.
    bool Searchable() const { return Installed || !ServerAddress.empty(); }
    // The folders the book's files lie in: the program's, or the user's for their own books.
    std::string DataDir;
    std::string ImgsDir;
};

// The catalogue in the order of "dict.cfg"; owns its books.
class TLXABooks {
  public:
    // Reads DataDir + "dict.cfg" and builds every book; sets paths.RegKey from "regkey".
    // A missing file shows "Het bestand '%s' ontbreekt." (1, 2) and raises EAbort. Then
    // reads the user's catalogue (ReadUserBooks).
    explicit TLXABooks(TRPaths &paths);

    // Adds the books of the user's catalogue that the catalogue does not hold yet, after
    // all others and in the order of the user's file; returns them. A user's book with the
    // name of a book already there (without regard to case) is left out. A missing or
    // unreadable user catalogue adds nothing.
    std::vector<TLXABook *> ReadUserBooks();
    // Applies the user's arrangement of the shelf (books/shelf.h): the order, the books
    // hidden from the selector and the names the user gave. A user's book that left the
    // user's catalogue stays (windows hold it) but is neither installed nor offered.
    void Arrange();

    std::int32_t Count() const;
    // Raises ELXABooks (3, 1) for an index outside 0 to Count() - 1.
    const std::string &NameAt(std::int32_t index) const;
    // Compared without regard to case; null when there is no such book.
    TLXABook *FindBook(const std::string &name) const;

    std::int32_t Version = 1;
    // The folders of the user's own books (AppDir is the shelf's root); RegKey stays empty.
    TRPaths UserPaths;

  private:
    // Builds the books of a catalogue's book list that are not there yet; returns them.
    std::vector<TLXABook *> AddBookList(const TLXAIniFile &config, const TRPaths &paths,
                                        TBadPicture badPicture);

    std::vector<std::unique_ptr<TLXABook>> Books;
};
