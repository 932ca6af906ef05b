#include "Suggest.h"

#include "foldtable_utf8.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <tuple>

namespace {

constexpr std::size_t kMaxKeyLength = 255;
constexpr std::size_t kMaxTypedLength = 64;

// The keys of a Windows-1252 book are the letters A to Z; those of a UTF-8 book small
// letters and the bytes of other letters (the distance counts bytes then), never both.
bool IsKey(std::string_view key, std::size_t maxLength) {
    const auto capital = [](char c) { return c >= 'A' && c <= 'Z'; };
    const auto utf8Letter = [](char c) {
        return (c >= 'a' && c <= 'z') || static_cast<unsigned char>(c) >= 0x80;
    };
    return !key.empty() && key.size() <= maxLength &&
           (std::all_of(key.begin(), key.end(), capital) ||
            std::all_of(key.begin(), key.end(), utf8Letter));
}

// The length of a key in the distance's units: characters.
std::size_t Length(std::string_view key) {
    std::size_t characters = 0;
    for (const char c : key)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters;
}

}  // namespace

Suggester::Suggester(KeyEnumerator keys) : enumerate_(std::move(keys)) {}

Suggester::Suggester(std::string chars, std::vector<std::uint32_t> starts)
    : chars_(std::move(chars)), starts_(std::move(starts)) {
    // Built now: the keys are compacted in place, dropping any that break the order.
    std::call_once(once_, [] {});
    std::size_t write = 0, kept = 0;
    std::string_view previous;
    const std::size_t n = starts_.empty() ? 0 : starts_.size() - 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (starts_[i] > starts_[i + 1] || starts_[i + 1] > chars_.size())
            break;
        const std::string_view key =
            std::string_view(chars_).substr(starts_[i], starts_[i + 1] - starts_[i]);
        if (!IsKey(key, kMaxKeyLength) || (kept > 0 && key <= previous))
            continue;
        // Moving a key towards the front never overwrites one not read yet.
        std::memmove(chars_.data() + write, key.data(), key.size());
        starts_[kept++] = static_cast<std::uint32_t>(write);
        previous = std::string_view(chars_).substr(write, key.size());
        write += key.size();
    }
    chars_.resize(write);
    starts_.resize(kept);
    starts_.push_back(static_cast<std::uint32_t>(write));
}

void Suggester::Build() {
    std::call_once(once_, [this] { BuildOnce(); });
}

void Suggester::BuildOnce() const {
    // Keys arrive unordered: gather them back to back, sort an index, and copy them once
    // more in order, each key once.
    std::string raw;
    std::vector<std::uint32_t> rawStarts;
    if (enumerate_) {
        enumerate_([&](std::string_view key) {
            if (!IsKey(key, kMaxKeyLength) || raw.size() + key.size() > UINT32_MAX - 1)
                return;
            rawStarts.push_back(static_cast<std::uint32_t>(raw.size()));
            raw.append(key);
        });
    }
    const std::size_t n = rawStarts.size();
    rawStarts.push_back(static_cast<std::uint32_t>(raw.size()));
    const auto rawKey = [&](std::uint32_t i) {
        return std::string_view(raw).substr(rawStarts[i], rawStarts[i + 1] - rawStarts[i]);
    };
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    // A walk of the book's index gives its keys in order already.
    const auto less = [&](std::uint32_t a, std::uint32_t b) { return rawKey(a) < rawKey(b); };
    if (!std::is_sorted(order.begin(), order.end(), less))
        std::sort(order.begin(), order.end(), less);
    chars_.reserve(raw.size());
    starts_.reserve(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view key = rawKey(order[i]);
        if (i > 0 && key == rawKey(order[i - 1]))
            continue;
        starts_.push_back(static_cast<std::uint32_t>(chars_.size()));
        chars_.append(key);
    }
    starts_.push_back(static_cast<std::uint32_t>(chars_.size()));
    chars_.shrink_to_fit();
    starts_.shrink_to_fit();
}

std::size_t Suggester::KeyCount() const {
    std::call_once(once_, [this] { BuildOnce(); });
    return Count();
}

std::size_t Suggester::MemoryBytes() const {
    std::call_once(once_, [this] { BuildOnce(); });
    return chars_.capacity() + starts_.capacity() * sizeof(std::uint32_t);
}

namespace {

// A key in the units the distance counts: a byte each for the letters A to Z, a character
// each for a UTF-8 key (so that "łodz" is one edit from "lodz", not two). Bytes() is how
// many bytes the first units take, for walking past keys by their bytes.
struct TByteUnits {
    std::string_view units;  // the key itself: keys stay where they are while they are read
    void Read(std::string_view key) { units = key; }
    std::string_view View() const { return units; }
    std::size_t Bytes(std::size_t count) const { return count; }
};

struct TCharUnits {
    std::u32string units;
    std::vector<std::size_t> ends{0};  // ends[d]: the bytes of the first d characters
    void Read(std::string_view key) {
        units.clear();
        ends.assign(1, 0);
        const auto *start = reinterpret_cast<const std::uint8_t *>(key.data());
        const std::uint8_t *p = start, *end = start + key.size();
        while (p < end) {
            std::uint32_t code = 0xFFFD;
            p += std::max<std::size_t>(1, lexq_utf8_next(p, end, &code));
            units += static_cast<char32_t>(code);
            ends.push_back(static_cast<std::size_t>(p - start));
        }
    }
    std::u32string_view View() const { return units; }
    std::size_t Bytes(std::size_t count) const { return ends[count]; }
};

// Whether a key is of a UTF-8 book (small letters and other letters' bytes), not the
// letters A to Z.
bool IsUtf8Key(std::string_view key) {
    return !key.empty() && !(key[0] >= 'A' && key[0] <= 'Z');
}

template <typename Units>
int Distance(std::string_view a, std::string_view b) {
    Units ua, ub;
    ua.Read(a);
    ub.Read(b);
    const auto x = ua.View(), y = ub.View();
    const std::size_t n = x.size(), m = y.size();
    std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
    for (std::size_t i = 0; i <= n; ++i)
        d[i][0] = static_cast<int>(i);
    for (std::size_t j = 0; j <= m; ++j)
        d[0][j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i)
        for (std::size_t j = 1; j <= m; ++j) {
            d[i][j] = std::min(
                {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (x[i - 1] != y[j - 1])});
            if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[n][m];
}

}  // namespace

template <typename Units>
std::vector<Suggester::Match> Suggester::WithinUnits(std::string_view typedKey, int bound) const {
    // rows[d] is the distance row of the first d units of a key against typed, each cell
    // capped at bound + 1 (all that matters is whether it stays within the bound).
    Units typedUnits, keyUnits, rowsUnits;
    typedUnits.Read(typedKey);
    const auto typed = typedUnits.View();
    const std::size_t m = typed.size();
    const std::size_t width = m + 1;
    const auto cap = static_cast<std::uint8_t>(bound + 1);
    std::vector<std::uint8_t> rows((kMaxKeyLength + 1) * width);
    for (std::size_t j = 0; j <= m; ++j)
        rows[j] = static_cast<std::uint8_t>(std::min<std::size_t>(j, cap));

    std::vector<Match> found;
    std::size_t valid = 0;  // the first `valid` rows are those of rowsUnits
    const std::size_t n = Count();
    std::size_t i = 0;
    while (i < n) {
        const std::string_view keyBytes = Key(i);
        keyUnits.Read(keyBytes);
        const auto key = keyUnits.View();
        const auto rowsKey = rowsUnits.View();
        std::size_t depth = 0;
        const std::size_t shared = std::min({valid, key.size(), rowsKey.size()});
        while (depth < shared && key[depth] == rowsKey[depth])
            ++depth;
        bool tooFar = false;
        for (++depth; depth <= key.size(); ++depth) {
            std::uint8_t *row = &rows[depth * width];
            const std::uint8_t *up = row - width;
            const std::uint8_t *up2 = depth >= 2 ? row - 2 * width : nullptr;
            const auto c = key[depth - 1];
            row[0] = static_cast<std::uint8_t>(std::min<std::size_t>(depth, cap));
            std::uint8_t least = row[0];
            for (std::size_t j = 1; j <= m; ++j) {
                int v = std::min({up[j] + 1, row[j - 1] + 1, up[j - 1] + (c != typed[j - 1])});
                if (up2 != nullptr && j >= 2 && c == typed[j - 2] && key[depth - 2] == typed[j - 1])
                    v = std::min(v, up2[j - 2] + 1);
                row[j] = static_cast<std::uint8_t>(std::min<int>(v, cap));
                least = std::min(least, row[j]);
            }
            if (least > bound) {
                // A row never gets smaller further down: no key under this prefix is near.
                std::swap(rowsUnits, keyUnits);
                valid = depth - 1;
                const std::string_view prefix = keyBytes.substr(0, rowsUnits.Bytes(depth));
                const auto under = [&](std::size_t k) {
                    return Key(k).substr(0, prefix.size()) == prefix;
                };
                // The keys under a prefix are mostly few: gallop to a key past them, then
                // halve, rather than halving the whole rest of the keys each time.
                std::size_t lo = i + 1, hi = i + 1;
                for (std::size_t step = 1; hi < n && under(hi); step *= 2) {
                    lo = hi + 1;
                    hi = std::min(n, hi + step);
                }
                while (lo < hi) {
                    const std::size_t mid = lo + (hi - lo) / 2;
                    if (under(mid))
                        lo = mid + 1;
                    else
                        hi = mid;
                }
                i = lo;
                tooFar = true;
                break;
            }
        }
        if (tooFar)
            continue;
        const std::uint8_t distance = rows[key.size() * width + m];
        if (distance <= bound && distance > 0)
            found.push_back({static_cast<std::uint32_t>(i), distance});
        valid = key.size();
        std::swap(rowsUnits, keyUnits);
        ++i;
    }
    return found;
}

std::vector<Suggester::Match> Suggester::Within(std::string_view typed, int bound) const {
    return IsUtf8Key(typed) ? WithinUnits<TCharUnits>(typed, bound)
                            : WithinUnits<TByteUnits>(typed, bound);
}

std::vector<std::string> Suggester::Suggest(std::string_view typed, const Options &options) const {
    std::vector<std::string> result;
    if (!IsKey(typed, kMaxTypedLength) || options.maxResults == 0)
        return result;
    std::call_once(once_, [this] { BuildOnce(); });

    int widest = std::clamp(options.maxDistance, 0, 3);
    if (Length(typed) < options.minLengthForTwo)
        widest = std::min(widest, 1);
    std::vector<Match> matches;
    for (int bound = 1; bound <= widest; ++bound) {
        matches = Within(typed, bound);
        if (matches.size() >= options.maxResults)
            break;
    }

    // Nearest first, then key order (the index order of the sorted keys).
    const auto nearer = [](const Match &a, const Match &b) {
        return std::tie(a.distance, a.index) < std::tie(b.distance, b.index);
    };
    const std::size_t count = std::min(options.maxResults, matches.size());
    std::partial_sort(matches.begin(), matches.begin() + static_cast<long>(count), matches.end(),
                      nearer);
    for (std::size_t k = 0; k < count; ++k)
        result.emplace_back(Key(matches[k].index));
    return result;
}

int OsaDistance(std::string_view a, std::string_view b) {
    return IsUtf8Key(a) || IsUtf8Key(b) ? Distance<TCharUnits>(a, b) : Distance<TByteUnits>(a, b);
}
