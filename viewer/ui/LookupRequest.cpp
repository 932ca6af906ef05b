#include "viewer/ui/LookupRequest.h"

#include <algorithm>

#include "platform/encoding.h"

namespace ui {

namespace {

constexpr std::string_view kMagic = "TKLQ";

}  // namespace

bool IsRequestWord(std::string_view word) {
    if (word.empty() || word.size() > kMaxWordBytes || !platform::IsUtf8(word))
        return false;
    bool letters = false;
    for (const char c : word) {
        const auto byte = static_cast<unsigned char>(c);
        // Line breaks, tabs and the like have no place in a word; a blank does, but not alone.
        if (byte < 0x20 || byte == 0x7F)
            return false;
        letters = letters || byte != ' ';
    }
    return letters;
}

TRequestStatus ReadLookupRequest(std::string_view bytes, TLookupRequest *request) {
    // Each field is judged as soon as its bytes are there, so a foreign or broken sender is
    // refused at once instead of after a wait for bytes that never come.
    const std::size_t magic = std::min(bytes.size(), kMagic.size());
    if (bytes.substr(0, magic) != kMagic.substr(0, magic))
        return TRequestStatus::BadMagic;
    if (bytes.size() <= 4)
        return TRequestStatus::NeedMore;
    if (static_cast<std::uint8_t>(bytes[4]) != kRequestVersion)
        return TRequestStatus::BadVersion;
    if (bytes.size() <= 5)
        return TRequestStatus::NeedMore;
    const auto kind = static_cast<std::uint8_t>(bytes[5]);
    if (kind < 1 || kind > 3)
        return TRequestStatus::BadKind;
    if (bytes.size() < kRequestHeaderBytes)
        return TRequestStatus::NeedMore;
    const std::size_t length =
        static_cast<std::uint8_t>(bytes[6]) | std::size_t(static_cast<std::uint8_t>(bytes[7])) << 8;
    const bool word = kind == static_cast<std::uint8_t>(TLookupKind::Word);
    // A word has 1 to kMaxWordBytes bytes; the selection and the clipboard carry none.
    if (word ? length == 0 || length > kMaxWordBytes : length != 0)
        return TRequestStatus::BadLength;
    if (bytes.size() < kRequestHeaderBytes + length)
        return TRequestStatus::NeedMore;
    if (bytes.size() > kRequestHeaderBytes + length)
        return TRequestStatus::TrailingBytes;
    const std::string_view text = bytes.substr(kRequestHeaderBytes, length);
    if (word && !IsRequestWord(text))
        return TRequestStatus::BadText;
    request->Kind = static_cast<TLookupKind>(kind);
    request->Word.assign(text);
    return TRequestStatus::Complete;
}

std::string WriteLookupRequest(const TLookupRequest &request) {
    const std::string_view word =
        request.Kind == TLookupKind::Word ? std::string_view(request.Word) : std::string_view();
    std::string message(kMagic);
    message += static_cast<char>(kRequestVersion);
    message += static_cast<char>(request.Kind);
    message += static_cast<char>(word.size() & 0xFF);
    message += static_cast<char>(word.size() >> 8 & 0xFF);
    message += word;
    return message;
}

TLookupArguments ParseLookupArguments(const std::vector<std::string> &arguments) {
    TLookupArguments parsed;
    if (arguments.empty())
        return parsed;
    const std::string &option = arguments[0];
    const std::size_t count = option == "--lookup" ? 2 : 1;
    if (option == "--selection" || option == "--clipboard" || option == "--lookup") {
        if (arguments.size() != count) {
            parsed.Error =
                "Gebruik: tkviewer --lookup WOORD, tkviewer --selection of "
                "tkviewer --clipboard";
            return parsed;
        }
        if (option == "--lookup" && !IsRequestWord(arguments[1])) {
            parsed.Error = "Het woord '" + arguments[1] + "' kan niet worden opgezocht.";
            return parsed;
        }
        parsed.Request = TLookupRequest{option == "--lookup"      ? TLookupKind::Word
                                        : option == "--selection" ? TLookupKind::Selection
                                                                  : TLookupKind::Clipboard,
                                        count == 2 ? arguments[1] : std::string()};
    }
    return parsed;
}

const char *RequestStatusText(TRequestStatus status) {
    switch (status) {
        case TRequestStatus::Complete:
            return "complete";
        case TRequestStatus::NeedMore:
            return "incomplete";
        case TRequestStatus::BadMagic:
            return "not a lookup request";
        case TRequestStatus::BadVersion:
            return "unknown version";
        case TRequestStatus::BadKind:
            return "unknown kind";
        case TRequestStatus::BadLength:
            return "bad length";
        case TRequestStatus::BadText:
            return "bad word";
        case TRequestStatus::TrailingBytes:
            return "bytes after the request";
    }
    return "unknown status";
}

}  // namespace ui
