#include "viewer/core/LXA_Paths.h"

#include <QString>
#include <QUrl>
#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/paths.h"

namespace {

std::string &Override() {
    static std::string path;
    return path;
}

std::string FolderOf(const std::string &path) {
    const std::size_t slash = path.rfind(platform::kPathDelim);
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string(1, platform::kPathDelim) : path.substr(0, slash);
}

std::string Join(const std::string &folder, const char *name) {
    return platform::IncludeTrailingDelimiter(folder) + name;
}

}  // namespace

std::string ProgramFilePath() {
    return Override().empty() ? platform::ProgramPath() : Override();
}

std::string ProgramFolder() {
    return FolderOf(ProgramFilePath());
}

void SetProgramPathOverride(std::string path) {
    Override() = std::move(path);
}

TRPaths ComputePaths(const std::string &programPath) {
    TRPaths paths;
    paths.AppDir = FolderOf(programPath);
    // The root folder keeps its delimiter; no other folder ends in one.
    paths.DataDir = Join(paths.AppDir, "data");
    paths.ImgsDir = Join(paths.AppDir, "imgs");
    return paths;
}

std::string ChangeFileExt(const std::string &path, const std::string &extension) {
    const std::size_t slash = path.rfind(platform::kPathDelim);
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string PageFileReference(const std::string &path) {
    auto plain = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F)
            return false;
        if (c == platform::kPathDelim)
            return true;
        return std::string_view("\"#%&'<>?\\").find(c) == std::string_view::npos;
    };
    if (std::all_of(path.begin(), path.end(), plain))
        return path;
    return QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded().toStdString();
}
