#include "books/converter.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <vector>

#include "books/diagnostics.h"
#include "platform/process_posix.h"

namespace books {

namespace {

std::string Lower(std::string text) {
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The converter's own complaint: its error lines, else its last lines.
std::string Complaint(const std::string &output) {
    std::vector<std::string> lines, errors;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        lines.push_back(line);
        if (line.starts_with("[CRITICAL]") || line.starts_with("[ERROR]") ||
            line.find("Error") != std::string::npos)
            errors.push_back(line);
    }
    const std::vector<std::string> &chosen = errors.empty() ? lines : errors;
    std::string text;
    for (std::size_t i = chosen.size() > 12 ? chosen.size() - 12 : 0; i < chosen.size(); ++i)
        text += chosen[i] + "\n";
    return text;
}

}  // namespace

bool ConverterFormat(const std::string &file) {
    const std::string lower = Lower(file);
    for (const char *ending : {".mdx", ".xdxf", ".bgl", ".slob", ".ld2", ".csv", ".tei", ".sdct",
                               ".dictunformat", ".mobi", ".epub"}) {
        if (lower.ends_with(ending))
            return true;
    }
    return false;
}

std::string FindConverter(const std::string &wanted) {
    if (!wanted.empty())
        return ::access(wanted.c_str(), X_OK) == 0 ? wanted : std::string();
    const char *path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string program = (folder.empty() ? "." : folder) + "/pyglossary";
        if (::access(program.c_str(), X_OK) == 0)
            return program;
    }
    return {};
}

PrivateFolder::PrivateFolder() {
    std::error_code error;
    std::string pattern =
        (std::filesystem::temp_directory_path(error) / "taalkist-omzetten-XXXXXX").string();
    // mkdtemp makes it readable by its owner only.
    if (::mkdtemp(pattern.data()) == nullptr)
        throw InputError(
            "Er kan geen tijdelijke map worden gemaakt om het woordenboek om te zetten.");
    path_ = pattern;
}

PrivateFolder::~PrivateFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string ConvertToStardict(const std::string &file, const std::string &folder,
                              const std::string &converter, Progress &progress) {
    if (converter.empty())
        throw InputError(kConverterMissing);
    const std::string ifo = folder + "/boek.ifo";
    // pyglossary tells no share done; the bar creeps on, half way at 20 seconds.
    const auto start = std::chrono::steady_clock::now();
    std::string output;
    const int status = platform::posix::RunWatched(
        {converter, file, ifo, "--write-format=Stardict", "--no-progress-bar", "--no-color"},
        [&] {
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            try {
                progress.Step(static_cast<std::size_t>(seconds * 10),
                              static_cast<std::size_t>(seconds * 10 + 200));
            } catch (const Cancelled &) {
                return false;
            }
            return true;
        },
        output);
    if (status == platform::posix::kStopped)
        throw Cancelled();
    if (status == -1)
        throw InputError(kConverterMissing);
    std::error_code error;
    if (status != 0 || !std::filesystem::is_regular_file(ifo, error)) {
        if (output.find("Unable to detect input format") != std::string::npos)
            throw InputError("Het formaat van '" + file +
                             "' is onbekend: ook pyglossary kan het niet lezen.");
        throw InputError("pyglossary kon '" + file + "' niet omzetten.\n\nDetails:\n" +
                         Complaint(output));
    }
    return ifo;
}

}  // namespace books
