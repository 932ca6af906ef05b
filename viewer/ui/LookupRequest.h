// What one program asks the running viewer over the instance channel: look up a word, the
// desktop's selection or the clipboard. A request is one short message:
//
//   bytes 0-3  "TKLQ"
//   byte  4    version, 1
//   byte  5    kind: 1 a word, 2 the selection, 3 the clipboard
//   bytes 6-7  length of the word in bytes, little-endian; 0 unless the kind is a word
//   then       the word: UTF-8 without control characters, not only blanks
//
// and nothing after it. The viewer answers with one byte (kAccepted or kRefused). No Qt:
// the fuzz target links this unit alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

enum class TLookupKind : std::uint8_t { Word = 1, Selection = 2, Clipboard = 3 };

struct TLookupRequest {
    TLookupKind Kind = TLookupKind::Word;
    std::string Word;  // UTF-8; empty unless Kind is Word
};

// A word longer than the main window's search field holds is no word to look up.
inline constexpr std::size_t kMaxWordBytes = 1024;
inline constexpr std::size_t kRequestHeaderBytes = 8;
inline constexpr std::size_t kMaxRequestBytes = kRequestHeaderBytes + kMaxWordBytes;
inline constexpr std::uint8_t kRequestVersion = 1;
inline constexpr char kAccepted = 'A';
inline constexpr char kRefused = 'R';

enum class TRequestStatus {
    Complete,       // the bytes are exactly one valid request
    NeedMore,       // a valid beginning; the rest has not arrived
    BadMagic,       // not "TKLQ"
    BadVersion,     // a version this viewer does not speak
    BadKind,        // no kind of request
    BadLength,      // a word too long, or a length where the kind takes none
    BadText,        // the word is no UTF-8, holds control characters or only blanks
    TrailingBytes,  // bytes after the request
};

// Reads the request in `bytes`; fills *request only when the result is Complete.
TRequestStatus ReadLookupRequest(std::string_view bytes, TLookupRequest *request);

// The message for a request; the word must be one ReadLookupRequest accepts.
std::string WriteLookupRequest(const TLookupRequest &request);

// Whether the word may travel as a request's word.
bool IsRequestWord(std::string_view word);

// The lookup a command line asks for: "--lookup WORD", "--selection" or "--clipboard" as
// its only arguments. Any other command line is none (the viewer's own: books to open);
// a lookup option used wrongly gives an Error in Dutch.
struct TLookupArguments {
    std::optional<TLookupRequest> Request;
    std::string Error;
};
TLookupArguments ParseLookupArguments(const std::vector<std::string> &arguments);

// The status in a few English words, for the log.
const char *RequestStatusText(TRequestStatus status);

}  // namespace ui
