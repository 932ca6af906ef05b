#include "viewer/core/LXA_Format.h"

#include "viewer/core/LXA_Exceptions.h"

namespace {

[[noreturn]] void FormatMismatch(std::string_view format) {
    throw EConvertError("Format '" + std::string(format) +
                        "' invalid or incompatible with argument");
}

}  // namespace

std::string Format(std::string_view format, std::initializer_list<TFormatArg> args) {
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i + 1 >= format.size())
            FormatMismatch(format);
        const char kind = format[++i];
        if (kind == '%') {
            out += '%';
            continue;
        }
        if (next == args.end())
            FormatMismatch(format);
        if (kind == 's' && std::holds_alternative<std::string>(*next)) {
            out += std::get<std::string>(*next);
        } else if (kind == 'd' && std::holds_alternative<std::int64_t>(*next)) {
            out += std::to_string(std::get<std::int64_t>(*next));
        } else {
            FormatMismatch(format);
        }
        ++next;
    }
    if (next != args.end())
        FormatMismatch(format);
    return out;
}
