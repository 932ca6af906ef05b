#include "HunspellStems.h"

#include <iconv.h>
#include <hunspell/hunspell.hxx>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The dictionary for a language in a folder: <lang>.aff, else <lang>_<LANG>.aff (en_EN
// does not exist, but nl_NL and de_DE do), else the first <lang>_*.aff by name, each only
// with its .dic beside it.
std::string FindAffix(const std::string &folder, const std::string &language) {
    std::error_code error;
    const auto usable = [&](const fs::path &aff) {
        fs::path dic = aff;
        dic.replace_extension(".dic");
        return fs::is_regular_file(aff, error) && fs::is_regular_file(dic, error);
    };
    std::string upper = language;
    for (char &c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string &name : {language, language + "_" + upper}) {
        const fs::path aff = fs::path(folder) / (name + ".aff");
        if (usable(aff))
            return aff.string();
    }
    std::vector<std::string> regional;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() > language.size() + 5 &&
            name.compare(0, language.size() + 1, language + "_") == 0 &&
            it->path().extension() == ".aff" && usable(it->path()))
            regional.push_back(it->path().string());
    }
    std::sort(regional.begin(), regional.end());
    return regional.empty() ? std::string() : regional.front();
}

// The name iconv knows for the encoding a dictionary declares ("ISO8859-1", "UTF-8",
// "microsoft-cp1251"); empty for UTF-8.
std::string IconvName(std::string declared) {
    for (char &c : declared)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (declared.empty() || declared == "UTF-8" || declared == "UTF8")
        return {};
    if (declared.rfind("MICROSOFT-", 0) == 0)
        return declared.substr(10);
    return declared;
}

// Converts text between encodings; false when a character has no place in the target.
bool Convert(const std::string &to, const std::string &from, std::string_view text,
             std::string &out) {
    out.clear();
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string input(text);
    char *in = input.data();
    std::size_t inLeft = input.size();
    std::string buffer(input.size() * 4 + 16, '\0');
    char *outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || inLeft != 0)
        return false;
    out.assign(buffer.data(), buffer.size() - outLeft);
    return true;
}

// The value of a field ("st:", "ts:") in one analysis line; empty when absent.
std::string Field(const std::string &line, std::string_view name) {
    std::size_t at = 0;
    while ((at = line.find(name, at)) != std::string::npos) {
        if (at == 0 || line[at - 1] == ' ' || line[at - 1] == '\t')
            break;
        at += name.size();
    }
    if (at == std::string::npos)
        return {};
    at += name.size();
    const std::size_t end = line.find_first_of(" \t", at);
    return line.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The words before the stem field of an analysis, without their own fields: "af" in
// "af st:gewassen fl:Pj", the first part of a compound. flagged: a field stands there too
// (" fl:A st:move"), an affix given only by its flag.
std::string CompoundHead(const std::string &line, bool &flagged) {
    flagged = false;
    std::string head;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string::npos)
            break;
        std::size_t end = line.find_first_of(" \t", start);
        if (end == std::string::npos)
            end = line.size();
        const std::string_view token(line.data() + start, end - start);
        if (token.substr(0, 3) == "st:")
            return head;
        if (token.find(':') == std::string_view::npos)
            head += token;
        else
            flagged = true;
        at = end;
    }
    return {};
}

}  // namespace

HunspellStems::HunspellStems(std::string language, std::vector<std::string> folders)
    : language_(std::move(language)), folders_(std::move(folders)) {}

HunspellStems::~HunspellStems() = default;

bool HunspellStems::Load() {
    std::call_once(once_, [this] {
        // A language is a short code; anything else never names a file.
        if (language_.empty() || language_.size() > 8 ||
            !std::all_of(language_.begin(), language_.end(),
                         [](char c) { return std::islower(static_cast<unsigned char>(c)); }))
            return;
        for (const std::string &folder : folders_) {
            std::string aff = FindAffix(folder, language_);
            if (aff.empty())
                continue;
            fs::path dic = aff;
            dic.replace_extension(".dic");
            auto hunspell = std::make_unique<Hunspell>(aff.c_str(), dic.string().c_str());
            const std::string encoding = IconvName(hunspell->get_dict_encoding());
            std::string probe;
            if (!encoding.empty() && !Convert(encoding, "UTF-8", "a", probe))
                continue;  // an encoding iconv does not know: try the next folder
            std::lock_guard lock(mutex_);
            hunspell_ = std::move(hunspell);
            affixPath_ = std::move(aff);
            encoding_ = encoding;
            ready_.store(true, std::memory_order_release);
            return;
        }
    });
    return Ready();
}

std::string HunspellStems::AffixPath() const {
    std::lock_guard lock(mutex_);
    return affixPath_;
}

bool HunspellStems::ToDictionary(std::string_view utf8, std::string &out) const {
    if (encoding_.empty()) {
        out.assign(utf8);
        return true;
    }
    return Convert(encoding_, "UTF-8", utf8, out);
}

bool HunspellStems::FromDictionary(const std::string &text, std::string &out) const {
    if (encoding_.empty()) {
        out = text;
        return true;
    }
    return Convert("UTF-8", encoding_, text, out);
}

std::vector<std::string> HunspellStems::Stems(std::string_view word) const {
    std::vector<std::string> stems;
    std::string encoded;
    if (!Ready() || word.empty() || !ToDictionary(word, encoded))
        return stems;
    std::lock_guard lock(mutex_);
    for (const std::string &stem : hunspell_->stem(encoded)) {
        std::string utf8;
        if (FromDictionary(stem, utf8))
            stems.push_back(std::move(utf8));
    }
    return stems;
}

std::vector<HunspellStems::Analysis> HunspellStems::Analyze(std::string_view word) const {
    std::vector<Analysis> analyses;
    std::string encoded;
    if (!Ready() || word.empty() || !ToDictionary(word, encoded))
        return analyses;
    std::lock_guard lock(mutex_);
    for (const std::string &line : hunspell_->analyze(encoded)) {
        std::string utf8;
        if (!FromDictionary(line, utf8))
            continue;
        Analysis analysis{Field(utf8, "st:"), Field(utf8, "ts:"), {}, false};
        analysis.prefix = CompoundHead(utf8, analysis.prefixDropped);
        if (analysis.stem.empty())
            continue;
        analyses.push_back(std::move(analysis));
    }
    return analyses;
}

bool HunspellStems::Spell(std::string_view word) const {
    std::string encoded;
    if (!Ready() || word.empty() || !ToDictionary(word, encoded))
        return false;
    std::lock_guard lock(mutex_);
    return hunspell_->spell(encoded);
}

std::vector<std::string> DefaultHunspellFolders(const std::string &dataDir) {
    return {dataDir + "/hunspell", "/usr/share/hunspell", "/usr/share/myspell",
            "/usr/share/myspell/dicts"};
}
