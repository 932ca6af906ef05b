#include "viewer/core/BookChoice.h"

#include "platform/registry.h"
#include "viewer/core/LXA_Books.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Utils.h"

namespace {

// One the user did not hide from the selector, if there is one.
TLXABook *FirstInstalled(const TLXABooks &books) {
    TLXABook *hidden = nullptr;
    for (std::int32_t i = 0; i < books.Count(); ++i) {
        TLXABook *book = books.FindBook(books.NameAt(i));
        if (book->Installed && !book->Hidden)
            return book;
        if (book->Installed && hidden == nullptr)
            hidden = book;
    }
    return hidden;
}

// The searchable book the names ask for, or null after the message that says why not.
TLXABook *NamedBook(const TLXABooks &books, const std::vector<std::string> &names) {
    const std::string alternative = names.size() >= 2 ? names[1] : std::string();
    const TLXABook *first = books.FindBook(names[0]);
    std::string wanted = names[0];
    if (first == nullptr || (!first->Searchable() && !alternative.empty()))
        wanted = alternative;
    TLXABook *chosen = wanted.empty() ? nullptr : books.FindBook(wanted);
    if (chosen == nullptr) {
        ShowErrorFmt("Het door u opgegeven woordenboek '%s' bestaat niet of is niet geïnstalleerd.",
                     {names[0]}, 1, 3);
        return nullptr;
    }
    if (!chosen->Searchable()) {
        // The first name's book when there is one; else the message is about the second's.
        const TLXABook *named = first != nullptr ? first : chosen;
        ShowErrorFmt("Het door u opgegeven woordenboek '%s' is niet geïnstalleerd.",
                     {named->DisplayName}, 1, 4);
        return nullptr;
    }
    return chosen;
}

}  // namespace

TLXABook *ChooseBook(const TLXABooks &books, const std::string &regKey,
                     const std::vector<std::string> &names, TRefusedName whenRefused,
                     bool reportNone) {
    TLXABook *book = nullptr;
    if (!names.empty()) {
        book = NamedBook(books, names);
        if (book == nullptr && whenRefused == TRefusedName::TakeNone)
            return nullptr;
    } else {
        book = books.FindBook(ReadSetting(platform::RegRoot::CurrentUser,
                                          platform::RegRoot::LocalMachine, regKey, "MRU", ""));
        if (book != nullptr && (!book->Searchable() || book->Hidden))
            book = nullptr;
    }
    if (book == nullptr)
        book = FirstInstalled(books);
    if (book == nullptr && reportNone)
        ShowError("Er is geen enkel woordenboek geïnstalleerd.", 1, 5);
    return book;
}
