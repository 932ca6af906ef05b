#include "UiTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/paths.h"
#include "viewer/core/LXA_Cursor.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/ui/LXA_Forms.h"
#include "viewer/ui/LXA_Main.h"

namespace uitest {

namespace {

std::vector<std::string> ReadLines(const std::string &file) {
    std::vector<std::string> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

}  // namespace

TDialogRecorder::TDialogRecorder() {
    m_previous = SetDialogHandler([this](const TDialogRequest &request) {
        Shown.push_back(request);
        return request.Kind == TMsgDlgType::Confirmation ? mrNo : mrOk;
    });
}

TDialogRecorder::~TDialogRecorder() {
    SetDialogHandler(m_previous);
}

TProgramFolder::TProgramFolder()
    : Dir(m_temp.Path() + "/prog"), Data(Dir + "/data"), Imgs(Dir + "/imgs") {
    std::filesystem::create_directories(Data);
    std::filesystem::create_directories(Imgs);
    std::filesystem::create_directories(TempFolder());
    std::filesystem::copy_file(UI_FAKE_LEXQAPI, Dir + "/lexqapi.so");
    for (const char *picture : {"nl-en.bmp", "nl-en_off.bmp", "nl-en.ico", "en-nl.bmp"})
        std::filesystem::copy_file(std::string(TK_IMGS_SOURCE) + "/" + picture,
                                   Imgs + "/" + picture);
    ::setenv("TAALKIST_REGISTRY_DIR", (m_temp.Path() + "/registry").c_str(), 1);
    ::setenv("TMPDIR", TempFolder().c_str(), 1);
    ::setenv("UI_FAKE_LEXQ_LOG", (m_temp.Path() + "/lexq.log").c_str(), 1);
    ::setenv("UI_FAKE_FLDTTS_LOG", (m_temp.Path() + "/fldtts.log").c_str(), 1);
    ::unsetenv("UI_FAKE_LEXQ_STATUS");
    SetProgramPathOverride(Dir + "/tkviewer");
    platform::SetCommandLine(std::vector<std::string>{});
}

TProgramFolder::~TProgramFolder() {
    SetProgramPathOverride(std::string());
    for (const char *name : {"TAALKIST_REGISTRY_DIR", "TMPDIR", "UI_FAKE_LEXQ_LOG",
                             "UI_FAKE_FLDTTS_LOG", "UI_FAKE_LEXQ_STATUS"})
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

void TProgramFolder::InstallEngine() const {
    std::filesystem::copy_file(UI_FAKE_FLDTTS, Dir + "/fldtts.so");
}

void TProgramFolder::SetHelpdeskMode(bool on) const {
    WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, "Software\\Taalkist\\Test",
                 "HelpdeskMode", on ? "1" : "0");
}

std::vector<std::string> TProgramFolder::Searches() const {
    return ReadLines(m_temp.Path() + "/lexq.log");
}

std::vector<std::string> TProgramFolder::Spoken() const {
    return ReadLines(m_temp.Path() + "/fldtts.log");
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
