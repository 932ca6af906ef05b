#include "books/keys.h"

#include <algorithm>
#include <unordered_map>

#include "books/encoding.h"
#include "books/exact_words.h"
#include "foldtable.h"
#include "foldtable_utf8.h"

namespace books {

namespace {

struct TripleHash {
    std::size_t operator()(const Triple &t) const {
        const std::hash<std::string> h;
        return h(t.s1) ^ (h(t.s2) * 31) ^ (h(t.s3) * 1009);
    }
};

// A stored text as UTF-8, for messages.
std::string AsUtf8(TextKind kind, const std::string &text) {
    return kind == TextKind::Utf8 ? text : Cp1252ToUtf8(text);
}

}  // namespace

std::string FoldKey(std::string_view cp1252) {
    std::string key;
    key.reserve(cp1252.size());
    for (const char c : cp1252)
        key += lexq_fold_table[static_cast<unsigned char>(c)];
    return key;
}

std::string FoldKeyUtf8(std::string_view utf8) {
    return lexq_fold_utf8_string(utf8);
}

std::string FoldKeyFor(TextKind kind, std::string_view text) {
    return kind == TextKind::Utf8 ? FoldKeyUtf8(text) : FoldKey(text);
}

std::size_t KeyTable::LargestHitList() const {
    std::size_t largest = 0;
    for (const auto &[key, hits] : keys)
        largest = std::max(largest, hits.size());
    return largest;
}

std::vector<std::pair<std::string, int>> EntryKeys(const SourceEntry &entry, Diagnostics &diag,
                                                   std::size_t maxKeyLength,
                                                   std::vector<ExactWord> &exact, TextKind kind) {
    // The headword first, then the extra keys; a key named twice in one entry gives that
    // entry one hit, not two.
    std::vector<std::pair<std::string, int>> folded;
    std::vector<std::pair<std::string, int>> empty;  // texts that fold to nothing
    auto addKey = [&](const std::string &text, int line) {
        std::string key = FoldKeyFor(kind, text);
        if (key.empty()) {
            empty.emplace_back(text, line);
            return;
        }
        if (key.size() > maxKeyLength) {
            diag.Error(line, "search key " + key.substr(0, 20) + "... is " +
                                 std::to_string(key.size()) + " letters long; at most " +
                                 std::to_string(maxKeyLength) + " are possible here");
            return;
        }
        for (const auto &[k, l] : folded) {
            if (k == key)
                return;
        }
        folded.emplace_back(std::move(key), line);
    };
    addKey(entry.headword, entry.line);
    for (const SourceKey &extra : entry.keys)
        addKey(extra.text, extra.line);
    // Digits and signs ("8086", ":-)") make no key, but the word typed as it is finds the
    // entry through the list of exact words kept beside the book: nothing is lost.
    bool isExact = false;
    for (const auto &[text, line] : empty) {
        if (HoldsSigns(text)) {
            exact.push_back({text, {entry.headword, entry.dir, entry.body}});
            isExact = true;
        } else if (!folded.empty()) {
            diag.Warn(line, "\"" + AsUtf8(kind, text) +
                                "\" folds to an empty search key; the entry is not found "
                                "under it");
        }
    }
    if (folded.empty() && !isExact) {
        diag.Warn(entry.line, "entry \"" + AsUtf8(kind, entry.headword) +
                                  "\" folds to an empty search key; skipped");
    }
    return folded;
}

std::string TooManyHits(const std::string &key, std::size_t hits, std::size_t maxHits) {
    return "search key " + key + " has " + std::to_string(hits) + " entries; at most " +
           std::to_string(maxHits) + " are possible";
}

KeyTable CollectKeys(const std::vector<SourceEntry> &entries, Diagnostics &diag,
                     std::size_t maxKeyLength, std::size_t maxHits, TextKind kind) {
    KeyTable table;
    std::unordered_map<Triple, std::uint32_t, TripleHash> stored;
    std::map<std::string, int> firstLine;  // where each key was first seen, for messages

    for (const SourceEntry &entry : entries) {
        const std::vector<std::pair<std::string, int>> folded =
            EntryKeys(entry, diag, maxKeyLength, table.exact, kind);
        if (folded.empty())
            continue;
        Triple triple{entry.headword, entry.dir, entry.body};
        auto [it, isNew] =
            stored.try_emplace(triple, static_cast<std::uint32_t>(table.triples.size()));
        if (isNew)
            table.triples.push_back(std::move(triple));
        for (auto &[key, line] : folded) {
            firstLine.try_emplace(key, line);
            std::vector<std::uint32_t> &hits = table.keys[key];
            // A repeated record would show its one stored text twice.
            if (isNew || std::find(hits.begin(), hits.end(), it->second) == hits.end())
                hits.push_back(it->second);
        }
    }
    for (const auto &[key, hits] : table.keys) {
        if (hits.size() > maxHits)
            diag.Error(firstLine[key], TooManyHits(key, hits.size(), maxHits));
    }
    return table;
}

}  // namespace books
