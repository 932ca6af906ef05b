// Writes searchlib/foldtable_utf8.c: the search-key rule of UTF-8 books, code point by code
// point, from utf8proc's Unicode data. The table is committed, so that the search library
// (also its Windows build) needs no Unicode library; a test regenerates it and compares.
//
// The rule for one code point: full Unicode case folding and compatibility decomposition;
// then the diacritics of the combining blocks are dropped (accents, tonos, cedillas,
// ogoneks), a few letters with a stroke or ligatures that have no decomposition are
// written as their base letters, and what is left is kept when it is a letter or a mark
// of another script, else dropped (digits, punctuation, blanks, symbols, controls).
// Cyrillic letters are only case folded (й stays й), except ё, which becomes е. Hangul
// syllables are kept whole.
#include <utf8proc.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using Sequence = std::u32string;

// Letters without a decomposition to their base letter, each given in its folded form.
const std::map<char32_t, Sequence> kBaseLetters = {
    {U'ł', U"l"}, {U'ø', U"o"},  {U'đ', U"d"},  {U'ð', U"d"}, {U'ħ', U"h"}, {U'ı', U"i"},
    {U'ŧ', U"t"}, {U'æ', U"ae"}, {U'œ', U"oe"}, {U'ƀ', U"b"}, {U'ƚ', U"l"}, {U'ɨ', U"i"},
    {U'ʉ', U"u"}, {U'ƶ', U"z"},  {U'ȥ', U"z"},  {U'ȼ', U"c"}, {U'ɇ', U"e"}, {U'ɉ', U"j"},
    {U'ɍ', U"r"}, {U'ɏ', U"y"},  {U'ё', U"е"},
};

bool IsDiacritic(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F);
}

bool IsLetterOrMark(char32_t c) {
    const utf8proc_category_t category = utf8proc_category(static_cast<utf8proc_int32_t>(c));
    return category >= UTF8PROC_CATEGORY_LU && category <= UTF8PROC_CATEGORY_ME;
}

bool IsCyrillic(char32_t c) {
    return c >= 0x0400 && c <= 0x052F;
}

Sequence Decompose(char32_t c, int options) {
    utf8proc_int32_t out[32];
    int last = 0;
    const utf8proc_ssize_t n = utf8proc_decompose_char(
        static_cast<utf8proc_int32_t>(c), out, 32, static_cast<utf8proc_option_t>(options), &last);
    if (n < 0 || n > 32)
        return Sequence(1, c);
    return Sequence(out, out + n);
}

Sequence Fold(char32_t c) {
    if (c >= 0xAC00 && c <= 0xD7A3)
        return Sequence(1, c);
    const Sequence folded =
        IsCyrillic(c) ? Decompose(c, UTF8PROC_CASEFOLD)
                      : Decompose(c, UTF8PROC_CASEFOLD | UTF8PROC_COMPAT | UTF8PROC_DECOMPOSE);
    Sequence out;
    for (const char32_t d : folded) {
        if (const auto base = kBaseLetters.find(d); base != kBaseLetters.end())
            out += base->second;
        else if (!IsDiacritic(d) && IsLetterOrMark(d))
            out += d;
    }
    return out;
}

std::string Utf8(const Sequence &s) {
    std::string out;
    for (const char32_t c : s) {
        utf8proc_uint8_t bytes[4];
        const utf8proc_ssize_t n = utf8proc_encode_char(static_cast<utf8proc_int32_t>(c), bytes);
        out.append(reinterpret_cast<const char *>(bytes), static_cast<std::size_t>(n));
    }
    return out;
}

std::string CString(const std::string &bytes) {
    std::string out = "\"";
    for (const unsigned char b : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", b);
        out += hex;
    }
    // A hex escape runs on while hex digits follow: each byte is escaped, so none do.
    return out + "\"";
}

}  // namespace

int main() {
    enum : std::uint16_t { kDrop = 0xFFFF, kKeep = 0xFFFE };
    struct Range {
        char32_t first, last;
        std::uint16_t action;
    };
    std::vector<Range> ranges;
    std::vector<std::string> replacements;
    std::map<std::string, std::uint16_t> replacementIndex;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;  // never decoded: UTF-8 cannot hold them
        const Sequence folded = Fold(c);
        std::uint16_t action = kDrop;
        if (folded.size() == 1 && folded[0] == c) {
            action = kKeep;
        } else if (!folded.empty()) {
            const std::string text = Utf8(folded);
            auto [at, added] =
                replacementIndex.emplace(text, static_cast<std::uint16_t>(replacements.size()));
            if (added)
                replacements.push_back(text);
            action = at->second;
        }
        // Runs of kept or dropped code points share a range; each replacement has its own.
        if (!ranges.empty() && ranges.back().last + 1 == c && ranges.back().action == action &&
            (action == kKeep || action == kDrop)) {
            ranges.back().last = c;
        } else {
            ranges.push_back({c, c, action});
        }
    }
    // Dropped code points are what the reader assumes outside every range: leave them out.
    std::vector<Range> kept;
    for (const Range &r : ranges)
        if (r.action != kDrop)
            kept.push_back(r);

    std::printf(
        "/* Generated by tools/foldgen from utf8proc %s (Unicode %s); do not edit.\n"
        "   The search-key rule of UTF-8 books, code point by code point: see\n"
        "   foldtable_utf8.h. */\n"
        "#include \"foldtable_utf8.h\"\n\n",
        utf8proc_version(), utf8proc_unicode_version());
    std::printf("const char *const lexq_fold_utf8_replacements[%zu] = {\n", replacements.size());
    for (const std::string &r : replacements)
        std::printf("    %s,\n", CString(r).c_str());
    std::printf("};\n\n");
    std::printf("const lexq_fold_range lexq_fold_utf8_ranges[%zu] = {\n", kept.size());
    for (const Range &r : kept)
        std::printf("    {0x%04X, 0x%04X, %u},\n", static_cast<unsigned>(r.first),
                    static_cast<unsigned>(r.last), static_cast<unsigned>(r.action));
    std::printf("};\n\nconst unsigned lexq_fold_utf8_range_count = %zu;\n", kept.size());
    return 0;
}
