#include "viewer/finder/WordFinder.h"

#include <algorithm>
#include <utility>

#include "platform/cp1252.h"
#include "viewer/core/BookText.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/finder/HunspellStems.h"

std::string SourceLanguage(const std::string &bookName) {
    const std::string language = bookName.substr(0, bookName.find('-'));
    if (language.size() < 2 || language.size() > 3)
        return {};
    std::string lower;
    for (const char c : language) {
        if (c >= 'A' && c <= 'Z')
            lower += static_cast<char>(c - 'A' + 'a');
        else if (c >= 'a' && c <= 'z')
            lower += c;
        else
            return {};
    }
    return lower;
}

TWordFinder::TWordFinder(std::string dataDir) : m_dataDir(std::move(dataDir)) {}

void TWordFinder::SetBook(const std::string &bookName) {
    m_language = SourceLanguage(bookName);
    m_keyChars.clear();
    m_keyChars.shrink_to_fit();
    m_keyStarts.clear();
    m_keyStarts.shrink_to_fit();
    m_walk = std::make_unique<TKeyWalk>();
    m_suggester.reset();
}

std::shared_ptr<WordForms> TWordFinder::Forms() {
    if (m_language.empty())
        return nullptr;
    std::shared_ptr<WordForms> &forms = m_forms[m_language];
    if (!forms)
        forms = std::make_shared<WordForms>(m_language, m_dataDir + "/wordforms",
                                            DefaultHunspellFolders(m_dataDir));
    return forms;
}

std::string TWordFinder::BaseForm(const std::string &word, WordForms::Use use,
                                  WordForms::Wait wait) {
    const std::shared_ptr<WordForms> forms = Forms();
    if (!forms)
        return {};
    const std::string typed = booktext::ToUtf8(word);
    for (const std::string &candidate : forms->Candidates(typed, use, wait)) {
        // A letter the book cannot hold would search for another word.
        const std::optional<std::string> text = booktext::FromUtf8(candidate);
        if (text && HasEntries(*text))
            return *text;
    }
    return {};
}

bool TWordFinder::CanSuggest() const {
    return HasKeyWalk() && m_walk && !m_walk->Failed();
}

bool TWordFinder::IndexKeys(std::uint32_t slice) {
    if (m_suggester || !m_walk)
        return false;
    const bool more = m_walk->Next(slice, [this](std::string_view key) {
        m_keyStarts.push_back(static_cast<std::uint32_t>(m_keyChars.size()));
        m_keyChars.append(key);
    });
    if (more)
        return true;
    if (m_walk->Failed()) {
        m_keyChars.clear();
        m_keyStarts.clear();
        return false;
    }
    // All read: the suggester takes the keys over as they are (in key order already).
    m_keyStarts.push_back(static_cast<std::uint32_t>(m_keyChars.size()));
    m_suggester = std::make_unique<Suggester>(std::move(m_keyChars), std::move(m_keyStarts));
    m_keyChars.clear();
    m_keyStarts.clear();
    return false;
}

void TWordFinder::IndexAllKeys() {
    while (IndexKeys(4096)) {
    }
}

std::vector<std::string> TWordFinder::Suggestions(const std::string &word) const {
    std::vector<std::string> headwords;
    if (!m_suggester)
        return headwords;
    for (const std::string &key : m_suggester->Suggest(FoldToLetterKey(word))) {
        std::string headword = FirstHeadword(key);
        if (!headword.empty() &&
            std::find(headwords.begin(), headwords.end(), headword) == headwords.end())
            headwords.push_back(std::move(headword));
        if (headwords.size() == kMaxSuggestions)
            break;
    }
    return headwords;
}

std::size_t TWordFinder::KeyIndexBytes() const {
    return m_suggester ? m_suggester->MemoryBytes() : m_keyChars.capacity();
}
