// libFuzzer target: a .reg file as the settings store reads it, then a few changes through
// the store's own calls. Input: the file, optionally followed by the part separator and
// bytes that choose the changes (without them, the file's last bytes choose).
//
// Properties: a file read and written unchanged keeps every byte; the file written after
// the changes reads back to exactly the keys and values the changes make of the input's;
// the comments in it stay, in their order.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/encoding.h"
#include "platform/hive.h"

using platform::FoldKeyName;
using platform::Hive;
using platform::HiveKey;
using platform::HiveValue;
using platform::RegType;

namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
const char *const kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

struct Value {
    std::string name;
    RegType type;
    std::string data;
    bool operator==(const Value &) const = default;
};

// The meaning of a file: its keys by folded "root\path", each with its values by folded
// name. A root stands for itself and counts only when it holds values.
using Values = std::map<std::string, Value>;
using Meaning = std::map<std::string, Values>;

std::string KeyId(std::string_view root, std::string_view path) {
    return FoldKeyName(root) + '\\' + FoldKeyName(path);
}

// Roots the file may name: what stands between a line's "[" (or "[-") and the first
// backslash.
std::vector<std::string> RootsNamed(std::string_view bytes) {
    std::string text(bytes);
    if (bytes.starts_with(kUtf16Mark)) {  // enough for the ASCII names of roots
        text.clear();
        for (char c : bytes.substr(2))
            if (c != '\0')
                text += c;
    }
    std::vector<std::string> roots(std::begin(kRoots), std::end(kRoots));
    std::vector<std::string> folded;
    for (const std::string &root : roots)
        folded.push_back(FoldKeyName(root));
    std::string_view rest = text;
    while (!rest.empty() && roots.size() < 6) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
        if (!line.starts_with('['))
            continue;
        line.remove_prefix(line.starts_with("[-") ? 2 : 1);
        line = line.substr(0, line.find_first_of("\\]"));
        std::string root = platform::UserTextToUtf8(line);
        if (!root.empty() &&
            std::find(folded.begin(), folded.end(), FoldKeyName(root)) == folded.end()) {
            folded.push_back(FoldKeyName(root));
            roots.push_back(std::move(root));
        }
    }
    return roots;
}

// Each look-up folds the whole path: keys with longer paths than this are left out, or
// the deepest keys would make the check itself quadratic.
constexpr std::size_t kLongestPathCompared = 256;

Meaning MeaningOf(const Hive &hive, const std::vector<std::string> &roots) {
    Meaning meaning;
    for (const std::string &root : roots) {
        std::vector<std::pair<std::string, std::string>> pending{{"", KeyId(root, "")}};
        while (!pending.empty()) {
            const auto [path, id] = std::move(pending.back());
            pending.pop_back();
            const HiveKey *key = hive.Find(root, path);
            if (key == nullptr)
                continue;
            Values values;
            for (const HiveValue &value : key->values)
                values[FoldKeyName(value.name)] = Value{value.name, value.type, value.data};
            if (!path.empty() || !values.empty())
                meaning[id] = std::move(values);
            if (path.size() > kLongestPathCompared)
                continue;
            for (const std::string &child : hive.Children(root, path))
                pending.emplace_back(path.empty() ? child : path + '\\' + child,
                                     (path.empty() ? id : id + '\\') + FoldKeyName(child));
        }
    }
    return meaning;
}

// Comment lines: never part of a key or value, so no change may touch them.
std::vector<std::string_view> Comments(std::string_view text) {
    std::vector<std::string_view> comments;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos && line[first] == ';')
            comments.push_back(line);
    }
    return comments;
}

bool InOrder(const std::vector<std::string_view> &wanted, const std::vector<std::string_view> &in) {
    std::size_t next = 0;
    for (const std::string_view line : in)
        // The last line may have gained a line end.
        if (next < wanted.size() &&
            (line == wanted[next] ||
             (line.starts_with(wanted[next]) && line.size() == wanted[next].size() + 1 &&
              line.back() == '\r')))
            ++next;
    return next == wanted.size();
}

// A name or text as the store's callers pass it: UTF-8, and names without line breaks.
std::string StoreText(std::string text, bool name) {
    if (!platform::IsUtf8(text))
        text = platform::Cp1252ToUtf8(text);
    if (name)
        for (char &c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
    return text;
}

const RegType kTypes[] = {
    RegType::String,       RegType::Dword, RegType::Binary, RegType::MultiString,
    RegType::ExpandString, RegType::Qword, RegType::None,   static_cast<RegType>(0x1234)};
const char *const kNames[] = {"", "MRU", "mru", "Zoekwoord", "\xC3\xA9\xC3\xA9n", "a\"b\\", "@"};

struct Target {
    std::string root, path;
};

// A key to change: one the model holds (of the two roots the store writes), or a new one
// below it.
Target PickKey(const Meaning &model, fuzz::Choices &choices) {
    std::vector<Target> keys;
    for (const auto &[id, values] : model) {
        for (const char *root : kRoots) {
            const std::string prefix = FoldKeyName(root) + '\\';
            if (id.starts_with(prefix))
                keys.push_back({root, id.substr(prefix.size())});
        }
    }
    Target key = keys.empty() ? Target{kRoots[0], "Software"} : keys[choices.Below(keys.size())];
    if (choices.Below(4) == 0) {
        const std::string own = StoreText(choices.Text(12), true);
        std::string path =
            platform::NormalizeKeyPath(key.path + '\\' + (own.empty() ? "Nieuw" : own));
        // A name with backslashes makes several levels; the walk that reads the keys back
        // must reach the deepest.
        if (const std::size_t parent = path.rfind('\\');
            parent == std::string::npos || parent <= kLongestPathCompared)
            key.path = std::move(path);
    }
    return key;
}

std::string PickName(const Meaning &model, const Target &key, fuzz::Choices &choices) {
    const auto found = model.find(KeyId(key.root, key.path));
    const std::size_t choice = choices.Below(16);
    if (found != model.end() && !found->second.empty() && choice < 8) {
        auto it = found->second.begin();
        std::advance(it, choices.Below(found->second.size()));
        return choice % 2 == 0 ? it->second.name : it->first;  // as spelled, or folded
    }
    if (choice < 12)
        return kNames[choice % std::size(kNames)];
    return StoreText(choices.Text(20), true);
}

void RemoveSubtree(Meaning &model, const Target &key, bool keepKey) {
    const std::string id = KeyId(key.root, key.path);
    const std::string below = id.ends_with('\\') ? id : id + '\\';  // a root's id ends so
    for (auto it = model.begin(); it != model.end();) {
        if (it->first.starts_with(below) && it->first != id) {
            it = model.erase(it);
        } else {
            ++it;
        }
    }
    if (keepKey) {
        if (auto found = model.find(id); found != model.end())
            found->second.clear();
    } else {
        model.erase(id);
    }
}

// The key and its parents.
void MakeKey(Meaning &model, const Target &key) {
    for (std::size_t end = 0; end != std::string::npos; end = key.path.find('\\', end + 1))
        model[KeyId(key.root, key.path.substr(0, end))];
    model[KeyId(key.root, key.path)];
}

// One change through the store's calls, and the same change to the model.
void Change(Hive &hive, Meaning &model, fuzz::Choices &choices) {
    const Target key = PickKey(model, choices);
    const std::uint8_t what = choices.Byte() % 5;
    if (what == 0 || what == 1) {
        const std::string name = PickName(model, key, choices);
        const RegType type = kTypes[choices.Below(std::size(kTypes))];
        std::string data = choices.Text(40);
        if (type == RegType::String || type == RegType::ExpandString ||
            type == RegType::MultiString)
            data = StoreText(std::move(data), false);
        const std::string before = hive.Bytes();
        if (!hive.SetValue(key.root, key.path, name, type, data)) {
            // Only an old REGEDIT4 file refuses text, and a key beyond the limits is refused;
            // nothing changes then.
            fuzz::Check(hive.Bytes() == before, "a refused value changed the file");
            return;
        }
        MakeKey(model, key);
        Values &values = model[KeyId(key.root, key.path)];
        const auto found = values.find(FoldKeyName(name));
        const std::string spelled = found != values.end() ? found->second.name : name;
        values[FoldKeyName(name)] = Value{spelled, type, data};
    } else if (what == 2) {
        const std::string name = PickName(model, key, choices);
        const auto found = model.find(KeyId(key.root, key.path));
        const bool had = found != model.end() && found->second.count(FoldKeyName(name)) != 0;
        fuzz::Check(hive.RemoveValue(key.root, key.path, name) == had,
                    "RemoveValue says otherwise than the keys read");
        if (had)
            found->second.erase(FoldKeyName(name));
    } else if (what == 3) {
        if (choices.Byte() % 2 == 0) {
            hive.RemoveTree(key.root, key.path);
            RemoveSubtree(model, key, false);
        } else {
            hive.ClearTree(key.root, key.path);
            RemoveSubtree(model, key, true);
        }
    } else {
        if (hive.Create(key.root, key.path) != nullptr)
            MakeKey(model, key);
        else
            fuzz::Check(!platform::KeyPathFits(key.path), "a key within the limits was refused");
    }
}

std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        }
    }
    return out;
}

// The first key in which two meanings differ, for the report of a failed property.
std::string Difference(const Meaning &got, const Meaning &wanted) {
    for (const Meaning *side : {&got, &wanted}) {
        const Meaning &other = side == &got ? wanted : got;
        for (const auto &[id, values] : *side) {
            const auto found = other.find(id);
            std::string where = (side == &got ? "read " : "made ") + Printable(id);
            if (found == other.end())
                return where + " only";
            for (const auto &[name, value] : values) {
                const auto same = found->second.find(name);
                if (same == found->second.end() || !(same->second == value))
                    return where + ": value " + Printable(value.name) + " = " +
                           std::to_string(static_cast<unsigned>(value.type)) + ":" +
                           Printable(value.data);
            }
        }
    }
    return "none";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string_view> parts = fuzz::SplitParts(input, 2);
    const std::string_view file = parts[0];
    fuzz::Choices choices(parts.size() > 1
                              ? parts[1]
                              : file.substr(file.size() - std::min<std::size_t>(file.size(), 24)));

    Hive hive = Hive::Parse(file);
    const bool utf16 = file.starts_with(kUtf16Mark);
    if (!utf16)
        fuzz::Check(hive.Bytes() == file, "a file read and written unchanged changed");

    const std::vector<std::string> roots = RootsNamed(file);
    Meaning model = MeaningOf(hive, roots);
    for (int i = 0; i < 3 && !(i > 0 && choices.Empty()); ++i)
        Change(hive, model, choices);

    const std::string written = hive.Bytes();
    const Hive back = Hive::Parse(written);
    for (auto it = model.begin(); it != model.end();) {
        // A root without values is no key of its own.
        const bool root = it->first.ends_with('\\');
        it = root && it->second.empty() ? model.erase(it) : std::next(it);
    }
    if (const Meaning read = MeaningOf(back, roots); read != model)
        fuzz::Fail("the file written reads back otherwise: " + Difference(read, model) +
                   "\nwritten: " + Printable(written));
    if (!utf16) {
        fuzz::Check(back.Bytes() == written, "a written file changed when read and written");
        if (!InOrder(Comments(file), Comments(written)))
            fuzz::Fail("a comment was lost or moved: " + Printable(written));
    }
    return 0;
}
