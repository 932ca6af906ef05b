#include "viewer/core/LXA_Search.h"

#include <QByteArray>
#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <set>

#include "books/exact_words.h"
#include "books/html.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/core/BookText.h"
#include "viewer/core/Cp1252Qt.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"

namespace {

const char *const kCorruptData =
    "Het woordenboek bevat incorrecte gegevens. De gevonden woorden kunnen niet worden getoond.";

// Appends in place: a page of many hits must not be copied once per line.
void AppendLine(std::string &text, std::string_view line) {
    if (!text.empty())
        text += "\r\n";
    text += line;
}

void AppendFmtLine(std::string &text, std::string_view format,
                   std::initializer_list<TFormatArg> args) {
    AppendLine(text, Format(format, args));
}

// Equality in the user's locale, with or without regard to case.
class TLocaleEquality {
  public:
    explicit TLocaleEquality(Qt::CaseSensitivity sensitivity) : Collator(QLocale()) {
        Collator.setCaseSensitivity(sensitivity);
    }
    bool operator()(const std::string &a, const std::string &b) const {
        return Collator.compare(cp1252::ToQString(a), cp1252::ToQString(b)) == 0;
    }

  private:
    QCollator Collator;
};

}  // namespace

std::vector<std::string> NotedKeyWords(std::string_view body) {
    constexpr std::string_view kOpen = "<!--keys ", kLink = "zoek:";
    std::vector<std::string> words;
    const std::size_t end = body.find("-->");
    if (body.substr(0, kOpen.size()) != kOpen || end == std::string_view::npos)
        return words;
    const QByteArray note(body.data() + kOpen.size(), static_cast<qsizetype>(end - kOpen.size()));
    for (const QByteArray &link : note.split(' ')) {
        if (!link.startsWith(QByteArrayView(kLink.data(), kLink.size())))
            continue;
        const QByteArray utf8 = QByteArray::fromPercentEncoding(link.mid(kLink.size()));
        if (const std::optional<std::string> word = booktext::FromUtf8(utf8.toStdString());
            word && !word->empty())
            words.push_back(*word);
    }
    return words;
}

TLXASearchResult::TLXASearchResult(const std::string &row, std::int32_t fluencyField)
    : FluencyField(fluencyField) {
    ParseRow(row);
}

void TLXASearchResult::ParseRow(const std::string &row) {
    RowText = row;
    std::string *const cells[5] = {&SearchWord, &Translated, &Keyword, &LanguageDir, &Body};
    std::string_view rest = RowText;
    for (int i = 0; i < 5; ++i) {
        const TExtractedView cut = ExtractBetweenView(rest, "<td>", "</td>");
        cells[i]->assign(cut.Inner);
        // The search word, the key and the keyword must be present and lead their rest.
        if (i < 3 && (cut.Inner.empty() || !cut.Before.empty()))
            throw ELXASearchResult(kCorruptData, 6, 1);
        rest = cut.After;
    }
    KeyWords = NotedKeyWords(Body);
    Transcription.clear();
    switch (FluencyField) {
        case 3:
            Transcription = Keyword;
            break;
        case 4:
            Transcription = LanguageDir;
            break;
        case 5: {
            const std::size_t semicolon = Body.find(';');
            if (semicolon != std::string::npos) {
                Transcription = Body.substr(0, semicolon);
                Body.erase(0, semicolon + 1);
            }
            break;
        }
        default:
            break;
    }
}

TLXASearchResults::TLXASearchResults() {
    Clear();
}

TLXASearchResults::~TLXASearchResults() {
    Clear();
}

void TLXASearchResults::Clear() {
    LastCode = 0;
    SearchText.clear();
    RawTable.clear();
    Items.clear();
    Folded.clear();
}

std::int32_t TLXASearchResults::Count() const {
    return static_cast<std::int32_t>(Items.size());
}

TLXASearchResult &TLXASearchResults::GetItem(std::int32_t index) const {
    if (index < 0 || index >= Count())
        throw ELXASearchResults(
            "Ongeldige selectie in de resultatenlijst. Er is geen resultaat met indexnummer %d.",
            {std::int64_t{index}}, 6, 2);
    return *Items[static_cast<std::size_t>(index)];
}

std::int32_t TLXASearchResults::Search(const std::string &text, std::int32_t fluencyField) {
    Clear();
    SearchText = text;
    char *table = nullptr;
    // Without a loaded library there is no open dictionary either.
    // A UTF-8 book is asked in UTF-8; the text is in the open book's encoding already.
    const lexqapi::TLexqSearch search =
        booktext::IsUtf8() ? lexqapi::lexq_search_utf8 : lexqapi::lexq_search;
    LastCode = search ? search(SearchText.c_str(), &table) : lexqapi::LEXQ_ERR_NOTINITIALIZED;
    switch (LastCode) {
        case lexqapi::LEXQ_ERR_NONE:
            // The library owns the text: hand it back however parsing ends.
            try {
                RawTable = table != nullptr ? table : "";
                ParseTable(fluencyField);
            } catch (...) {
                lexqapi::lexq_free_searchresult(table);
                throw;
            }
            lexqapi::lexq_free_searchresult(table);
            break;
        case lexqapi::LEXQ_ERR_NOTINITIALIZED:
            ShowError(
                "Er is een functie aangeroepen zonder dat lexq_init eerst met succes is "
                "aangeroepen.",
                5, 1);
            break;
        case lexqapi::LEXQ_ERR_WORDNOTFOUND:
        case lexqapi::LEXQ_ERR_ILLEGALINPUT:
            break;
        case lexqapi::LEXQ_ERR_NOMEMORY:
            ShowError(lexqapi::kMsgNoMemory, 5, 6);
            break;
        default:
            ShowError(lexqapi::kMsgUnknownError, 5, lexqapi::StatusNumber(LastCode));
            break;
    }
    const bool answered = LastCode == lexqapi::LEXQ_ERR_NONE ||
                          LastCode == lexqapi::LEXQ_ERR_WORDNOTFOUND ||
                          LastCode == lexqapi::LEXQ_ERR_ILLEGALINPUT;
    if (answered && books::HoldsSigns(SearchText))
        PutExactHitsFirst(fluencyField);
    return Count();
}

void TLXASearchResults::PutExactHitsFirst(std::int32_t fluencyField) {
    const TLocaleEquality anyCase(Qt::CaseInsensitive);
    std::vector<std::unique_ptr<TLXASearchResult>> exact;
    for (const books::ExactWord &word : ExactWords) {
        if (!anyCase(word.word, SearchText))
            continue;
        const books::Triple &e = word.entry;
        // The row the library would give, with the word itself for the key it lacks.
        exact.push_back(std::make_unique<TLXASearchResult>(
            "<td>" + SearchText + "</td><td>" + word.word + "</td><td>" + e.s1 + "</td><td>" +
                e.s2 + "</td><td>" + e.s3 + "</td>",
            fluencyField));
        exact.back()->Exact = true;
    }
    std::vector<std::unique_ptr<TLXASearchResult>> rest;
    for (auto &item : Items)
        (anyCase(item->Keyword, SearchText) ? exact : rest).push_back(std::move(item));
    Items = std::move(exact);
    if (Items.empty()) {
        Items = std::move(rest);
        return;
    }
    LastCode = lexqapi::LEXQ_ERR_NONE;
    DropRepeatedTexts();
    // A folded hit that shows a text shown above is left out, not counted.
    std::set<std::pair<std::string_view, std::string_view>> shown;
    for (const auto &item : Items)
        shown.emplace(item->LanguageDir, item->Body);
    for (auto &item : rest)
        if (item->Body.empty() || shown.count({item->LanguageDir, item->Body}) == 0)
            Folded.push_back(std::move(item));
}

std::string FoldedLine(std::size_t count) {
    return count == 1 ? "Nog 1 artikel met dezelfde letters"
                      : "Nog " + std::to_string(count) + " artikelen met dezelfde letters";
}

void TLXASearchResults::ParseTable(std::int32_t fluencyField) {
    const TExtractedView table = ExtractBetweenView(RawTable, "<table>", "</table>");
    if (table.Inner.empty() || !table.Before.empty() || !table.After.empty())
        throw ELXASearchResults(kCorruptData, 6, 1);
    std::string_view rest = table.Inner;
    while (!rest.empty()) {
        const TExtractedView row = ExtractBetweenView(rest, "<tr>", "</tr>");
        if (row.Inner.empty() || !row.Before.empty())
            throw ELXASearchResults(kCorruptData, 6, 1);
        Items.push_back(std::make_unique<TLXASearchResult>(std::string(row.Inner), fluencyField));
        rest = row.After;
    }
    OrderResults();
    DropRepeatedTexts();
}

void TLXASearchResults::DropRepeatedTexts() {
    // Several words of a book may name one text (an accented and a bare spelling); the
    // page shows it once, at the place of its best-ranked word.
    std::vector<std::unique_ptr<TLXASearchResult>> kept;
    kept.reserve(Items.size());
    std::set<std::pair<std::string_view, std::string_view>> seen;
    for (auto &item : Items) {
        const bool repeated =
            !item->Body.empty() && !seen.emplace(item->LanguageDir, item->Body).second;
        if (!repeated)
            kept.push_back(std::move(item));
    }
    Items = std::move(kept);
}

void TLXASearchResults::OrderResults() {
    const TLocaleEquality sameCase(Qt::CaseSensitive);
    const TLocaleEquality anyCase(Qt::CaseInsensitive);
    const std::string searchKey = FoldToLetterKey(SearchText);
    std::vector<std::unique_ptr<TLXASearchResult>> ordered;
    ordered.reserve(Items.size());
    // Each group takes its hits from what is left, front to back, keeping their order.
    auto takeGroup = [&](auto matches) {
        std::vector<std::unique_ptr<TLXASearchResult>> left;
        for (auto &item : Items)
            (matches(*item) ? ordered : left).push_back(std::move(item));
        Items = std::move(left);
    };
    // A hit reached through the typed word itself, its keyword or another word of its entry,
    // is an exact hit.
    const auto typedWord = [&](const TLXASearchResult &r, const TLocaleEquality &same) {
        return same(r.Keyword, SearchText) ||
               std::any_of(r.KeyWords.begin(), r.KeyWords.end(),
                           [&](const std::string &word) { return same(word, SearchText); });
    };
    takeGroup([&](const TLXASearchResult &r) { return typedWord(r, sameCase); });
    takeGroup([&](const TLXASearchResult &r) { return typedWord(r, anyCase); });
    takeGroup(
        [&](const TLXASearchResult &r) { return sameCase(FoldToLetterKey(r.Keyword), searchKey); });
    for (auto &item : Items)
        ordered.push_back(std::move(item));
    Items = std::move(ordered);
}

std::string TLXASearchResults::BuildPage(const std::string &styleSheet) const {
    std::string page;
    AppendLine(page, "<html>");
    AppendLine(page, "  <head>");
    // A UTF-8 book's page is UTF-8; the page of a Windows-1252 book stays as it always was.
    if (booktext::IsUtf8())
        AppendLine(page, "    " + std::string(booktext::kUtf8PageMark));
    AppendFmtLine(page, "    <title>Resultaten voor \"%s\"</title>", {SearchText});
    AppendFmtLine(page, "    <meta name=\"searchtext\" content=\"%s\">", {SearchText});
    if (!styleSheet.empty())
        AppendFmtLine(page, "    <link rel=\"stylesheet\" type=\"text/css\" href=\"%s\">",
                      {styleSheet});
    AppendLine(page, "  </head>");
    AppendLine(page, "  <body>");
    for (const auto &item : Items) {
        AppendFmtLine(page,
                      "    <!-- keyword=\"%s\", translated=\"%s\"transcription=\"%s\", "
                      "languagedir=\"%s\" -->",
                      {item->Keyword, item->Translated, item->Transcription, item->LanguageDir});
        AppendLine(page, item->Body);
    }
    if (!Folded.empty()) {
        // The letters alone search the same key without folding: every hit shows then.
        std::string letters;
        for (const char c : SearchText)
            if (!books::HoldsSigns(std::string_view(&c, 1)))
                letters += c;
        AppendLine(page, "    <p class=\"zoekhulp\"><a href=\"" +
                             books::SearchLink(booktext::ToUtf8(letters)) + "\">" +
                             FoldedLine(Folded.size()) + "</a></p>");
    }
    AppendLine(page, "  </body>");
    AppendLine(page, "</html>");
    return page;
}

std::string TLXASearchResults::PronounceText() const {
    std::string text;
    for (const auto &item : Items) {
        if (item->Transcription.empty())
            continue;
        text = text.empty() ? item->Transcription : text + "." + item->Transcription;
    }
    return text;
}
