// Shared pieces of the compiler tests: reading files, a stand-in cipher, compiling a source
// text in memory.
#pragma once

#include <string>

#include "books/builder.h"
#include "books/cipher.h"
#include "books/keys.h"
#include "tempdir.h"

namespace books::test {

using tk::test::TempDir;

std::string ReadAll(const std::string &path);

// A position-dependent XOR keystream: enciphering twice gives the plain bytes back,
// and bytes enciphered at a wrong position come out wrong.
void TestCipher(std::uint32_t position, std::uint8_t *data, std::uint32_t length);

// Parses and folds a source text; fails the test on errors.
KeyTable Collect(const std::string &source, std::size_t maxKeyLength = 1u << 20);

// n entries "wordNNNN" (lettered, so that each folds to its own key), bodies long
// enough to fill several small blocks.
std::string ManyEntries(int n);

}  // namespace books::test
