#include "UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/ui/LXA_Forms.h"
#include "viewer/ui/LXA_Main.h"

namespace uitest {

namespace {

// The rest of each line of the stand-in's log that starts with the prefix.
std::vector<std::string> LoggedAfter(const std::string &file, const std::string &prefix) {
    std::vector<std::string> texts;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(prefix))
            texts.push_back(line.substr(prefix.size()));
    return texts;
}

}  // namespace

TProgramFolder::TProgramFolder(const std::string &folderName)
    : Dir(m_temp.Path() + "/" + folderName),
      Data(Dir + "/data"),
      Imgs(Dir + "/imgs"),
      UserShelf(m_temp.Path() + "/xdg/taalkist/eigen") {
    std::filesystem::create_directories(Data);
    std::filesystem::create_directories(Imgs);
    std::filesystem::create_directories(TempFolder());
    // The user's own temporary folder, whatever the umask.
    std::filesystem::permissions(TempFolder(), std::filesystem::perms::owner_all);
    std::filesystem::copy_file(FAKE_LEXQAPI_FILE, Dir + "/lexqapi.so");
    for (const char *picture : {"nl-en.bmp", "nl-en_off.bmp", "nl-en.ico", "en-nl.bmp"})
        std::filesystem::copy_file(std::string(TK_IMGS_SOURCE) + "/" + picture,
                                   Imgs + "/" + picture);
    ::setenv("TAALKIST_REGISTRY_DIR", (m_temp.Path() + "/registry").c_str(), 1);
    // The user's own books come from here, never from the user running the tests.
    ::setenv("XDG_DATA_HOME", (m_temp.Path() + "/xdg").c_str(), 1);
    ::setenv("TMPDIR", TempFolder().c_str(), 1);
    ::setenv("FAKE_LEXQ_LOG", m_temp.File("lexq.log").c_str(), 1);
    ::setenv("FAKE_FLDTTS_LOG", m_temp.File("fldtts.log").c_str(), 1);
    ::unsetenv("FAKE_LEXQ_SEARCH_STATUS");
    SetProgramPathOverride(Dir + "/tkviewer");
    platform::SetCommandLine(std::vector<std::string>{});
}

TProgramFolder::~TProgramFolder() {
    SetProgramPathOverride(std::string());
    for (const char *name : {"TAALKIST_REGISTRY_DIR", "XDG_DATA_HOME", "TMPDIR", "FAKE_LEXQ_LOG",
                             "FAKE_FLDTTS_LOG", "FAKE_LEXQ_SEARCH_STATUS"})
        ::unsetenv(name);
}

std::string TProgramFolder::Write(const std::string &relative, const std::string &bytes) const {
    const std::string path = Dir + "/" + relative;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void TProgramFolder::WriteCatalogue(const std::vector<std::string> &books) const {
    std::string text = "[application]\nregkey=Software\\Taalkist\\Test\n[dictionaries]\n";
    for (const std::string &line : books)
        text += line + "\n";
    Write("data/dict.cfg", text);
}

void TProgramFolder::AddBook(const std::string &name, const std::string &def, bool withIdx) const {
    Write("data/" + name + ".def", def);
    if (withIdx)
        SetTable(name, Table({}));
}

void TProgramFolder::SetTable(const std::string &name, const std::string &table) const {
    Write("data/" + name + ".idx", table);
}

std::string BookSource(std::initializer_list<const char *> words) {
    std::string source;
    for (const char *word : words)
        source += std::string("kw: ") + word + "\ndir: nl-en\n<p>over " + word + "</p>\n\n";
    return source;
}

void TProgramFolder::AddCompiledBook(const std::string &name, const std::string &source) const {
    namespace fs = std::filesystem;
    fs::copy_file(REAL_LEXQAPI_FILE, Dir + "/lexqapi.so", fs::copy_options::overwrite_existing);
    fs::create_directories(Data + "/wordforms");
    for (const char *table : {"nl.tsv", "en.tsv"})
        fs::copy_file(std::string(WORDFORMS_TABLES) + "/" + table, Data + "/wordforms/" + table,
                      fs::copy_options::overwrite_existing);
    const std::string src = Write(name + ".src", source);
    const std::string command = std::string(LEXQC_PROGRAM) + " build '" + src + "' '" + Data + "/" +
                                name + ".idx' > '" + m_temp.File("lexqc.out") + "' 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("lexqc failed: " + command);
}

void TProgramFolder::InstallEngine() const {
    std::filesystem::copy_file(FAKE_FLDTTS_FILE, Dir + "/fldtts.so");
}

void TProgramFolder::SetHelpdeskMode(bool on) const {
    WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, "Software\\Taalkist\\Test",
                 "HelpdeskMode", on ? "1" : "0");
}

std::vector<std::string> TProgramFolder::Searches() const {
    std::vector<std::string> searches = LoggedAfter(m_temp.File("lexq.log"), "search ");
    for (std::string &text : searches)
        text = "[" + text + "]";
    return searches;
}

std::vector<std::string> TProgramFolder::Spoken() const {
    return LoggedAfter(m_temp.File("fldtts.log"), "FLD_Write 1 ");
}

std::string Row(const std::string &keyword, const std::string &body,
                const std::string &languageDir) {
    return "<tr><td>" + keyword + "</td><td>KEY</td><td>" + keyword + "</td><td>" + languageDir +
           "</td><td>" + body + "</td></tr>";
}

std::string Table(const std::vector<std::string> &rows) {
    std::string text = "<table>";
    for (const std::string &row : rows)
        text += row;
    return text + "</table>";
}

TViewer::TViewer() {
    ui::RegisterForms();
    Data.Initialise();
}

TViewer::~TViewer() {
    ui::DestroyForms();
}

ui::TfrmLXAMain &TViewer::Main() const {
    return *ui::frmLXAMain();
}

std::string Find(ui::TfrmLXAMain &window, const std::string &utf8) {
    window.SearchField()->setText(QString::fromStdString(utf8));
    window.SearchField()->setFocus();
    QTest::keyClick(window.SearchField(), Qt::Key_Return);
    return window.StatusText().toStdString();
}

}  // namespace uitest
