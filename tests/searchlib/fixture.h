// Common ground of the search library's tests: seams reset around every test, a temporary
// folder for dictionary files, and a check that the library holds no block afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "alloc.h"
#include "decipher.h"
#include "lexqapi.h"
#include "rawdict.h"
#include "stream.h"
#include "tempdir.h"

namespace tk::test {

inline void ResetSeams() {
    lexq_seam_alloc_fail(0, false);
    lexq_seam_stream_fail(LEXQ_OP_OPEN, 0, false);
    // crypt.so is found in the build's product folder unless a test says otherwise.
    lexq_seam_crypt_folder(ProductDir().c_str());
}

class LexqTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetSeams();
        liveBefore_ = lexq_seam_alloc_live_blocks();
    }
    void TearDown() override {
        lexq_deinit();
        ResetSeams();
        EXPECT_EQ(lexq_seam_alloc_live_blocks(), liveBefore_) << "the library still holds blocks";
    }

    std::string Write(const RawDictionary &dict, const std::string &name = "dict.idx") {
        return dir_.Write(name, dict.Bytes());
    }

    // Searches the open dictionary through the export; the table (if any) is released.
    std::pair<int32_t, std::string> Search(const std::string &text) {
        char *table = reinterpret_cast<char *>(1);  // must be overwritten
        const int32_t code = lexq_search(text.c_str(), &table);
        std::string copy = table != nullptr ? std::string(table) : std::string();
        if (code != 0) {
            EXPECT_EQ(table, nullptr) << "a failed search hands out a table";
        }
        lexq_free_searchresult(table);
        return {code, copy};
    }

    TempDir dir_;
    long liveBefore_ = 0;
};

// The row of one hit in a result table.
inline std::string Row(const std::string &text, const std::string &key, const Hit &hit) {
    return "<tr><td>" + text + "</td><td>" + key + "</td><td>" + hit.s1 + "</td><td>" + hit.s2 +
           "</td><td>" + hit.s3 + "</td></tr>";
}

}  // namespace tk::test
