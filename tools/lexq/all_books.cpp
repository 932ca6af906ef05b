#include "all_books.h"

#include <algorithm>
#include <optional>

#include "lookup.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "stderr_dialogs.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"
#include "viewer/finder/AllBooks.h"
#include "viewer/finder/BookGroups.h"
#include "viewer/finder/BookKeys.h"
#include "viewer/finder/FinderPage.h"
#include "viewer/finder/WordFinder.h"

namespace lexq {

namespace {

std::string Utf8(const std::string &cp1252) {
    return platform::Cp1252ToUtf8(cp1252);
}

// One word in every book; its exit status.
int LookUpAll(TAllBooks &books, const std::string &word, const TOptions &options, std::ostream &out,
              std::ostream &err) {
    const std::optional<std::string> text = platform::Utf8ToCp1252Exact(word);
    if (!text) {
        err << "lexq: het woord '" << word
            << "' bevat tekens die buiten Windows-1252 vallen en in geen woordenboek staan\n";
        return kExitError;
    }
    // A one-off lookup waits for everything, the Hunspell dictionaries included.
    const auto answers = books.SearchAll(*text, WordForms::Wait::Yes, !options.Exact);
    bool found = false;
    bool failed = false;
    for (const auto &answer : answers) {
        const std::string name = answer->Book->DisplayName;
        if (answer->Failed()) {
            err << "lexq: " << name << ": " << answer->Notice << '\n';
            failed = true;
            continue;
        }
        if (!answer->BaseForm.empty())
            err << "lexq: " << name << ": "
                << TerminalText(Utf8(BaseFormSentence(*text, answer->BaseForm))) << '\n';
        out << (found ? "\n" : "") << "== " << name << " ==\n";
        if (options.Html)
            out << Utf8(answer->Page()) << "\r\n";
        else
            out << HitsAsText(*answer->Results) << '\n';
        found = true;
    }
    if (found)
        return kExitFound;
    err << "lexq: " << TerminalText(Format("Het woord '%s' kan niet worden gevonden.", {word}))
        << '\n';
    if (!options.Exact) {
        const auto suggestions = books.Suggestions(*text, TWordFinder::kMaxSuggestions);
        if (!suggestions.empty())
            out << "Bedoelde u:\n";
        for (const TBookSuggestion &suggestion : suggestions)
            out << Utf8(suggestion.Headword) << " ("
                << books.At(suggestion.Place).Book().DisplayName << ")\n";
    }
    return failed ? kExitError : kExitNotFound;
}

}  // namespace

int RunAllBooks(const TLXAData &data, const TBookGroup &group, const TOptions &options,
                std::ostream &out, std::ostream &err) {
    if (!lexqapi::HasBooks()) {
        err << "lexq: de zoekbibliotheek kan geen woordenboeken naast elkaar doorzoeken\n";
        return kExitError;
    }
    if (group.Books.empty()) {
        err << "lexq: Er is geen enkel woordenboek geïnstalleerd.\n";
        return kExitError;
    }
    TAllBooks books(group.Books, data.Paths.DataDir);
    if (options.HasPrefix) {
        const std::optional<std::string> text = platform::Utf8ToCp1252Exact(options.Prefix);
        if (!text) {
            err << "lexq: het begin '" << options.Prefix
                << "' bevat tekens die buiten Windows-1252 vallen en in geen woordenboek staan\n";
            return kExitError;
        }
        const std::vector<std::string> words = books.TypeAhead(*text, kTypeAheadWords);
        for (const std::string &headword : words)
            out << Utf8(headword) << '\n';
        return words.empty() ? kExitNotFound : kExitFound;
    }
    return LookUpEach(options.Words, out, err, [&](const std::string &word) {
        return LookUpAll(books, word, options, out, err);
    });
}

}  // namespace lexq
