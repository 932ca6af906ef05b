// The settings registry: two hives (current user, local machine) of keys holding named
// values. Status codes are the Windows error numbers, so a Windows backend maps 1:1;
// platform::SystemErrorText(status) words them.
//
// The registry holds any Unicode text. A key handle speaks one encoding for its names and
// string values: Windows-1252, as the viewer and the Windows API's 8-bit calls do, or
// UTF-8, as file names and the tools do. Through a Windows-1252 handle a name or string
// that the code page cannot hold is refused with kRegNoUnicodeTranslation, never garbled.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Status codes of the registry calls (Windows error numbers).
inline constexpr long kRegOk = 0;
inline constexpr long kRegNotFound = 2;      // key or value does not exist
inline constexpr long kRegAccessDenied = 5;  // hive not writable, or key has subkeys
inline constexpr long kRegInvalidParameter = 87;
inline constexpr long kRegMoreData = 234;               // caller's buffer too small
inline constexpr long kRegNoMoreItems = 259;            // enumeration ended
inline constexpr long kRegBadFile = 1009;               // hive file could not be read or written
inline constexpr long kRegKeyDeleted = 1018;            // the open key was deleted meanwhile
inline constexpr long kRegNoUnicodeTranslation = 1113;  // text the handle's encoding cannot hold

enum class RegRoot { CurrentUser, LocalMachine };
enum class RegAccess { Read, All };
// The encoding of the texts a handle takes and gives.
enum class RegText { Cp1252, Utf8 };

// Value types (the Windows numbers).
enum class RegType : std::uint32_t {
    None = 0,
    String = 1,        // REG_SZ
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD, little-endian 32 bits
    MultiString = 7,   // REG_MULTI_SZ
    Qword = 11,        // REG_QWORD
};

// An open key. Closes itself; move-only. A default-constructed key is closed.
class RegKey {
  public:
    RegKey() = default;
    RegKey(RegKey &&other) noexcept;
    RegKey &operator=(RegKey &&other) noexcept;
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;
    ~RegKey() = default;

    bool IsOpen() const { return open_; }
    void Close() { open_ = false; }
    RegRoot Root() const { return root_; }
    // The key's path below its root, backslash-separated, as spelled when created, in the
    // handle's encoding.
    const std::string &Path() const { return path_; }
    bool Writable() const { return access_ == RegAccess::All; }
    RegText Text() const { return text_; }

  private:
    friend class RegistryAccess;
    bool open_ = false;
    RegRoot root_ = RegRoot::CurrentUser;
    std::string path_;
    std::string storedPath_;  // UTF-8
    RegAccess access_ = RegAccess::Read;
    RegText text_ = RegText::Cp1252;
};

// Opens an existing key ("Software\\Taalkist"; leading and trailing backslashes and case
// do not matter; an empty path is the root itself).
long RegOpenKey(RegRoot root, std::string_view path, RegAccess access, RegKey &key,
                RegText text = RegText::Cp1252);
// Opens a key below an open key, in the parent's encoding.
long RegOpenSubKey(const RegKey &parent, std::string_view name, RegAccess access, RegKey &key);
// Opens a key with full access, creating it and any missing parents.
long RegCreateKey(RegRoot root, std::string_view path, RegKey &key, RegText text = RegText::Cp1252);

// Reads a value. `size` holds the buffer's size in bytes on entry and the size of the
// data on return (for string types including the terminating zero). When the buffer is
// too small, returns kRegMoreData and writes nothing. `type` and `buffer` may be null
// (a null buffer just asks for the size). Strings are always terminated when they fit.
long RegQueryValue(const RegKey &key, std::string_view name, RegType *type, void *buffer,
                   std::size_t &size);
// Convenience: a value of any type, its bytes (strings without their terminator).
long RegGetValue(const RegKey &key, std::string_view name, RegType &type, std::string &data);
// Convenience: a string value (REG_SZ or REG_EXPAND_SZ). Another type gives
// kRegUnsupportedType and leaves `value` empty.
inline constexpr long kRegUnsupportedType = 1630;
long RegGetString(const RegKey &key, std::string_view name, std::string &value);

long RegSetString(const RegKey &key, std::string_view name, std::string_view value);
long RegSetDword(const RegKey &key, std::string_view name, std::uint32_t value);
// Any type; `data` holds the raw bytes (strings without terminator).
long RegSetValue(const RegKey &key, std::string_view name, RegType type, std::string_view data);

// The name of the index-th direct subkey (in the order of the hive file), or
// kRegNoMoreItems past the end.
long RegEnumSubKey(const RegKey &key, std::uint32_t index, std::string &name);
// The name and type of the index-th value, or kRegNoMoreItems.
long RegEnumValue(const RegKey &key, std::uint32_t index, std::string &name, RegType &type);

long RegDeleteValue(const RegKey &key, std::string_view name);
// Deletes a key that has no subkeys (kRegAccessDenied when it has some), with its values.
long RegDeleteKey(RegRoot root, std::string_view path, RegText text = RegText::Cp1252);
long RegDeleteSubKey(const RegKey &parent, std::string_view name);
// Deletes the key `subKey` below `key` with all its subkeys and values, in one change of
// the hive; with an empty name, every subkey and value of `key` itself (the key stays).
long RegDeleteTree(const RegKey &key, std::string_view subKey);

// Where a hive lives on this system (a .reg file here: the user's under the XDG config
// folder, taalkist/user.reg; the machine's /etc/taalkist/machine.reg; both in
// $TAALKIST_REGISTRY_DIR when that is set); for tools and messages. When that file is a
// symbolic link, changes are written to the file it leads to.
std::string RegistryHiveFile(RegRoot root);

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char *RegRootName(RegRoot root);

}  // namespace platform
