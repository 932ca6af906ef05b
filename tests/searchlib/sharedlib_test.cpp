// lexqapi.so and crypt.so as built: their export lists, and a program that loads
// lexqapi.so from its folder, where crypt.so is found beside the program or not at all.
#include <stdio.h>

#include <filesystem>
#include <set>

#include "fixture.h"

namespace tk::test {
namespace {

// What a command prints on its standard output.
std::string Output(const std::string &command) {
    std::string out;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

// The defined dynamic symbols of a library in the product folder.
std::set<std::string> ExportedNames(const std::string &library) {
    std::set<std::string> names;
    const std::string out = Output("nm -D --defined-only '" + ProductDir() + "/" + library + "'");
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = out.substr(start, end - start);
        names.insert(line.substr(line.rfind(' ') + 1));
    }
    return names;
}

TEST(SharedLibraries, ExportExactlyTheirOperations) {
    EXPECT_EQ(ExportedNames("lexqapi.so"), (std::set<std::string>{"lexq_book_close",
                                                                  "lexq_book_keys",
                                                                  "lexq_book_open",
                                                                  "lexq_book_prefix",
                                                                  "lexq_book_search",
                                                                  "lexq_deinit",
                                                                  "lexq_free_searchresult",
                                                                  "lexq_free_text",
                                                                  "lexq_init",
                                                                  "lexq_keys",
                                                                  "lexq_prefix",
                                                                  "lexq_search",
                                                                  "lexq_search_utf8",
                                                                  "lexq_prefix_utf8",
                                                                  "lexq_keys_utf8",
                                                                  "lexq_book_search_utf8",
                                                                  "lexq_book_prefix_utf8",
                                                                  "lexq_book_keys_utf8",
                                                                  "lexq_code_page",
                                                                  "lexq_book_text_code_page"}));
    EXPECT_EQ(ExportedNames("crypt.so"), (std::set<std::string>{"decrypt", "encrypt"}));
}

class ProgramFolder : public ::testing::Test {
  protected:
    // A program folder with the probe and lexqapi.so, and crypt.so if asked for.
    void Lay(bool withCrypt) {
        namespace fs = std::filesystem;
        fs::copy_file(TK_PROBE_PATH, program_.File("lexq_probe"));
        fs::copy_file(ProductDir() + "/lexqapi.so", program_.File("lexqapi.so"));
        if (withCrypt)
            fs::copy_file(ProductDir() + "/crypt.so", program_.File("crypt.so"));
    }
    std::string Probe(const RawDictionary &dict, const std::string &word) {
        const std::string path = data_.Write("dict.idx", dict.Bytes());
        return Output("'" + program_.File("lexq_probe") + "' '" + path + "' '" + word + "'");
    }
    RawDictionary Dict(Cipher cipher = nullptr) {
        BuildOptions options;
        options.cipher = std::move(cipher);
        return BuildDictionary({{"HUIS", {{"huis", "het", "house"}}}}, options);
    }
    TempDir program_, data_;
    const std::string found_ =
        "init 0\nsearch 0 <table>" + Row("huis", "HUIS", {"huis", "het", "house"}) + "</table>\n";
};

TEST_F(ProgramFolder, EncipheredDictionaryUsesCryptBesideTheProgram) {
    Lay(true);
    EXPECT_EQ(Probe(Dict(CryptEncrypt()), "huis"), found_);
    EXPECT_EQ(Probe(Dict(), "huis"), found_);
}

TEST_F(ProgramFolder, WithoutCryptOnlyPlainDictionariesOpen) {
    Lay(false);
    EXPECT_EQ(Probe(Dict(CryptEncrypt()), "huis"), "init -7\n");
    EXPECT_EQ(Probe(Dict(), "huis"), found_);
}

}  // namespace
}  // namespace tk::test
