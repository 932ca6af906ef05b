#include "word_list.h"

#include <algorithm>

#include "html_text.h"
#include "lookup.h"
#include "platform/cp1252.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/wordlist/CardFile.h"

namespace lexq {

namespace {

// The list named, or the default list; null (reported) when a named list does not exist.
bool KnownList(const wordlist::TWordStore &store, const std::string &name, std::ostream &err) {
    const std::vector<std::string> lists = store.Lists();
    if (name == wordlist::kDefaultList ||
        std::find(lists.begin(), lists.end(), name) != lists.end())
        return true;
    err << "lexq: er is geen woordenlijst '" << name << "'\n";
    return false;
}

}  // namespace

std::unique_ptr<wordlist::TWordStore> OpenWordList(std::ostream &err) {
    std::string message;
    std::unique_ptr<wordlist::TWordStore> store =
        wordlist::TWordStore::Open(wordlist::TWordStore::DefaultPath(), message);
    if (!message.empty())
        err << "lexq: " << message << '\n';
    return store;
}

bool StarHits(wordlist::TWordStore &store, const std::string &list, const std::string &book,
              const TLXASearchResults &hits, const std::string &typed, const std::string &base,
              std::ostream &err) {
    int added = 0;
    for (std::int32_t i = 0; i < hits.Count(); ++i) {
        const TLXASearchResult &hit = hits.GetItem(i);
        wordlist::TWordEntry entry;
        entry.List = list;
        entry.Book = book;
        entry.Headword = platform::Cp1252ToUtf8(hit.Keyword);
        entry.Html = platform::Cp1252ToUtf8(hit.Body);
        entry.Plain = HtmlToText(hit.Body);
        entry.Typed = typed;
        entry.BaseForm = base;
        bool isNew = false;
        if (store.Add(entry, isNew) == 0 && !isNew && !store.Error().empty()) {
            err << "lexq: " << store.Error() << '\n';
            return false;
        }
        added += isNew ? 1 : 0;
    }
    const std::string name = list.empty() ? wordlist::kDefaultList : list;
    err << "lexq: " << added << (added == 1 ? " artikel" : " artikelen") << " bewaard in '" << name
        << "'";
    if (added < hits.Count())
        err << " (" << hits.Count() - added << " stond" << (hits.Count() - added == 1 ? "" : "en")
            << " er al in)";
    err << '\n';
    return true;
}

int RunWordList(const TOptions &options, std::ostream &out, std::ostream &err) {
    const std::unique_ptr<wordlist::TWordStore> store = OpenWordList(err);
    if (!store)
        return kExitError;
    const std::size_t named = options.ExportAnki ? options.Words.size() - 1 : options.Words.size();
    const std::string list = named > 0 ? options.Words[0] : wordlist::kDefaultList;
    if (!KnownList(*store, list, err))
        return kExitError;
    if (options.ListWords) {
        const std::vector<wordlist::TWordEntry> entries = store->Entries(list, /*texts=*/false);
        for (const wordlist::TWordEntry &entry : entries)
            out << entry.Headword << '\n';
        return entries.empty() ? kExitNotFound : kExitFound;
    }
    const std::vector<wordlist::TWordEntry> entries = store->Entries(list);
    const std::string notes = wordlist::AnkiNotes(entries);
    const std::string &file = options.Words.back();
    if (file == "-") {
        out << notes;
    } else {
        std::string error;
        if (!wordlist::WriteFileAtomically(file, notes, error)) {
            err << "lexq: " << error << '\n';
            return kExitError;
        }
    }
    err << "lexq: " << entries.size() << (entries.size() == 1 ? " notitie" : " notities")
        << " geschreven uit '" << list << "'\n";
    return kExitFound;
}

}  // namespace lexq
