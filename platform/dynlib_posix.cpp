#include <dlfcn.h>

#include <cerrno>

#include "dynlib.h"
#include "lasterror.h"
#include "paths.h"

namespace platform {

std::string NativeLibraryName(std::string_view windowsName) {
    std::string name(windowsName);
    auto endsWith = [&name](std::string_view suffix) {
        if (name.size() < suffix.size())
            return false;
        std::string tail = name.substr(name.size() - suffix.size());
        for (char &c : tail)
            c = static_cast<char>(c | 0x20);
        return tail == suffix;
    };
    // A name that is already this system's needs no mapping.
    if (endsWith(".so"))
        return name;
    if (endsWith(".dll"))
        name.resize(name.size() - 4);
    return name + ".so";
}

namespace {

LibHandle OpenNative(const std::string &file) {
    dlerror();
    LibHandle handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char *why = dlerror();
        SetLastError(kErrModNotFound, why != nullptr ? why : "cannot load " + file);
    }
    return handle;
}

}  // namespace

LibHandle LoadLibraryByName(std::string_view windowsName) {
    const std::string native = NativeLibraryName(windowsName);
    const std::string beside = ProgramDir() + kPathDelim + native;
    if (FileExists(beside))
        return OpenNative(beside);
    // A bare name (no slash) makes dlopen use the system's usual search order.
    return OpenNative(native);
}

LibHandle LoadLibraryFromPath(const std::string &path) {
    const std::size_t slash = path.rfind(kPathDelim);
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string native = folder + NativeLibraryName(file);
    // dlopen treats a name without a slash as a search request, not as a file.
    if (native.find(kPathDelim) == std::string::npos)
        native = "./" + native;
    return OpenNative(native);
}

void *FindExport(LibHandle library, const char *name) {
    if (library == nullptr)
        return nullptr;
    dlerror();
    void *address = ::dlsym(library, name);
    if (address == nullptr) {
        const char *why = dlerror();
        SetLastError(kErrProcNotFound, why != nullptr ? why : std::string("no export ") + name);
    }
    return address;
}

void FreeLibraryHandle(LibHandle library) {
    if (library != nullptr)
        ::dlclose(library);
}

}  // namespace platform
