// Import of dictd dictionaries (a ".index" file and its ".dict.dz" text) into the
// source format: each index line becomes one record with a simple HTML body.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "diagnostics.h"

namespace lexqc {

// A number in dictd's base64 digits (A-Z a-z 0-9 + /, most significant first);
// nullopt for an empty text, a foreign character or a value beyond 64 bits.
std::optional<std::uint64_t> DecodeDictdNumber(std::string_view digits);

// Reads a gzip (or dictzip) file whole; a plain file is read as it is.
std::string ReadGzipFile(const std::string &path);

// Bytes that are not UTF-8, and C1 controls (U+0080-U+009F), are taken as Windows-1252,
// so that older or mislabelled files survive.
std::string DecodeLenient(std::string_view bytes, bool *hadInvalid = nullptr);

// The entry text as HTML: paragraphs (separated by blank lines) in <p>, their lines
// joined with <br>, indentation dropped, &, <, > and " escaped.
std::string EntryTextToHtml(std::string_view utf8);

// Converts a whole dictd dictionary into source text. dir goes into every record's
// "dir:" line. Lines that cannot be used are reported in diag (errors: a broken index
// line or a range outside the text; warnings: a headword without Windows-1252 form).
std::string ImportDictd(std::string_view indexText, std::string_view dictText,
                        const std::string &dir, Diagnostics &diag);

}  // namespace lexqc
