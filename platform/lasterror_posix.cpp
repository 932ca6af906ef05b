// Error texts and numbers on a POSIX system: the Windows wording, from errno values.
#include "lasterror.h"

#include <cerrno>
#include <cstring>

namespace platform {

namespace {
struct ErrorText {
    int code;
    const char *text;
};

// The texts Windows gives for the error numbers this layer reports.
constexpr ErrorText kTexts[] = {
    {0, "The operation completed successfully."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {8, "Not enough memory resources are available to process this command."},
    {13, "The data is invalid."},
    {17, "The system cannot move the file to a different disk drive."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {145, "The directory is not empty."},
    {183, "Cannot create a file when that file already exists."},
    {193, "The file is not a valid application."},
    {206, "The filename or extension is too long."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {1009, "The configuration registry database is corrupt."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1155, "No application is associated with the specified file for this operation."},
    {1630, "Data of this type is not supported."},
    {1921, "The name of the file cannot be resolved by the system."},
};
}  // namespace

std::string SystemErrorText(int code) {
    for (const ErrorText &entry : kTexts)
        if (entry.code == code)
            return entry.text;
    return {};
}

int ErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
        case 0:
            return 0;
        case ENOENT:
            return 2;
        case ENOTDIR:
            return 3;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return 5;
        case ENOMEM:
            return 8;
        case EXDEV:
            return 17;
        case EBUSY:
        case ETXTBSY:
            return 32;
        case EINVAL:
            return 87;
        case ENOSPC:
        case EDQUOT:
            return 112;
        case ENOTEMPTY:
            return 145;
        case EEXIST:
            return 183;
        case ENOEXEC:
            return 193;
        case ENAMETOOLONG:
            return 206;
        case EIO:
            return 1117;
        case ELOOP:
            return 1921;
        default:
            return kErrGenFailure;
    }
}

void SetLastErrorFromErrno(int errnoValue) {
    const int code = ErrorFromErrno(errnoValue);
    std::string text;
    if (code == kErrGenFailure) {
        char buffer[256];
        // GNU strerror_r returns the text, which need not live in the buffer.
        text = ::strerror_r(errnoValue, buffer, sizeof buffer);
    }
    SetLastError(code, std::move(text));
}

}  // namespace platform
