// The book catalogue: "dict.cfg" in the data folder lists the dictionaries (books) in
// order; each book's ".def" settings file, ".idx" dictionary file and pictures lie beside.
#pragma once

#include <QIcon>
#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "viewer/core/LXA_Paths.h"

// One dictionary. Owns its pictures. Texts are UTF-8, as read from the user-edited files
// and as the book's files are named.
class TLXABook {
  public:
    // Reads the book's files from the folders; raises EGeneral for a picture file that
    // exists but cannot be loaded. Icons need a GUI application.
    TLXABook(const std::string &name, bool listed, const std::string &displayName,
             const TRPaths &paths);

    bool Installed = false;       // both ".def" and ".idx" exist
    bool Fluency = false;         // "fluency" of the settings: entries can be pronounced
    bool Listed = false;          // shown by the selector even when not installed
    std::int32_t FluencyFld = 0;  // pronunciation cell; -1 without Fluency, 0 without ".def"
    // Pictures as loaded; the toolbars draw them through TransparentImage.
    std::unique_ptr<QImage> DisabledBitmap;
    std::unique_ptr<QImage> Bitmap;
    std::unique_ptr<QIcon> Icon;  // present (maybe empty) exactly when ".def" exists
    std::string ComplDictionary;
    std::string Name;
    std::string Stylesheet;
    std::string DisplayName;
};

// The catalogue in the order of "dict.cfg"; owns its books.
class TLXABooks {
  public:
    // Reads DataDir + "dict.cfg" and builds every book; sets paths.RegKey from "regkey".
    // A missing file shows "Het bestand '%s' ontbreekt." (1, 2) and raises EAbort.
    explicit TLXABooks(TRPaths &paths);

    std::int32_t Count() const;
    // Raises ELXABooks (3, 1) for an index outside 0 to Count() - 1.
    const std::string &NameAt(std::int32_t index) const;
    // Compared without regard to case; null when there is no such book.
    TLXABook *FindBook(const std::string &name) const;

    std::int32_t Version = 1;

  private:
    std::vector<std::unique_ptr<TLXABook>> Books;
};
