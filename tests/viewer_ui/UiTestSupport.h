// Fixtures of the window tests: a temporary program folder with a catalogue, stand-in
// search library and speech engine, its own registry and temporary folder; a started
// viewer (data module plus windows); and a recorder that answers every dialog.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "dialog_recorder.h"
#include "tempdir.h"
#include "viewer/core/LXA_Data.h"

namespace ui {
class TfrmLXAMain;
}

namespace uitest {

// Every dialog is recorded and answered with mrNo / mrOk instead of being shown.
using TDialogRecorder = tk::test::DialogRecorder;

// "<temp>/prog" (or another folder name below <temp>) as the running program's folder,
// with data/ and imgs/; the user's own books under "<temp>/xdg".
class TProgramFolder {
  public:
    explicit TProgramFolder(const std::string &folderName = "prog");
    ~TProgramFolder();

    // data/dict.cfg with these lines in its "dictionaries" section ("nl-en=1;Naam").
    void WriteCatalogue(const std::vector<std::string> &books) const;
    // data/<name>.def with this text; data/<name>.idx (the next search's table) when withIdx.
    void AddBook(const std::string &name, const std::string &def, bool withIdx = true) const;
    // The table text that the next search of an open book returns.
    void SetTable(const std::string &name, const std::string &table) const;
    void InstallEngine() const;
    // The real search library in place of the stand-in, the shipped word-form tables, and
    // data/<name>.idx compiled by lexqc from the source text (its format: FORMAT.md).
    void AddCompiledBook(const std::string &name, const std::string &source) const;
    void SetHelpdeskMode(bool on) const;
    // Texts the stand-ins recorded: each search's text in brackets ("[  boom]"), and each
    // spoken text.
    std::vector<std::string> Searches() const;
    std::vector<std::string> Spoken() const;
    std::string TempFolder() const { return m_temp.Path() + "/tmp"; }

  private:
    tk::test::TempDir m_temp;  // first: the folder names below are made from it

  public:
    std::string Dir, Data, Imgs;
    std::string UserShelf;  // the user's own books (under XDG_DATA_HOME)

  private:
    std::string Write(const std::string &relative, const std::string &bytes) const;
};

// A table row of five cells, as the search library gives it.
std::string Row(const std::string &keyword, const std::string &body,
                const std::string &languageDir = "");
std::string Table(const std::vector<std::string> &rows);

// A book's source text (lexqc's format) with one short entry "over WORD" for each word.
std::string BookSource(std::initializer_list<const char *> words);

// The data module initialised on the program folder, with its windows.
class TViewer {
  public:
    TViewer();
    ~TViewer();
    ui::TfrmLXAMain &Main() const;
    TLXAData Data;
};

// Types the text into the search field and presses Enter; returns the status line.
std::string Find(ui::TfrmLXAMain &window, const std::string &utf8);

}  // namespace uitest
