#include "viewer/finder/AllBooks.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <exception>
#include <filesystem>

#include "books/encoding.h"
#include "foldtable_utf8.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Paths.h"
#include "viewer/core/LXA_Search.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/PatternSearch.h"
#include "viewer/finder/Suggest.h"
#include "viewer/finder/WordFinder.h"

namespace {

// Keys read per call of the key walk.
constexpr std::uint32_t kKeySlice = 4096;

// The notice a book gives in its block when it cannot answer.
std::string FailureNotice(std::int32_t code) {
    switch (code) {
        case lexqapi::LEXQ_ERR_FILENOTFOUND:
            return "Dit woordenboek kan niet worden doorzocht: het woordenboekbestand ontbreekt.";
        case lexqapi::LEXQ_ERR_WRONGFORMAT:
            return "Dit woordenboek kan niet worden doorzocht: het woordenboekbestand is corrupt.";
        case lexqapi::LEXQ_ERR_NODECRYPTDLL:
            return "Dit woordenboek kan niet worden doorzocht: het toepassingsbestand "
                   "'crypt.dll' ontbreekt.";
        case lexqapi::LEXQ_ERR_NOMEMORY:
            return "Dit woordenboek kan niet worden doorzocht: er is niet genoeg geheugen.";
        case lexqapi::LEXQ_ERR_NOTINITIALIZED:
            return "Dit woordenboek kan niet worden doorzocht: de zoekbibliotheek kan geen "
                   "woordenboeken naast elkaar openen.";
        default:
            return "Tijdens het doorzoeken van dit woordenboek is een onbekende fout opgetreden.";
    }
}

// The rank of the hit the page shows first, by the single book's order: a hit reached
// through the typed word (its keyword or another word its entry notes) ranks as exact.
// Texts as the collator reads them, and whether two texts have the same key.
template <typename ToText, typename SameKey>
TAnswerRank RankOf(const TLXASearchResult &first, const std::string &typed, const ToText &toText,
                   const SameKey &sameKey) {
    const QString text = toText(typed);
    QCollator collator{QLocale()};
    const auto typedWord = [&] {
        if (collator.compare(toText(first.Keyword), text) == 0)
            return true;
        return std::any_of(first.KeyWords.begin(), first.KeyWords.end(), [&](const auto &word) {
            return collator.compare(toText(word), text) == 0;
        });
    };
    collator.setCaseSensitivity(Qt::CaseSensitive);
    if (typedWord())
        return TAnswerRank::Exact;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    if (typedWord())
        return TAnswerRank::AnyCase;
    if (sameKey(first.Keyword, typed))
        return TAnswerRank::Folded;
    return TAnswerRank::Other;
}

TAnswerRank RankOf(const TLXASearchResult &first, const std::string &typed) {
    return RankOf(
        first, typed, [](const std::string &text) { return cp1252::ToQString(text); },
        [](const std::string &a, const std::string &b) {
            return FoldToLetterKey(a) == FoldToLetterKey(b);
        });
}

// The same for page text with references (a UTF-8 book's, or a word beyond Windows-1252),
// compared as the characters they stand for and keyed by the UTF-8 rule.
TAnswerRank RankOfReferences(const TLXASearchResult &first, const std::string &typed) {
    return RankOf(
        first, typed,
        [](const std::string &text) {
            return QString::fromStdString(books::Cp1252WithReferencesToUtf8(text));
        },
        [](const std::string &a, const std::string &b) {
            return lexq_fold_utf8_string(books::Cp1252WithReferencesToUtf8(a)) ==
                   lexq_fold_utf8_string(books::Cp1252WithReferencesToUtf8(b));
        });
}

// A typed word's key in a Windows-1252 book: its letters A to Z; for a word beyond the code
// page those of its UTF-8 key, when it has no others ("żona" is near "zone").
std::string LetterKey(const std::string &word) {
    if (const std::optional<std::string> text = platform::Utf8ToCp1252Exact(word))
        return FoldToLetterKey(*text);
    std::string key = lexq_fold_utf8_string(word);
    for (char &c : key) {
        if (c < 'a' || c > 'z')
            return {};
        c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

}  // namespace

bool TBookAnswer::HasEntries() const {
    return (Results != nullptr && Results->Count() > 0) || !Listing.empty();
}

std::int32_t TBookAnswer::Count() const {
    if (!Listing.empty())
        return static_cast<std::int32_t>(Listed);
    return Results != nullptr ? Results->Count() : 0;
}

std::string TBookAnswer::Page() const {
    if ((!Results && Listing.empty()) || Book == nullptr)
        return {};
    const std::string styleSheet =
        Book->Stylesheet.empty() ? "" : PageFileReference(Book->StylesheetFile());
    if (!Listing.empty())
        return WithLineAbove(TLXASearchResults().BuildPage(styleSheet), Listing);
    const std::string page = Results->BuildPage(styleSheet);
    if (BaseForm.empty())
        return page;
    // References stand for characters: the line is made of those, then written as page text.
    return WithLineAbove(page, References ? books::Utf8ToCp1252WithReferences(BaseFormLine(
                                                books::Cp1252WithReferencesToUtf8(Typed),
                                                books::Cp1252WithReferencesToUtf8(BaseForm)))
                                          : BaseFormLine(Typed, BaseForm));
}

std::string TBookAnswer::ArticleText() const {
    if (!Listing.empty())
        return Listing;
    std::string text;
    if (Results)
        for (const auto &item : Results->Items)
            text += item->Body;
    return text;
}

bool RanksBefore(const TBookAnswer &a, const TBookAnswer &b) {
    if (a.Rank != b.Rank)
        return a.Rank < b.Rank;
    return a.Place < b.Place;
}

std::vector<std::shared_ptr<const TBookAnswer>> Ranked(
    std::vector<std::shared_ptr<const TBookAnswer>> answers) {
    std::erase_if(answers, [](const auto &answer) {
        return answer == nullptr || (!answer->HasEntries() && !answer->Failed());
    });
    std::stable_sort(answers.begin(), answers.end(),
                     [](const auto &a, const auto &b) { return RanksBefore(*a, *b); });
    return answers;
}

std::vector<TBookSuggestion> MergeSuggestions(std::vector<std::vector<TBookSuggestion>> lists,
                                              std::size_t limit) {
    std::vector<TBookSuggestion> all;
    for (auto &list : lists)
        for (std::size_t i = 0; i < list.size(); ++i)
            all.push_back(std::move(list[i]));
    // Stable: within one distance and book, the book's own order stays.
    std::stable_sort(all.begin(), all.end(), [](const auto &a, const auto &b) {
        return a.Distance != b.Distance ? a.Distance < b.Distance : a.Place < b.Place;
    });
    std::vector<TBookSuggestion> merged;
    for (TBookSuggestion &suggestion : all) {
        if (merged.size() == limit)
            break;
        if (std::none_of(merged.begin(), merged.end(),
                         [&](const auto &m) { return m.Headword == suggestion.Headword; }))
            merged.push_back(std::move(suggestion));
    }
    return merged;
}

std::vector<std::string> MergeTypeAhead(const std::vector<std::vector<TKeyRow>> &lists,
                                        std::size_t limit) {
    struct TPlaced {
        const TKeyRow *Row;
        std::size_t Book;
    };
    std::vector<TPlaced> all;
    for (std::size_t book = 0; book < lists.size(); ++book)
        for (const TKeyRow &row : lists[book])
            all.push_back({&row, book});
    std::stable_sort(all.begin(), all.end(), [](const TPlaced &a, const TPlaced &b) {
        return a.Row->Key != b.Row->Key ? a.Row->Key < b.Row->Key : a.Book < b.Book;
    });
    std::vector<std::string> words;
    for (const TPlaced &placed : all) {
        if (words.size() == limit)
            break;
        if (std::find(words.begin(), words.end(), placed.Row->Headword) == words.end())
            words.push_back(placed.Row->Headword);
    }
    return words;
}

std::shared_ptr<WordForms> TFormsShelf::For(const std::string &bookName) {
    const std::string language = SourceLanguage(bookName);
    if (language.empty())
        return nullptr;
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::shared_ptr<WordForms> &forms = m_forms[language];
    if (!forms)
        forms = std::make_shared<WordForms>(language, m_dataDir + "/wordforms",
                                            DefaultHunspellFolders(m_dataDir));
    return forms;
}

TBookSearcher::TBookSearcher(const TLXABook &book, std::size_t place, TFormsShelf &forms)
    : m_book(book), m_place(place), m_forms(forms), m_handle(book.IndexFile()) {
    m_index.SetBook(book.IndexFile());
}

TBookSearcher::~TBookSearcher() = default;

std::int32_t TBookSearcher::SearchInto(const std::string &utf8, TBookAnswer &answer) {
    std::string table;
    answer.Code = m_handle.SearchUtf8(utf8, table);
    if (answer.Code != lexqapi::LEXQ_ERR_NONE)
        return answer.Code;
    auto results = std::make_shared<TLXASearchResults>();
    results->SearchText =
        platform::Utf8ToCp1252Exact(utf8).value_or(books::Utf8ToCp1252WithReferences(utf8));
    results->RawTable = std::move(table);
    results->ParseTable(m_book.FluencyFld);
    answer.Results = std::move(results);
    return answer.Code;
}

std::shared_ptr<const TBookAnswer> TBookSearcher::Answer(const std::string &typed,
                                                         WordForms::Wait wait, bool baseForms,
                                                         const TStale &stale) {
    return AnswerUtf8(platform::Cp1252ToUtf8(typed), wait, baseForms, stale);
}

std::shared_ptr<const TBookAnswer> TBookSearcher::AnswerUtf8(const std::string &word,
                                                             WordForms::Wait wait, bool baseForms,
                                                             const TStale &stale) {
    auto answer = std::make_shared<TBookAnswer>();
    answer->Place = m_place;
    answer->Book = &m_book;
    const std::optional<std::string> typed = platform::Utf8ToCp1252Exact(word);
    answer->Typed = typed ? *typed : books::Utf8ToCp1252WithReferences(word);
    const auto wanted = [&] { return !stale || !stale(); };
    // The first text that has entries: true, or false with the code of the last lookup.
    const auto found = [&](const std::string &utf8) {
        return SearchInto(utf8, *answer) == lexqapi::LEXQ_ERR_NONE;
    };
    // A UTF-8 book's texts, and a word beyond the code page, hold references.
    const auto references = [&] { return !typed || m_handle.Utf8(); };
    try {
        if (!wanted())
            return nullptr;
        const std::optional<std::string> small =
            typed ? SmallLigatureSpelling(*typed) : std::nullopt;
        if (found(word) || (small && answer->Code == lexqapi::LEXQ_ERR_WORDNOTFOUND && wanted() &&
                            found(platform::Cp1252ToUtf8(*small)))) {
            answer->References = references();
            answer->Rank = answer->References
                               ? RankOfReferences(answer->Results->GetItem(0), answer->Typed)
                               : RankOf(answer->Results->GetItem(0), answer->Typed);
            return answer;
        }
        if (answer->Code == lexqapi::LEXQ_ERR_WORDNOTFOUND) {
            const std::shared_ptr<WordForms> forms = baseForms ? m_forms.For(m_book.Name) : nullptr;
            for (const std::string &candidate :
                 forms ? forms->Candidates(word, WordForms::Use::Miss, wait)
                       : std::vector<std::string>()) {
                if (!wanted())
                    return nullptr;
                // A Windows-1252 book has nothing for a letter it cannot hold.
                if (!found(candidate))
                    continue;
                answer->Rank = TAnswerRank::BaseForm;
                answer->BaseForm = answer->Results->GetItem(0).Keyword;
                answer->References = references();
                return answer;
            }
            answer->Code = lexqapi::LEXQ_ERR_WORDNOTFOUND;
            answer->Results.reset();
            return answer;
        }
        if (answer->Code == lexqapi::LEXQ_ERR_ILLEGALINPUT)
            return answer;
        answer->Rank = TAnswerRank::Failed;
        answer->Notice = FailureNotice(answer->Code);
    } catch (const std::exception &) {
        // A table the result list cannot read, or no memory for it.
        answer->Results.reset();
        answer->Rank = TAnswerRank::Failed;
        answer->Notice =
            "Het woordenboek bevat incorrecte gegevens. De gevonden woorden kunnen niet worden "
            "getoond.";
    }
    return answer;
}

std::string TBookSearcher::FirstHeadword(const std::string &key) {
    TBookAnswer answer;
    try {
        if (SearchInto(key, answer) == lexqapi::LEXQ_ERR_NONE)
            return answer.Results->GetItem(0).Keyword;
    } catch (const std::exception &) {
    }
    return {};
}

namespace {

// The key lists read so far, by index file: a new choice of books opens its books anew but
// need not read some 150,000 keys again. A file changed since is read again.
struct TKeptKeys {
    std::int64_t Size = -1;
    std::int64_t Modified = 0;
    std::shared_ptr<const Suggester> Keys;
};
std::mutex g_keptKeysMutex;
std::map<std::string, TKeptKeys> g_keptKeys;

TKeptKeys FileStamp(const std::string &path) {
    TKeptKeys stamp;
    std::error_code error;
    stamp.Size = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error)
        stamp.Size = -1;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (!error)
        stamp.Modified = modified.time_since_epoch().count();
    return stamp;
}

}  // namespace

bool TBookSearcher::ReadKeys() {
    if (m_suggester || m_keysFailed)
        return m_suggester != nullptr;
    const std::string path = m_book.IndexFile();
    TKeptKeys stamp = FileStamp(path);
    {
        const std::lock_guard<std::mutex> lock(g_keptKeysMutex);
        const auto kept = g_keptKeys.find(path);
        if (kept != g_keptKeys.end() && stamp.Size >= 0 && kept->second.Size == stamp.Size &&
            kept->second.Modified == stamp.Modified) {
            m_suggester = kept->second.Keys;
            return true;
        }
    }
    std::string chars;
    std::vector<std::uint32_t> starts;
    std::string after;
    for (;;) {
        std::string list;
        const std::int32_t code = m_handle.Keys(after, kKeySlice, list);
        if (code == lexqapi::LEXQ_ERR_WORDNOTFOUND)
            break;
        if (code != lexqapi::LEXQ_ERR_NONE || list.empty() || list.back() != '\n') {
            m_keysFailed = true;
            return false;
        }
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::string_view key = rest.substr(0, rest.find('\n'));
            // Each key follows the one before; anything else would walk in circles.
            if (key.empty() || key <= std::string_view(after)) {
                m_keysFailed = true;
                return false;
            }
            starts.push_back(static_cast<std::uint32_t>(chars.size()));
            chars.append(key);
            after.assign(key);
            rest.remove_prefix(key.size() + 1);
        }
    }
    starts.push_back(static_cast<std::uint32_t>(chars.size()));
    m_suggester = std::make_shared<const Suggester>(std::move(chars), std::move(starts));
    stamp.Keys = m_suggester;
    if (stamp.Size >= 0) {
        const std::lock_guard<std::mutex> lock(g_keptKeysMutex);
        g_keptKeys[path] = std::move(stamp);
    }
    return true;
}

std::vector<TBookSuggestion> TBookSearcher::Suggestions(const std::string &typed) {
    return SuggestionsUtf8(platform::Cp1252ToUtf8(typed));
}

std::vector<TBookSuggestion> TBookSearcher::SuggestionsUtf8(const std::string &word) {
    const std::lock_guard<std::mutex> lock(m_keysMutex);
    std::vector<TBookSuggestion> suggestions;
    if (!ReadKeys())
        return suggestions;
    // A UTF-8 book's keys are UTF-8 keys, a Windows-1252 book's the letters A to Z.
    const std::string typedKey = m_handle.Utf8() ? lexq_fold_utf8_string(word) : LetterKey(word);
    for (const std::string &key : m_suggester->Suggest(typedKey)) {
        std::string headword = FirstHeadword(key);
        if (!headword.empty())
            suggestions.push_back({std::move(headword), m_place, OsaDistance(typedKey, key)});
    }
    return suggestions;
}

std::vector<TKeyRow> TBookSearcher::Prefix(const std::string &text, std::size_t limit) {
    return PrefixUtf8(platform::Cp1252ToUtf8(text), limit);
}

std::vector<TKeyRow> TBookSearcher::PrefixUtf8(const std::string &text, std::size_t limit) {
    std::string table;
    if (limit == 0 || m_handle.PrefixUtf8(text, static_cast<std::uint32_t>(limit), table) !=
                          lexqapi::LEXQ_ERR_NONE)
        return {};
    std::vector<TKeyRow> rows;
    for (const TLXASearchResult &row : TableRows(table))
        rows.push_back({row.Translated, row.Keyword});
    return rows;
}

std::shared_ptr<const TBookAnswer> ServerBookAnswer(const TLXABook &book, std::size_t place,
                                                    const std::string &typed,
                                                    const std::vector<std::string> &headwords,
                                                    const std::string &html,
                                                    const std::string &trouble) {
    auto answer = std::make_shared<TBookAnswer>();
    answer->Place = place;
    answer->Book = &book;
    answer->Typed = books::Utf8ToCp1252WithReferences(typed);
    answer->References = true;
    if (!trouble.empty()) {
        answer->Rank = TAnswerRank::Failed;
        answer->Notice = trouble;
        return answer;
    }
    answer->Code = lexqapi::LEXQ_ERR_WORDNOTFOUND;
    if (headwords.empty())
        return answer;
    answer->Code = lexqapi::LEXQ_ERR_NONE;
    // The best of its headwords: the server may have matched the word loosely.
    const QString word = QString::fromStdString(typed);
    const std::string key = lexq_fold_utf8_string(typed);
    for (const std::string &headword : headwords) {
        const QString text = QString::fromStdString(headword);
        const TAnswerRank rank = text == word ? TAnswerRank::Exact
                                 : text.compare(word, Qt::CaseInsensitive) == 0
                                     ? TAnswerRank::AnyCase
                                 : lexq_fold_utf8_string(headword) == key ? TAnswerRank::Folded
                                                                          : TAnswerRank::Other;
        answer->Rank = std::min(answer->Rank, rank);
    }
    answer->Listing = books::Utf8ToCp1252WithReferences(html);
    answer->Listed = headwords.size();
    return answer;
}

std::shared_ptr<const TBookAnswer> ServerPatternAnswer(const TLXABook &book, std::size_t place,
                                                       const std::string &typed,
                                                       const std::vector<std::string> &headwords,
                                                       const std::string &trouble) {
    if (trouble.empty() && headwords.empty())
        return nullptr;
    auto answer = std::make_shared<TBookAnswer>();
    answer->Place = place;
    answer->Book = &book;
    answer->Typed = typed;
    answer->References = true;
    if (!trouble.empty()) {
        answer->Rank = TAnswerRank::Failed;
        answer->Notice = trouble;
        return answer;
    }
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < headwords.size() && i < kPatternPageLimit; ++i)
        listed.push_back(books::Utf8ToCp1252WithReferences(headwords[i]));
    answer->Listing = PatternLines(listed, headwords.size(), typed);
    answer->Listed = headwords.size();
    return answer;
}

std::vector<TBookSuggestion> ServerSuggestions(const std::vector<std::string> &words,
                                               std::size_t place, const std::string &typed) {
    const std::string typedKey = lexq_fold_utf8_string(typed);
    std::vector<TBookSuggestion> suggestions;
    for (const std::string &word : words)
        suggestions.push_back({books::Utf8ToCp1252WithReferences(word), place,
                               OsaDistance(typedKey, lexq_fold_utf8_string(word))});
    // Nearest first, as a book's own list; the server's order within one distance.
    std::stable_sort(suggestions.begin(), suggestions.end(),
                     [](const auto &a, const auto &b) { return a.Distance < b.Distance; });
    return suggestions;
}

std::vector<std::string> MergeWordLists(const std::vector<std::string> &first,
                                        const std::vector<std::string> &second, std::size_t limit) {
    std::vector<std::string> merged;
    const auto add = [&](const std::string &word) {
        if (merged.size() < limit && std::find(merged.begin(), merged.end(), word) == merged.end())
            merged.push_back(word);
    };
    std::size_t a = 0, b = 0;
    while (merged.size() < limit && (a < first.size() || b < second.size())) {
        if (b == second.size() || (a < first.size() && lexq_fold_utf8_string(first[a]) <=
                                                           lexq_fold_utf8_string(second[b])))
            add(first[a++]);
        else
            add(second[b++]);
    }
    return merged;
}

TAllBooks::TAllBooks(const std::vector<TLXABook *> &books, const std::string &dataDir)
    : m_forms(dataDir) {
    for (TLXABook *book : books) {
        if (!book->ServerAddress.empty())
            m_serverBooks.push_back(book);
        else
            m_searchers.push_back(
                std::make_unique<TBookSearcher>(*book, m_searchers.size(), m_forms));
    }
}

TAllBooks::~TAllBooks() = default;

const TLXABook &TAllBooks::BookAt(std::size_t place) const {
    return place < m_searchers.size() ? m_searchers[place]->Book()
                                      : *m_serverBooks.at(place - m_searchers.size());
}

std::vector<std::shared_ptr<const TBookAnswer>> TAllBooks::SearchAll(const std::string &typed,
                                                                     WordForms::Wait wait,
                                                                     bool baseForms) {
    return SearchAllUtf8(platform::Cp1252ToUtf8(typed), wait, baseForms);
}

std::vector<TBookSuggestion> TAllBooks::Suggestions(const std::string &typed, std::size_t limit) {
    return SuggestionsUtf8(platform::Cp1252ToUtf8(typed), limit);
}

std::vector<std::string> TAllBooks::TypeAhead(const std::string &text, std::size_t limit) {
    return TypeAheadUtf8(platform::Cp1252ToUtf8(text), limit);
}

std::vector<std::shared_ptr<const TBookAnswer>> TAllBooks::SearchAllUtf8(const std::string &word,
                                                                         WordForms::Wait wait,
                                                                         bool baseForms) {
    std::vector<std::shared_ptr<const TBookAnswer>> answers;
    for (auto &searcher : m_searchers)
        answers.push_back(searcher->AnswerUtf8(word, wait, baseForms));
    return Ranked(std::move(answers));
}

std::vector<TBookSuggestion> TAllBooks::SuggestionsUtf8(const std::string &word,
                                                        std::size_t limit) {
    std::vector<std::vector<TBookSuggestion>> lists;
    for (auto &searcher : m_searchers)
        lists.push_back(searcher->SuggestionsUtf8(word));
    return MergeSuggestions(std::move(lists), limit);
}

std::vector<std::string> TAllBooks::TypeAheadUtf8(const std::string &text, std::size_t limit) {
    std::vector<std::vector<TKeyRow>> lists;
    for (auto &searcher : m_searchers)
        lists.push_back(searcher->PrefixUtf8(text, limit));
    return MergeTypeAhead(lists, limit);
}
