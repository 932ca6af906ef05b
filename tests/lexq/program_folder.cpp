#include "program_folder.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char **environ;

namespace lexqtest {

namespace fs = std::filesystem;

namespace {

// Runs a program with its output in two files; returns its exit status.
int Spawn(const std::vector<std::string> &argv, const std::vector<std::string> &env,
          const std::string &outFile, const std::string &errFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char *> args, vars;
    for (const auto &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const auto &v : env)
        vars.push_back(const_cast<char *>(v.c_str()));
    vars.push_back(nullptr);
    pid_t pid = 0;
    const int failed =
        posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), vars.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The test's environment without anything that names a display or a Qt platform, with
// the folder's registry and user's data folder.
std::vector<std::string> ChildEnvironment(const std::string &registry,
                                          const std::string &userData) {
    std::vector<std::string> env;
    for (char **var = environ; *var != nullptr; ++var) {
        const std::string entry = *var;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name.rfind("QT_", 0) == 0 ||
            name == "TAALKIST_REGISTRY_DIR" || name == "XDG_DATA_HOME")
            continue;
        env.push_back(entry);
    }
    env.push_back("TAALKIST_REGISTRY_DIR=" + registry);
    env.push_back("XDG_DATA_HOME=" + userData);
    return env;
}

}  // namespace

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TProgramFolder::TProgramFolder() {
    fs::create_directories(Dir() + "/data");
    fs::create_directories(Dir() + "/imgs");
    fs::create_directories(RegistryDir());
    // A copy: the program finds its folder through its own resolved path.
    fs::copy_file(LEXQ_PROGRAM, Dir() + "/lexq");
    fs::create_symlink(LEXQAPI_LIBRARY, Dir() + "/lexqapi.so");
    fs::create_symlink(CRYPT_LIBRARY, Dir() + "/crypt.so");
}

void TProgramFolder::Write(const std::string &relative, const std::string &bytes) const {
    std::ofstream out(Dir() + "/" + relative, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + relative);
}

void TProgramFolder::AddBook(const std::string &name, const std::string &def,
                             const std::string &source, bool encipher) const {
    Write("data/" + name + ".def", def);
    if (source.empty())
        return;
    const std::string sourceFile = Temp.Write(name + ".src", source);
    std::vector<std::string> argv = {LEXQC_PROGRAM, "build", sourceFile,
                                     Dir() + "/data/" + name + ".idx"};
    if (encipher)
        argv.insert(argv.end(), {"--encipher", "--crypt", CRYPT_LIBRARY});
    if (Spawn(argv, ChildEnvironment(RegistryDir(), UserDataDir()), Temp.File("lexqc.out"),
              Temp.File("lexqc.err")) != 0)
        throw std::runtime_error("lexqc failed: " + ReadFile(Temp.File("lexqc.err")));
}

void TProgramFolder::Remove(const std::string &relative) const {
    fs::remove(Dir() + "/" + relative);
}

TRun TProgramFolder::Run(const std::vector<std::string> &arguments,
                         const std::string &outFile) const {
    return RunProgram(Dir() + "/lexq", arguments, outFile);
}

TRun TProgramFolder::Lexqc(const std::vector<std::string> &arguments) const {
    return RunProgram(LEXQC_PROGRAM, arguments, "");
}

TRun TProgramFolder::RunProgram(const std::string &program,
                                const std::vector<std::string> &arguments,
                                const std::string &outFile) const {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    TRun run;
    run.Status = Spawn(argv, ChildEnvironment(RegistryDir(), UserDataDir()),
                       outFile.empty() ? Temp.File("run.out") : outFile, Temp.File("run.err"));
    if (outFile.empty())
        run.Out = ReadFile(Temp.File("run.out"));
    run.Err = ReadFile(Temp.File("run.err"));
    return run;
}

}  // namespace lexqtest
