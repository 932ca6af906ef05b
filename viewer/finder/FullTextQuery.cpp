#include "viewer/finder/FullTextQuery.h"

namespace fulltext {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// The words of a piece of text: runs of word bytes; everything else parts them.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (IsWordByte(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// A term as FTS5 reads it: each word a quoted string (no word holds a quote), joined by
// "+" into a phrase (the words next to each other), a prefix marked after the last.
std::string Phrase(const TTerm &term) {
    std::string phrase;
    for (const std::string &word : term.Words)
        phrase += (phrase.empty() ? "\"" : " + \"") + word + "\"";
    return term.Prefix ? phrase + " *" : phrase;
}

}  // namespace

bool IsWordByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80;
}

std::optional<TQuery> TQuery::Read(std::string_view text, std::string &error) {
    if (text.size() > kMostBytes) {
        error = "de zoekvraag is langer dan " + std::to_string(kMostBytes) + " tekens.";
        return std::nullopt;
    }
    TQuery query;
    bool wanted = false;
    for (std::size_t i = 0; i < text.size();) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        TTerm term;
        if (text[i] == '-') {
            term.Excluded = true;
            ++i;
        }
        std::string_view piece;
        if (i < text.size() && text[i] == '"') {
            const std::size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) {
                error = "een aanhalingsteken (\") wordt niet gesloten.";
                return std::nullopt;
            }
            piece = text.substr(i + 1, close - i - 1);
            i = close + 1;
            if (Words(piece).empty()) {
                error = "tussen de aanhalingstekens staat geen woord.";
                return std::nullopt;
            }
        } else {
            const std::size_t start = i;
            while (i < text.size() && !IsBlank(text[i]) && text[i] != '"')
                ++i;
            piece = text.substr(start, i - start);
        }
        if (i < text.size() && text[i] == '*') {
            ++i;  // "a phrase"* : its last word is a start
            term.Prefix = true;
        }
        if (!piece.empty() && piece.back() == '*')
            term.Prefix = true;
        term.Words = Words(piece);
        // A piece without a letter or a digit ("&", a lone "-") asks for nothing.
        if (term.Words.empty())
            continue;
        // "e-mail" is one word to the user and two next to each other to the index.
        wanted = wanted || !term.Excluded;
        query.m_terms.push_back(std::move(term));
        if (query.m_terms.size() > kMostTerms) {
            error = "de zoekvraag heeft meer dan " + std::to_string(kMostTerms) + " woorden.";
            return std::nullopt;
        }
    }
    if (query.m_terms.empty()) {
        error = "er staat geen woord in om naar te zoeken.";
        return std::nullopt;
    }
    if (!wanted) {
        error = "er staan alleen woorden met een '-' in; geef ook een woord dat erin moet staan.";
        return std::nullopt;
    }
    return query;
}

std::string TQuery::Expression() const {
    std::string wanted, excluded;
    for (const TTerm &term : m_terms) {
        std::string &side = term.Excluded ? excluded : wanted;
        side += (side.empty() ? "" : term.Excluded ? " OR " : " AND ") + Phrase(term);
    }
    return excluded.empty() ? wanted : "(" + wanted + ") NOT (" + excluded + ")";
}

}  // namespace fulltext
