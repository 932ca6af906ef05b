// Runs one fuzz input through the search library as a dictionary file: open it, search a
// fixed set of words and one word taken from the input's tail, ask for the type-ahead of
// a few prefixes and walk the keys in slices, close it.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the bytes where lexq_init can open them and runs the open and the searches.
void RunDictionaryFile(const std::uint8_t *data, std::size_t size);
