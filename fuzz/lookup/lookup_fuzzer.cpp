// libFuzzer target: the bytes a connection sends the running viewer, read as a lookup
// request. Input: the bytes.
//
// Properties: a request is taken only when it is whole; a taken word is valid UTF-8 without
// control characters, at most the bound long, and written back it gives the same bytes; every
// beginning of a taken request asks for more, never is refused; no read passes the input.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/encoding.h"
#include "viewer/ui/LookupRequest.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    ui::TLookupRequest request;
    const ui::TRequestStatus status = ui::ReadLookupRequest(bytes, &request);
    if (status != ui::TRequestStatus::Complete)
        return 0;
    fuzz::Check(size <= ui::kMaxRequestBytes, "a taken request is within the bound");
    fuzz::Check(ui::WriteLookupRequest(request) == bytes, "a taken request writes back alike");
    if (request.Kind == ui::TLookupKind::Word) {
        fuzz::Check(platform::IsUtf8(request.Word), "a taken word is UTF-8");
        for (const char c : request.Word)
            fuzz::Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
                        "a taken word has no control characters");
    } else {
        fuzz::Check(request.Word.empty(), "only a word request carries a word");
    }
    for (std::size_t part = 0; part < size; ++part) {
        ui::TLookupRequest unused;
        fuzz::Check(ui::ReadLookupRequest(std::string_view(bytes).substr(0, part), &unused) ==
                        ui::TRequestStatus::NeedMore,
                    "a beginning of a request waits for the rest");
    }
    return 0;
}
