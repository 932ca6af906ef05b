#include "WordForms.h"

#include <algorithm>

#include "WordFormRules.h"
#include "foldtable.h"
#include "foldtable_utf8.h"
#include "platform/encoding.h"

namespace {

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// The search key a book files a word under: two candidates with one key find the same
// entries, and a candidate with the word's own key finds nothing new.
// A word beyond Windows-1252 (a candidate for a UTF-8 book) is told apart by the UTF-8 rule.
std::string SearchKey(std::string_view utf8) {
    std::string key;
    const std::optional<std::string> cp1252 = platform::Utf8ToCp1252Exact(utf8);
    if (!cp1252)
        return lexq_fold_utf8_string(utf8);
    for (const char c : *cp1252)
        key += lexq_fold_table[static_cast<unsigned char>(c)];
    return key;
}

// Keeps candidates in order, each search key once, never the word's own key.
class Collector {
  public:
    Collector(std::string_view word, std::size_t limit) : limit_(limit) {
        keys_.push_back(SearchKey(word));
    }
    void Add(const std::string &candidate) {
        if (Full())
            return;
        std::string key = SearchKey(candidate);
        if (key.empty() || std::find(keys_.begin(), keys_.end(), key) != keys_.end())
            return;
        keys_.push_back(std::move(key));
        out_.push_back(candidate);
    }
    bool Full() const { return out_.size() >= limit_; }
    std::vector<std::string> Take() { return std::move(out_); }

  private:
    std::size_t limit_;
    std::vector<std::string> keys_;
    std::vector<std::string> out_;
};

// A byte that starts a character: splitting a word there keeps both parts valid UTF-8.
bool StartsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

}  // namespace

WordForms::WordForms(std::string language, std::string tableFolder,
                     std::vector<std::string> hunspellFolders)
    : language_(std::move(language)),
      tablePath_(tableFolder + "/" + language_ + ".tsv"),
      hunspell_(language_, std::move(hunspellFolders)) {}

const WordFormTable &WordForms::Table() {
    std::call_once(tableOnce_, [this] {
        // Only the two languages with rules have tables; a missing file leaves them empty.
        if (RulesOn())
            table_.LoadFile(tablePath_);
    });
    return table_;
}

void WordForms::Load() {
    Table();
    hunspell_.Load();
}

void WordForms::TableCandidates(const std::string &w, std::vector<std::string> &out) {
    const WordFormTable &table = Table();
    for (const std::string &base : table.Bases(w))
        out.push_back(base);
    // The last part of a compound or a prefixed verb: school+kinderen, ont+beten, be+gon.
    // Verbs with an inseparable prefix take no ge-: ver+kocht is ver + (ge)kocht.
    for (std::size_t i = 2; i + 3 <= w.size(); ++i) {
        if (!StartsCharacter(w[i]))
            continue;
        const std::string head = w.substr(0, i);
        if (head == "ge")
            continue;  // ge+dachten is far likelier a plural than a past of "gedenken"
        const std::string_view tail = std::string_view(w).substr(i);
        for (const std::string &base : table.Bases(tail))
            out.push_back(head + base);
        if (Dutch() && wordrules::IsDutchInseparablePrefix(head))
            for (const std::string &base : table.Bases("ge" + std::string(tail)))
                out.push_back(head + base);
    }
}

void WordForms::RuleCandidates(const std::string &w, bool guessStem,
                               std::vector<std::string> &out) {
    if (English()) {
        wordrules::EnglishRuleCandidates(w, out);
        return;
    }
    wordrules::DutchRuleCandidates(w, guessStem, out);
    // A separable verb's participle has its ge- inside: op+ge+beld -> op+bellen.
    for (std::size_t i = 2; i + 5 <= w.size() && i <= 9; ++i) {
        const std::string head = w.substr(0, i);
        if (!wordrules::IsDutchSeparablePrefix(head) || !StartsWith(w.substr(i), "ge"))
            continue;
        std::vector<std::string> inner;
        wordrules::DutchRuleCandidates(w.substr(i), false, inner);
        for (const std::string &candidate : inner)
            if (EndsWith(candidate, "en"))
                out.push_back(head + candidate);
    }
}

void WordForms::HunspellCandidates(const std::string &w, std::vector<std::string> &out,
                                   std::vector<std::string> &otherWords) const {
    if (!hunspell_.Ready())
        return;
    if (!RulesOn()) {
        for (const std::string &stem : hunspell_.Stems(w))
            out.push_back(wordrules::NormaliseWord(stem));
        return;
    }
    // The Dutch dictionary gives verb stems ("werk" for werkte, tagged VB...) where the
    // book has infinitives, and participles (gekookt, VBp...) where it has the verb.
    const wordrules::Voicing voicing =
        EndsWith(w, "de") || EndsWith(w, "den")   ? wordrules::Voicing::Voiced
        : EndsWith(w, "te") || EndsWith(w, "ten") ? wordrules::Voicing::Voiceless
                                                  : wordrules::Voicing::Unknown;
    for (const HunspellStems::Analysis &analysis : hunspell_.Analyze(w)) {
        const std::string stem = wordrules::NormaliseWord(analysis.stem);
        const std::string head = wordrules::NormaliseWord(analysis.prefix);
        std::vector<std::string> &into = analysis.prefixDropped ? otherWords : out;
        if (!Dutch() || !StartsWith(analysis.tag, "VB")) {
            into.push_back(head + stem);
            continue;
        }
        std::vector<std::string> verbs;
        if (StartsWith(analysis.tag, "VBp")) {
            wordrules::DutchRuleCandidates(stem, false, verbs);
            verbs.erase(std::remove_if(verbs.begin(), verbs.end(),
                                       [](const std::string &v) { return !EndsWith(v, "en"); }),
                        verbs.end());
        } else {
            wordrules::DutchInfinitives(stem, voicing, verbs);
        }
        for (const std::string &verb : verbs)
            into.push_back(head + verb);
    }
}

std::vector<std::string> WordForms::Candidates(std::string_view word, Use use, Wait wait) {
    const std::string w = wordrules::NormaliseWord(word);
    if (!wordrules::LooksLikeWord(w))
        return {};
    if (wait == Wait::Yes)
        hunspell_.Load();

    std::vector<std::string> tables;
    std::vector<std::string> rules;
    std::vector<std::string> stems;
    std::vector<std::string> otherWords;
    std::string owner = w;  // English possessives: the owner's forms are the word's
    if (English() && (EndsWith(w, "'s") || EndsWith(w, "s'"))) {
        owner = w.substr(0, w.size() - (w.back() == 's' ? 2 : 1));
        tables.push_back(owner);
    }
    TableCandidates(owner, tables);
    if (RulesOn())
        RuleCandidates(w, use == Use::Miss, rules);
    HunspellCandidates(w, stems, otherWords);

    Collector collector(w, kMaxCandidates);
    for (const std::string &candidate : tables)
        collector.Add(candidate);
    // Rule guesses the dictionary confirms, in the rules' order: the rules know that
    // "bomen" is "boom" before "bom", the dictionary that "zette" is a past (zetten), not
    // an adjective (zet). The English dictionary's affixes are looser ("hoped" as hop+ed),
    // so there the rules' own order stands when the word has no entry.
    const bool confirmFirst = Dutch() || use == Use::SeeAlso;
    if (!confirmFirst)
        for (const std::string &candidate : rules)
            collector.Add(candidate);
    for (const std::string &candidate : rules)
        if (std::find(stems.begin(), stems.end(), candidate) != stems.end())
            collector.Add(candidate);
    for (const std::string &candidate : stems)
        collector.Add(candidate);
    if (use == Use::Miss) {
        for (const std::string &candidate : rules)
            collector.Add(candidate);
        // Last, a word hidden under a prefix: "removed" holds "move", but means "remove".
        for (const std::string &candidate : otherWords)
            collector.Add(candidate);
    }
    return collector.Take();
}

std::string WordForms::FirstBaseForm(std::string_view word,
                                     const std::function<bool(const std::string &)> &has, Use use,
                                     Wait wait) {
    for (const std::string &candidate : Candidates(word, use, wait))
        if (has(candidate))
            return candidate;
    return {};
}
