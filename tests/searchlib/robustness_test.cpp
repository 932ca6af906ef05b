// Damaged files and failing resources: truncation and bit flips at every byte, and
// allocation, open, seek and read failures at every point of an open and a search.
// Whatever happens, the answer is a status code or a well-formed table, nothing leaks,
// and the dictionary answers correctly once the trouble stops.
#include "fixture.h"
#include "le.h"

namespace tk::test {
namespace {

const std::vector<Entry> &Words() {
    static const std::vector<Entry> words = {
        {"BOOM", {{"boom", "de", "tree"}}},   {"DAK", {{"dak", "het", "roof"}, {"dakje", "", ""}}},
        {"HUIS", {{"huis", "het", "house"}}}, {"KAT", {{"kat", "de", "cat"}}},
        {"ZON", {{"zon", "de", "sun"}}},
    };
    return words;
}

std::string Table(const Entry &e) {
    std::string table = "<table>";
    for (const Hit &h : e.hits)
        table += Row(e.key, e.key, h);
    return table + "</table>";
}

// A sound dictionary whose every word has a leaf block and a text block of its own, with
// each word's byte ranges (its leaf block and its text block) in the file.
struct Layout {
    std::string bytes;
    std::vector<std::pair<size_t, size_t>> leafRange, textRange;  // [begin, end)
};

Layout Build(Cipher cipher = nullptr) {
    RawDictionary raw(std::move(cipher));
    std::vector<uint32_t> texts;
    std::vector<Placed> leaves;
    for (const Entry &e : Words()) {
        std::string content;
        for (const Hit &h : e.hits)
            content += h.s1 + '\0' + h.s2 + '\0' + h.s3 + '\0';
        texts.push_back(raw.AddText({content}));
    }
    std::vector<NodeEntry> root;
    for (size_t i = 0; i < Words().size(); i++) {
        std::vector<Ref> refs;
        uint16_t at = 0;
        for (const Hit &h : Words()[i].hits) {
            refs.push_back({texts[i], at});
            at = static_cast<uint16_t>(at + h.s1.size() + h.s2.size() + h.s3.size() + 3);
        }
        leaves.push_back(raw.AddLeaf({{Words()[i].key, refs}}));
        root.push_back({Words()[i].key, leaves[i].position, leaves[i].size, leaves[i].count});
    }
    raw.SetRoot(1, raw.AddNode(root));

    Layout layout;
    layout.bytes = raw.Bytes();
    const auto *p = reinterpret_cast<const uint8_t *>(layout.bytes.data());
    const uint8_t *end = p + layout.bytes.size();
    uint32_t textOffset = 0, leafOffset = 0, length = 0;
    lexq_le32(p + 24, end, &textOffset);
    lexq_le32(p + 28, end, &leafOffset);
    for (size_t i = 0; i < Words().size(); i++) {
        const size_t leaf = leafOffset + 12 + leaves[i].position;
        layout.leafRange.push_back({leaf, leaf + leaves[i].size});
        const size_t text = textOffset + 8 + texts[i];
        lexq_le32(p + text, end, &length);
        layout.textRange.push_back({text, text + 10 + length});
    }
    return layout;
}

bool Inside(size_t at, const std::pair<size_t, size_t> &range) {
    return at >= range.first && at < range.second;
}

// The two walks over the open dictionary: every key, and the type-ahead of "d".
std::pair<int32_t, std::string> Walk(bool typeAhead) {
    char *text = nullptr;
    const int32_t code = typeAhead ? lexq_prefix("d", 10, &text) : lexq_keys("", 100, &text);
    std::string copy = text != nullptr ? std::string(text) : std::string();
    EXPECT_TRUE(code == LEXQ_ERR_NONE || text == nullptr) << "a failed walk hands out a text";
    lexq_free_searchresult(text);
    return {code, copy};
}

std::string SoundWalk(bool typeAhead) {
    if (typeAhead)
        return "<table>" + Row("d", "DAK", {"dak", "", ""}) + "</table>";
    std::string keys;
    for (const Entry &e : Words())
        keys += e.key + "\n";
    return keys;
}

// The keys a walk's text gives, each checked for its place: in key order, each once, and
// for the type-ahead of "d" in rows of five cells with a headword.
void ExpectWellFormedWalk(const std::string &text, bool typeAhead) {
    std::vector<std::string> keys;
    if (typeAhead) {
        ASSERT_EQ(text.rfind("<table>", 0), 0u) << text;
        ASSERT_EQ(text.substr(text.size() - 8), "</table>") << text;
        const std::string head = "<tr><td>d</td><td>", tail = "</td><td></td><td></td></tr>";
        for (size_t at = 7; at < text.size() - 8;) {
            ASSERT_EQ(text.compare(at, head.size(), head), 0) << text;
            const size_t keyEnd = text.find("</td><td>", at + head.size());
            const size_t rowEnd = text.find(tail, keyEnd);
            ASSERT_NE(rowEnd, std::string::npos) << text;
            keys.push_back(text.substr(at + head.size(), keyEnd - at - head.size()));
            EXPECT_GT(rowEnd, keyEnd + 9) << "a headword in every row: " << text;
            EXPECT_EQ(keys.back().rfind('D', 0), 0u) << text;
            at = rowEnd + tail.size();
        }
    } else {
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.back(), '\n');
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\n', at);
            keys.push_back(text.substr(at, end - at));
            for (const char c : keys.back())
                EXPECT_GE(static_cast<unsigned char>(c), 0x20u) << text;
            at = end + 1;
        }
    }
    for (size_t i = 1; i < keys.size(); i++)
        EXPECT_LT(keys[i - 1], keys[i]) << text;
}

class Robustness : public LexqTest {
  protected:
    // Searches every word and checks the answers against the sound dictionary's.
    void ExpectSoundAnswers() {
        for (const Entry &e : Words()) {
            const auto [code, table] = Search(e.key);
            EXPECT_EQ(code, LEXQ_ERR_NONE) << e.key;
            EXPECT_EQ(table, Table(e)) << e.key;
        }
    }
    // Flips 0x80 and 0xFF into every byte in turn and searches every word.
    void FlipEveryByte(bool enciphered);
};

// A table that is either right, or at least of the right shape for this search.
void ExpectWellFormed(const std::string &table, const std::string &key) {
    const std::string head = "<table><tr><td>" + key + "</td><td>" + key + "</td><td>";
    const std::string tail = "</td></tr></table>";
    ASSERT_GE(table.size(), head.size() + tail.size()) << table;
    EXPECT_EQ(table.substr(0, head.size()), head);
    EXPECT_EQ(table.substr(table.size() - tail.size()), tail);
}

TEST_F(Robustness, TruncationAtEveryByteIsWrongFormatOrTheRightAnswer) {
    const Layout layout = Build();
    for (size_t size = 0; size < layout.bytes.size(); size++) {
        SCOPED_TRACE("truncated to " + std::to_string(size));
        const int32_t opened =
            lexq_init(dir_.Write("cut.idx", layout.bytes.substr(0, size)).c_str());
        if (opened != LEXQ_ERR_NONE) {
            EXPECT_EQ(opened, LEXQ_ERR_WRONGFORMAT);
            continue;
        }
        for (const Entry &e : Words()) {
            const auto [code, table] = Search(e.key);
            if (code == LEXQ_ERR_NONE)
                EXPECT_EQ(table, Table(e));
            else
                EXPECT_EQ(code, LEXQ_ERR_WRONGFORMAT) << e.key;
        }
        for (bool typeAhead : {false, true}) {
            const auto [code, text] = Walk(typeAhead);
            if (code == LEXQ_ERR_NONE)
                EXPECT_EQ(text, SoundWalk(typeAhead));
            else
                EXPECT_EQ(code, LEXQ_ERR_WRONGFORMAT) << typeAhead;
        }
        lexq_deinit();
    }
}

void Robustness::FlipEveryByte(bool enciphered) {
    const Layout layout = Build(enciphered ? CryptEncrypt() : nullptr);
    for (size_t at = 0; at < layout.bytes.size(); at++) {
        for (uint8_t mask : {0x80, 0xFF}) {
            SCOPED_TRACE("byte " + std::to_string(at) + " ^ " + std::to_string(mask) +
                         (enciphered ? " enciphered" : ""));
            std::string bytes = layout.bytes;
            bytes[at] = static_cast<char>(bytes[at] ^ mask);
            const int32_t opened = lexq_init(dir_.Write("flip.idx", bytes).c_str());
            if (opened != LEXQ_ERR_NONE) {
                EXPECT_TRUE(opened == LEXQ_ERR_WRONGFORMAT || opened == LEXQ_ERR_NOMEMORY)
                    << opened;
                continue;
            }
            for (size_t w = 0; w < Words().size(); w++) {
                const Entry &e = Words()[w];
                const auto [code, table] = Search(e.key);
                EXPECT_TRUE(code == LEXQ_ERR_NONE || code == LEXQ_ERR_WRONGFORMAT ||
                            code == LEXQ_ERR_WORDNOTFOUND || code == LEXQ_ERR_NOMEMORY)
                    << e.key << ": " << code;
                if (code == LEXQ_ERR_NONE)
                    ExpectWellFormed(table, e.key);
                // A flip inside another word's own blocks cannot touch this word.
                bool othersOnly = false;
                for (size_t o = 0; o < Words().size(); o++)
                    if (o != w &&
                        (Inside(at, layout.leafRange[o]) || Inside(at, layout.textRange[o])))
                        othersOnly = true;
                if (othersOnly) {
                    EXPECT_EQ(code, LEXQ_ERR_NONE) << e.key;
                    EXPECT_EQ(table, Table(e)) << e.key;
                }
                EXPECT_EQ(Search(e.key).first, code) << "the same search, the same answer";
            }
            for (bool typeAhead : {false, true}) {
                const auto [code, text] = Walk(typeAhead);
                EXPECT_TRUE(code == LEXQ_ERR_NONE || code == LEXQ_ERR_WRONGFORMAT ||
                            code == LEXQ_ERR_WORDNOTFOUND || code == LEXQ_ERR_NOMEMORY)
                    << code;
                if (code == LEXQ_ERR_NONE)
                    ExpectWellFormedWalk(text, typeAhead);
                EXPECT_EQ(Walk(typeAhead), std::make_pair(code, text)) << "the same answer again";
            }
            lexq_deinit();
        }
    }
}

TEST_F(Robustness, FlippedBytesInAPlainFileNeverCrashAndLeaveOtherWordsAlone) {
    FlipEveryByte(false);
}

TEST_F(Robustness, FlippedBytesInAnEncipheredFileNeverCrashAndLeaveOtherWordsAlone) {
    FlipEveryByte(true);
}

TEST_F(Robustness, AllocationFailureAtEveryPointOfAColdSearch) {
    // Small initial buffers, so that the search grows them as well.
    RawDictionary raw = BuildDictionary(Words());
    raw.fields.leafMaxLength = 1;
    raw.fields.textMaxLength = 1;
    const std::string path = Write(raw);
    ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
    lexq_seam_alloc_fail(0, false);
    ASSERT_EQ(Search("dak").first, LEXQ_ERR_NONE);
    const unsigned long allocations = lexq_seam_alloc_count();
    ASSERT_GE(allocations, 4u);  // key, leaf buffer, text buffer, result text
    lexq_deinit();
    for (unsigned long nth = 1; nth <= allocations; nth++) {
        for (bool onward : {false, true}) {
            SCOPED_TRACE("allocation " + std::to_string(nth) + (onward ? " on" : ""));
            lexq_seam_alloc_fail(0, false);
            ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
            lexq_seam_alloc_fail(nth, onward);
            EXPECT_EQ(Search("dak").first, LEXQ_ERR_NOMEMORY);
            EXPECT_EQ(Search("dak").first, onward ? LEXQ_ERR_NOMEMORY : LEXQ_ERR_NONE);
            lexq_seam_alloc_fail(0, false);
            ExpectSoundAnswers();
            EXPECT_EQ(lexq_deinit(), LEXQ_ERR_NONE);
            EXPECT_EQ(lexq_seam_alloc_live_blocks(), liveBefore_);
        }
    }
}

TEST_F(Robustness, AllocationFailureAtEveryPointOfAColdWalk) {
    BuildOptions options;
    options.leafEntries = 2;
    RawDictionary raw = BuildDictionary(Words(), options);
    raw.fields.leafMaxLength = 1;
    raw.fields.textMaxLength = 1;
    const std::string path = Write(raw);
    for (bool typeAhead : {false, true}) {
        ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
        lexq_seam_alloc_fail(0, false);
        ASSERT_EQ(Walk(typeAhead), std::make_pair(LEXQ_ERR_NONE, SoundWalk(typeAhead)));
        const unsigned long allocations = lexq_seam_alloc_count();
        lexq_deinit();
        for (unsigned long nth = 1; nth <= allocations; nth++) {
            for (bool onward : {false, true}) {
                SCOPED_TRACE("allocation " + std::to_string(nth) + (onward ? " on" : "") +
                             (typeAhead ? " type-ahead" : " keys"));
                lexq_seam_alloc_fail(0, false);
                ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
                lexq_seam_alloc_fail(nth, onward);
                EXPECT_EQ(Walk(typeAhead).first, LEXQ_ERR_NOMEMORY);
                lexq_seam_alloc_fail(0, false);
                EXPECT_EQ(Walk(typeAhead), std::make_pair(LEXQ_ERR_NONE, SoundWalk(typeAhead)));
                ExpectSoundAnswers();
                lexq_deinit();
                EXPECT_EQ(lexq_seam_alloc_live_blocks(), liveBefore_);
            }
        }
    }
}

TEST_F(Robustness, StreamFailureAtEveryReadOfAColdWalk) {
    BuildOptions options;
    options.depth = 2;
    options.leafEntries = 2;
    options.fanout = 2;
    const std::string path = Write(BuildDictionary(Words(), options));
    for (bool typeAhead : {false, true}) {
        for (lexq_stream_op op : {LEXQ_OP_SEEK, LEXQ_OP_READ}) {
            ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
            lexq_seam_stream_fail(op, 0, false);
            ASSERT_EQ(Walk(typeAhead).first, LEXQ_ERR_NONE);
            const unsigned long total = lexq_seam_stream_count(op);
            lexq_deinit();
            for (unsigned long nth = 1; nth <= total; nth++) {
                SCOPED_TRACE("op " + std::to_string(op) + " #" + std::to_string(nth));
                ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
                lexq_seam_stream_fail(op, nth, op == LEXQ_OP_READ);
                EXPECT_EQ(Walk(typeAhead).first, LEXQ_ERR_WRONGFORMAT);
                EXPECT_EQ(Walk(typeAhead), std::make_pair(LEXQ_ERR_NONE, SoundWalk(typeAhead)));
                ExpectSoundAnswers();
                lexq_deinit();
            }
        }
    }
}

TEST_F(Robustness, StreamFailureAtEveryOpenSeekAndRead) {
    BuildOptions options;
    options.depth = 2;
    options.leafEntries = 2;
    options.fanout = 2;
    const std::string path = Write(BuildDictionary(Words(), options));
    for (lexq_stream_op op : {LEXQ_OP_OPEN, LEXQ_OP_SEEK, LEXQ_OP_READ}) {
        for (bool shortRead : {false, true}) {
            // How many operations of this kind a cold open and search make.
            lexq_seam_stream_fail(op, 0, false);
            ASSERT_EQ(lexq_init(path.c_str()), LEXQ_ERR_NONE);
            ASSERT_EQ(Search("huis").first, LEXQ_ERR_NONE);
            const unsigned long total = lexq_seam_stream_count(op);
            lexq_deinit();
            for (unsigned long nth = 1; nth <= total; nth++) {
                SCOPED_TRACE("op " + std::to_string(op) + " #" + std::to_string(nth) +
                             (shortRead ? " short" : ""));
                lexq_seam_stream_fail(op, nth, shortRead);
                const int32_t opened = lexq_init(path.c_str());
                if (opened != LEXQ_ERR_NONE) {
                    EXPECT_EQ(opened,
                              op == LEXQ_OP_OPEN ? LEXQ_ERR_FILENOTFOUND : LEXQ_ERR_WRONGFORMAT);
                    continue;
                }
                EXPECT_EQ(Search("huis").first, LEXQ_ERR_WRONGFORMAT);
                ExpectSoundAnswers();
                lexq_deinit();
            }
        }
    }
}

}  // namespace
}  // namespace tk::test
