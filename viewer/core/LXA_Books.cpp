#include "viewer/core/LXA_Books.h"

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

std::unique_ptr<QImage> OptionalPicture(const std::string &path) {
    if (!platform::FileExists(path))
        return nullptr;
    return std::make_unique<QImage>(LoadPicture(path));
}

}  // namespace

TLXABook::TLXABook(const std::string &name, bool listed, const std::string &displayName,
                   const TRPaths &paths)
    : Listed(listed), Name(name), DisplayName(displayName) {
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
        Stylesheet = settings.ReadString("dictionary", "stylesheet", "dict.css");
        ComplDictionary = settings.ReadString("compldictionary", "dictionary", Name);
        Icon = std::make_unique<QIcon>();
        if (platform::FileExists(icoFile))
            LoadIconFile(*Icon, icoFile);
    }
    DisabledBitmap = OptionalPicture(offFile);
    Bitmap = OptionalPicture(bmpFile);
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
    const auto lines = config.ReadSection("dictionaries");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto &[name, value] = lines[i];
        // A repeated key counts with its first value only, and an empty value lists no book.
        bool repeated = false;
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = platform::EqualNoCaseUtf8(lines[j].first, name);
        if (repeated || value.empty())
            continue;
        const std::size_t semicolon = value.find(';');
        const std::string flag = semicolon == std::string::npos ? "0" : value.substr(0, semicolon);
        const std::string displayName =
            semicolon == std::string::npos ? value : value.substr(semicolon + 1);
        Books.push_back(std::make_unique<TLXABook>(name, flag == "1", displayName, paths));
    }
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
