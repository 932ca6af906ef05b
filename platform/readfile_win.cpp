#include <windows.h>

#include <cstdint>

#include "platform/readfile.h"
#include "wide_text_win.h"

namespace platform {

ReadFile OpenReadFile(const char *path) {
    // Others may go on reading, writing and even renaming the file meanwhile, as they
    // may on other systems.
    const HANDLE file = ::CreateFileW(win::WidePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        win::RecordSystemError();
        return kNoFile;
    }
    return reinterpret_cast<ReadFile>(file);
}

std::int64_t ReadFileAt(ReadFile file, std::uint64_t offset, void *into, std::size_t size) {
    auto *out = static_cast<unsigned char *>(into);
    std::size_t done = 0;
    while (done < size) {
        if (offset + done > std::uint64_t(INT64_MAX))
            break;
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = size - done;
        const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(reinterpret_cast<HANDLE>(file), out + done, ask, &got, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            win::RecordSystemError();
            return -1;
        }
        if (got == 0)
            break;
        done += got;
    }
    return static_cast<std::int64_t>(done);
}

void CloseReadFile(ReadFile file) {
    if (file != kNoFile)
        ::CloseHandle(reinterpret_cast<HANDLE>(file));
}

}  // namespace platform
