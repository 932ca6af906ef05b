// One registry hive file: its text, line for line as read, and an index of the keys and
// values that text defines (the Windows ".reg" export format). Used by the file-backed
// registry, which reads the file, asks or changes one thing, and writes it back.
//
// Names and string values are UTF-8 here; other data is raw bytes. A change rewrites only
// the lines of the key or value it changes: comments, lines it cannot parse and every
// other key keep their bytes, and the file keeps its encoding (UTF-8, or UTF-16LE as
// Windows exports) and its line ends.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "registry.h"

namespace platform {

// Keys nest at most this deep below their root, and a key's own name has at most this many
// characters: a section naming a deeper or longer key means nothing, and such a key cannot
// be made.
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyNameLength = 255;

struct HiveValue {
    std::string name;  // empty: the key's default value ("@")
    RegType type = RegType::String;
    std::string data;  // strings without terminator; other types their raw bytes
};

struct HiveKey {
    std::string root;               // "HKEY_CURRENT_USER", ...
    std::string path;               // below the root, backslash-separated, no leading backslash
    std::vector<HiveValue> values;  // in the order they were first set
};

class Hive {
  public:
    Hive();
    ~Hive();
    Hive(Hive &&) noexcept;
    Hive &operator=(Hive &&) noexcept;

    // Reads the bytes of a .reg file. Never fails: lines it cannot understand are kept
    // as they are and mean nothing.
    static Hive Parse(std::string_view bytes);
    // The file's bytes with the changes made so far.
    std::string Bytes() const;

    // Keys and value names compare ignoring case.
    const HiveKey *Find(std::string_view root, std::string_view path) const;
    // Names of the direct subkeys, in file order.
    std::vector<std::string> Children(std::string_view root, std::string_view path) const;
    static const HiveValue *FindValue(const HiveKey &key, std::string_view name);

    // Makes the key (and its missing parents) exist; null for a path beyond the limits.
    const HiveKey *Create(std::string_view root, std::string_view path);
    // Sets a value of the key, creating the key when missing. False when the file's
    // format cannot hold the text (an old REGEDIT4 file and a character beyond its code page),
    // or the path goes beyond the limits.
    bool SetValue(std::string_view root, std::string_view path, std::string_view name, RegType type,
                  std::string_view data);
    // False when there was no such value.
    bool RemoveValue(std::string_view root, std::string_view path, std::string_view name);
    // Removes the key and everything below it.
    void RemoveTree(std::string_view root, std::string_view path);
    // Removes everything below the key and its values; the key stays.
    void ClearTree(std::string_view root, std::string_view path);

  private:
    struct Entry;
    struct Edits;

    void Load(std::string text);
    Entry *FindEntry(std::string_view root, std::string_view path) const;
    Entry *CreateEntry(const std::string &root, const std::string &path);
    void RemoveEntry(Entry *entry);
    std::string Apply(const Edits &edits) const;
    void Commit(const Edits &edits);
    std::string Header(std::string_view root, std::string_view path) const;
    std::string SpelledPath(std::string_view root, const std::string &normal) const;
    std::string_view LineText(std::size_t line) const;
    std::string_view LineEnd(std::size_t line) const;
    void RemoveKeys(std::string_view root, std::string_view path, bool keepKey);

    std::string text_;  // UTF-8 (or the file's own bytes where they are not)
    bool utf16_ = false;
    bool unicodeData_ = true;  // "hex(1)" and the like hold UTF-16LE (not a REGEDIT4 file)
    std::string eol_ = "\n";
    struct Span {
        std::size_t begin, end;  // bytes of text_, the line end included
    };
    std::vector<Span> lines_;
    std::vector<std::size_t> openListEnds_;  // last lines of hex lists that end in a backslash
    std::vector<std::unique_ptr<Entry>> entries_;
    std::unordered_map<std::string, Entry *> index_;
};

// "\\a\\b\\\\c\\" -> "a\\b\\c": key paths compare without empty parts.
std::string NormalizeKeyPath(std::string_view path);

// Whether a key path (normalized, UTF-8) stays within kMaxKeyDepth and kMaxKeyNameLength.
bool KeyPathFits(std::string_view path);

// A name in the form in which names compare: upper case, for the letters of the
// Latin, Greek and Cyrillic alphabets.
std::string FoldKeyName(std::string_view utf8);
// FoldKeyName(a) == FoldKeyName(b), without the copies.
bool SameFoldedName(std::string_view a, std::string_view b);

}  // namespace platform
