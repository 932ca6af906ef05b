// libFuzzer target: a table of irregular forms (data/wordforms/<language>.tsv) and words
// typed against it. Input: one byte for the language (Dutch, English or one without
// rules), the table, and optionally the part separator and typed words, one per line;
// without them the table's own fields are typed.
//
// Properties: a form's bases are normalised words, none twice, none the form itself; the
// engine proposes at most its limit of candidates, valid UTF-8, no two under one search key
// and none under the word's own.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "foldtable.h"
#include "foldtable_utf8.h"
#include "fuzz_support.h"
#include "platform/cp1252.h"
#include "platform/encoding.h"
#include "viewer/finder/WordFormRules.h"
#include "viewer/finder/WordFormTable.h"
#include "viewer/finder/WordForms.h"

namespace {

const char *const kLanguages[] = {"nl", "en", "de"};
// Fields whose bases are checked, and typed words, per input: a table of a thousand words
// would otherwise cost a hundred times more than one of ten.
constexpr std::size_t kMostFields = 256;
constexpr std::size_t kMostWords = 16;

// The table folder: the engine reads <folder>/<language>.tsv. Gone when the run ends.
const std::string &TableFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/tk-fuzz-wordforms-XXXXXX";
        if (::mkdtemp(name) == nullptr)
            fuzz::Fail("mkdtemp");
        return std::string(name);
    }();
    // Registered after the folder's name, so it runs before the name is destroyed.
    [[maybe_unused]] static const bool removed =
        std::atexit([] { std::filesystem::remove_all(TableFolder()); }) == 0;
    return folder;
}

std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of(separators), text.size());
        pieces.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return pieces;
}

// A book's key of the word: the Windows-1252 rule where the word fits it, else the UTF-8
// rule of the books made for such words.
std::string SearchKey(std::string_view utf8) {
    const std::optional<std::string> narrow = platform::Utf8ToCp1252Exact(utf8);
    if (!narrow)
        return lexq_fold_utf8_string(utf8);
    std::string key;
    for (const char c : *narrow)
        key += lexq_fold_table[static_cast<unsigned char>(c)];
    return key;
}

void CheckBases(const WordFormTable &table, std::string_view field) {
    const std::string form = wordrules::NormaliseWord(field);
    const std::vector<std::string> &bases = table.Bases(form);
    for (std::size_t i = 0; i < bases.size(); ++i) {
        fuzz::Check(bases[i] != form, "a form is its own base");
        fuzz::Check(
            wordrules::NormaliseWord(bases[i]) == bases[i] && wordrules::LooksLikeWord(bases[i]),
            "a base is no normalised word");
        fuzz::Check(std::find(bases.begin(), bases.begin() + i, bases[i]) == bases.begin() + i,
                    "a base is listed twice");
    }
}

void CheckCandidates(WordForms &forms, std::string_view word, WordForms::Use use) {
    const std::vector<std::string> candidates = forms.Candidates(word, use, WordForms::Wait::No);
    fuzz::Check(candidates.size() <= WordForms::kMaxCandidates, "too many candidates");
    std::vector<std::string> keys{SearchKey(wordrules::NormaliseWord(word))};
    for (const std::string &candidate : candidates) {
        fuzz::Check(platform::IsUtf8(candidate), "a candidate is not UTF-8");
        const std::string key = SearchKey(candidate);
        fuzz::Check(!key.empty(), "a candidate has no search key");
        fuzz::Check(std::find(keys.begin(), keys.end(), key) == keys.end(),
                    "two candidates, or a candidate and the word, share a search key");
        keys.push_back(key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string language = kLanguages[data[0] % std::size(kLanguages)];
    const std::vector<std::string_view> parts =
        fuzz::SplitParts(std::string_view(reinterpret_cast<const char *>(data) + 1, size - 1), 2);
    const std::string_view text = parts[0];

    const WordFormTable table = WordFormTable::Parse(text);
    const std::vector<std::string_view> lines = Split(text, "\n");
    fuzz::Check(table.SkippedLines() <= lines.size(), "more lines skipped than there are");
    std::vector<std::string_view> fields = Split(text, "\t\r\n");
    for (std::size_t i = 0; i < fields.size() && i < kMostFields; ++i)
        CheckBases(table, fields[i]);

    {
        std::ofstream out(TableFolder() + "/" + language + ".tsv",
                          std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    WordForms forms(language, TableFolder(), {});
    // Only the languages with rules have tables.
    fuzz::Check(forms.Table().FormCount() == (language == "de" ? 0 : table.FormCount()),
                "the table file reads otherwise");
    const std::vector<std::string_view> words = parts.size() > 1 ? Split(parts[1], "\n") : fields;
    for (std::size_t i = 0; i < words.size() && i < kMostWords; ++i) {
        CheckCandidates(forms, words[i], WordForms::Use::Miss);
        CheckCandidates(forms, words[i], WordForms::Use::SeeAlso);
    }
    return 0;
}
