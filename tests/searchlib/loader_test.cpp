// Opening a dictionary file: header checks, cache allocation, crypt.dll binding, release.
#include <filesystem>

#include "fixture.h"
#include "loader.h"
#include "lookup.h"
#include "platform/dynlib.h"

namespace tk::test {
namespace {

class Loader : public LexqTest {
  protected:
    // Opens path with the loader; the record is closed at the end of the test.
    lexq_status Open(const std::string &path) {
        const lexq_status status = lexq_open(path.c_str(), &dict_);
        if (status != LEXQ_OK) {
            EXPECT_EQ(dict_, nullptr);
        }
        return status;
    }
    void TearDown() override {
        lexq_close(dict_);
        LexqTest::TearDown();
    }
    RawDictionary Small(Cipher cipher = nullptr) {
        BuildOptions options;
        options.cipher = std::move(cipher);
        return BuildDictionary(
            {{"HUIS", {{"huis", "het", "house"}}}, {"BOOM", {{"boom", "de", "tree"}}}}, options);
    }
    lexq_dictionary *dict_ = nullptr;
};

TEST_F(Loader, MissingFileFailsToOpen) {
    EXPECT_EQ(Open(dir_.File("absent.idx")), LEXQ_S_OPEN);
    EXPECT_EQ(lexq_open(nullptr, &dict_), LEXQ_S_OPEN);
    EXPECT_EQ(Open(dir_.Path()), LEXQ_S_OPEN) << "a folder";
}

TEST_F(Loader, EachOfTheThreeOpensCanFail) {
    const std::string path = Write(Small());
    for (unsigned long nth = 1; nth <= 3; nth++) {
        lexq_seam_stream_fail(LEXQ_OP_OPEN, nth, false);
        EXPECT_EQ(Open(path), LEXQ_S_OPEN) << "open " << nth;
    }
}

TEST_F(Loader, ShortHeadersAreShortReads) {
    // 36 bytes: all three streams open, then the file header is one byte short.
    const std::string bytes = Small().Bytes();
    lexq_seam_stream_fail(LEXQ_OP_OPEN, 0, false);
    EXPECT_EQ(Open(dir_.Write("36.idx", bytes.substr(0, 36))), LEXQ_S_SHORT);
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_OPEN), 3u);

    RawDictionary beyond = Small();
    const auto size = static_cast<uint32_t>(bytes.size());
    beyond.fields.indexOffset = size - 17;  // index header one byte short
    EXPECT_EQ(Open(Write(beyond)), LEXQ_S_SHORT);
    beyond = Small();
    beyond.fields.leafOffset = size - 11;
    EXPECT_EQ(Open(Write(beyond)), LEXQ_S_SHORT);
    beyond = Small();
    beyond.fields.textOffset = 0xFFFFFFF0u;
    EXPECT_EQ(Open(Write(beyond)), LEXQ_S_SHORT);
}

TEST_F(Loader, CopiesTheHeadersAndSizesEveryCacheFromThem) {
    RawDictionary raw = Small();
    raw.identification = "0123456789abcdef";
    raw.fields.depth = 2;
    raw.fields.nodeMaxSize = 300;
    raw.fields.nodeMaxEntries = 7;
    raw.fields.rootCount = 9;
    raw.fields.leafMaxPayload = 1111;
    raw.fields.leafMaxLength = 5000;
    raw.fields.leafMaxEntries = 33;
    raw.fields.hitLimit = 4;
    raw.fields.textMaxPayload = 2222;
    raw.fields.textMaxLength = 7000;
    lexq_seam_stream_fail(LEXQ_OP_OPEN, 0, false);
    ASSERT_EQ(Open(Write(raw)), LEXQ_OK);
    // The open reads the four headers and nothing else, not even ahead.
    EXPECT_EQ(lexq_seam_stream_count(LEXQ_OP_READ), 4u);
    EXPECT_EQ(lexq_seam_stream_system_reads(), 4u);
    EXPECT_EQ(lexq_seam_stream_system_bytes(), 37u + 18u + 12u + 8u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(dict_->ident), 16), "0123456789abcdef");
    EXPECT_EQ(dict_->value16, 0x01020304u);
    EXPECT_EQ(dict_->value20, 0x05060708u);
    EXPECT_EQ(dict_->text_offset, 37u);
    EXPECT_EQ(dict_->enciphered, 0);
    EXPECT_EQ(dict_->depth, 2);
    EXPECT_EQ(dict_->node_max_size, 300u);
    EXPECT_EQ(dict_->node_max_entries, 7);
    EXPECT_EQ(dict_->root_count, 9);
    EXPECT_EQ(dict_->leaf_max_entries, 33);
    EXPECT_EQ(dict_->hit_limit, 4);
    EXPECT_EQ(dict_->work_size, 2222u);
    EXPECT_EQ(dict_->leaf_slot->buffer.capacity, 5000u);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(dict_->text_slots[i].buffer.capacity, 7000u);
        EXPECT_EQ(dict_->text_slots[i].tag, 0u);
    }
    EXPECT_EQ(dict_->index_slots[1].tag, 0u);
    EXPECT_EQ(dict_->decrypt, nullptr);
    // Each block section reads ahead its largest block; nodes are read at their exact size.
    EXPECT_EQ(dict_->leaf_stream.ahead_size, 1111u + 10u);
    EXPECT_EQ(dict_->text_stream.ahead_size, 2222u + 10u);
    EXPECT_EQ(dict_->index_stream.ahead_size, 0u);
}

TEST_F(Loader, ReadAheadStopsAt64KiBWhateverTheHeaderClaims) {
    RawDictionary raw = Small();
    raw.fields.textMaxPayload = 48u << 20;
    raw.fields.leafMaxPayload = 65526;
    ASSERT_EQ(Open(Write(raw)), LEXQ_OK);
    EXPECT_EQ(dict_->text_stream.ahead_size, 65536u);
    EXPECT_EQ(dict_->leaf_stream.ahead_size, 65536u);
    EXPECT_EQ(lexq_lookup(dict_, "HUIS"), LEXQ_OK);
    EXPECT_EQ(dict_->hit_count, 1u);
}

TEST_F(Loader, EveryFailedAllocationReleasesWhatWasTaken) {
    const std::string path = Write(Small());
    lexq_seam_alloc_fail(0, false);
    ASSERT_EQ(Open(path), LEXQ_OK);
    const unsigned long allocations = lexq_seam_alloc_count();
    lexq_close(dict_);
    dict_ = nullptr;
    for (unsigned long nth = 1; nth <= allocations; nth++) {
        for (bool onward : {false, true}) {
            lexq_seam_alloc_fail(nth, onward);
            EXPECT_EQ(Open(path), LEXQ_S_NOMEM) << "allocation " << nth;
            EXPECT_EQ(lexq_seam_alloc_live_blocks(), liveBefore_) << "allocation " << nth;
        }
    }
}

TEST_F(Loader, HeaderSizesNoSaneFileNeedsAreRefusedAsExhaustion) {
    RawDictionary huge = Small();
    huge.fields.hitLimit = 65535;
    huge.fields.textMaxLength = 1 << 20;  // 64 GiB of text buffers in all
    EXPECT_EQ(Open(Write(huge, "a.idx")), LEXQ_S_NOMEM);
    huge = Small();
    huge.fields.leafMaxLength = 0xFFFFFFFFu;
    EXPECT_EQ(Open(Write(huge, "b.idx")), LEXQ_S_NOMEM);
    huge = Small();
    huge.fields.depth = 65535;
    huge.fields.nodeMaxSize = 1 << 16;
    EXPECT_EQ(Open(Write(huge, "c.idx")), LEXQ_S_NOMEM);
    EXPECT_EQ(lexq_seam_alloc_live_blocks(), liveBefore_);
}

TEST_F(Loader, AnyNonzeroFlagNeedsCryptDll) {
    TempDir empty;
    for (uint8_t flag : {1, 2, 0x80, 0xFF}) {
        RawDictionary raw = Small(CryptEncrypt());
        raw.fields.flag = flag;
        const std::string path = Write(raw);
        lexq_seam_crypt_folder(empty.Path().c_str());
        EXPECT_EQ(Open(path), LEXQ_S_NOCRYPT) << int(flag);
        lexq_seam_crypt_folder(ProductDir().c_str());
        ASSERT_EQ(Open(path), LEXQ_OK) << int(flag);
        EXPECT_NE(dict_->decrypt, nullptr);
        EXPECT_NE(dict_->crypt_module, nullptr);
        lexq_close(dict_);
        dict_ = nullptr;
    }
}

TEST_F(Loader, CachesAreAllocatedBeforeCryptDllIsLoaded) {
    // An enciphered file whose buffers cannot be had fails as exhausted memory, whether
    // crypt.dll is there or not, and the library is never loaded for it.
    TempDir empty;
    RawDictionary raw = Small(CryptEncrypt());
    raw.fields.leafMaxLength = 0xFFFFFFFFu;
    const std::string path = Write(raw);
    for (const std::string &folder : {empty.Path(), ProductDir()}) {
        lexq_seam_crypt_folder(folder.c_str());
        EXPECT_EQ(Open(path), LEXQ_S_NOMEM) << folder;
        EXPECT_EQ(lexq_seam_crypt_loads(), 0u) << folder;
    }
}

TEST_F(Loader, CryptDllWithoutDecryptIsMissingToo) {
    // Any library that lacks "decrypt" will do as the impostor.
    TempDir folder;
    std::filesystem::copy_file(ProductDir() + "/" + platform::NativeLibraryName("lexqapi.dll"),
                               folder.File(platform::NativeLibraryName("crypt.dll")));
    lexq_seam_crypt_folder(folder.Path().c_str());
    EXPECT_EQ(Open(Write(Small(CryptEncrypt()))), LEXQ_S_NOCRYPT);
    EXPECT_EQ(lexq_seam_crypt_loads(), 1u);
}

TEST_F(Loader, PlainDictionaryNeverLoadsCryptDll) {
    ASSERT_EQ(Open(Write(Small())), LEXQ_OK);  // crypt.so is where the library would look
    EXPECT_EQ(lexq_seam_crypt_loads(), 0u);
    EXPECT_EQ(dict_->crypt_module, nullptr);
}

}  // namespace
}  // namespace tk::test
