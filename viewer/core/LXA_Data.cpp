#include "viewer/core/LXA_Data.h"

#include "viewer/core/BookText.h"

#include <algorithm>

#include <utility>

#include "books/exact_words.h"
#include "platform/encoding.h"
#include "platform/paths.h"
#include "viewer/core/BookChoice.h"
#include "viewer/core/Fluency.h"
#include "viewer/core/LXA_Exceptions.h"
#include "viewer/core/LXA_MsgDlg.h"
#include "viewer/core/LXA_Utils.h"
#include "viewer/core/lexqapi.h"

TLXAData *LXAData = nullptr;

namespace {

TFormFactory &FormFactory() {
    static TFormFactory factory;
    return factory;
}

const char *const kUnexpectedError =
    "Er is een onverwachte fout opgetreden in dit programma. Als dit programma zich niet meer "
    "correct gedraagt, sluit het dan af en probeer het opnieuw op te starten. De originele "
    "foutmelding luidt:\r\n\r\n%s";

const char *const kSpeechNotLoaded =
    "De benodigde bestanden voor het uitspreken van woorden kunnen niet worden geladen. Het "
    "uitspreken van trefwoorden zal dan ook niet functioneren. De originele foutmelding "
    "luidt:\r\n\r\n%s";

const char *const kUnsearchable =
    "Het woord '%s' kan niet worden opgezocht: het teken '%s' komt in geen enkel woordenboek "
    "voor (de woordenboeken gebruiken de tekenset Windows-1252).";

void ReportOpenStatus(std::int32_t status, const std::string &indexFile, const TLXABook &book) {
    switch (status) {
        case lexqapi::LEXQ_ERR_NONE:
            break;
        case lexqapi::LEXQ_ERR_NODECRYPTDLL:
            ShowError("Het toepassingsbestand 'crypt.dll' ontbreekt.", 5, 7);
            break;
        case lexqapi::LEXQ_ERR_NOMEMORY:
            ShowError(lexqapi::kMsgNoMemory, 5, 6);
            break;
        case lexqapi::LEXQ_ERR_WRONGFORMAT:
            ShowErrorFmt(
                "Het woordenboekbestand '%s' is corrupt. Selecteer a.u.b. een ander woordenboek. "
                "Om de fout te herstellen kunt u het woordenboek '%s' opnieuw installeren.",
                {indexFile, book.DisplayName}, 5, 3);
            break;
        case lexqapi::LEXQ_ERR_FILENOTFOUND:
            ShowErrorFmt(
                "Het woordenboekbestand '%s' kan niet worden gevonden. selecteer a.u.b. een ander "
                "woordenboek.",
                {indexFile}, 5, 2);
            break;
        default:
            ShowError(lexqapi::kMsgUnknownError, 5, lexqapi::StatusNumber(status));
            break;
    }
}

}  // namespace

void SetFormFactory(TFormFactory factory) {
    FormFactory() = std::move(factory);
}

TLXAData::TLXAData() {
    LXAData = this;
}

TLXAData::~TLXAData() {
    Finalise();
    if (LXAData == this)
        LXAData = nullptr;
}

bool TLXAData::Initialise() {
    Title = "Morvelt taalkist";
    HelpFile = ChangeFileExt(ProgramFilePath(), ".hlp");
    Paths = ComputePaths(ProgramFilePath());
    SearchLibrary = lexqapi::LoadSearchLibrary();
    FluencyLibrary = nullptr;
    Books = std::make_unique<TLXABooks>(Paths);
    HelpdeskMode = ReadSetting(platform::RegRoot::CurrentUser, platform::RegRoot::LocalMachine,
                               Paths.RegKey, "HelpdeskMode", "0") == "1";
    SearchResults = std::make_unique<TLXASearchResults>();
    ChooseStartBook();
    CreateForms();
    return true;
}

void TLXAData::ChooseStartBook() {
    // A refused command-line name shows why and starts with the first installed book.
    SelectBook(ChooseBook(*Books, Paths.RegKey, platform::CommandLineArguments(),
                          TRefusedName::TakeFirstInstalled, /*reportNone=*/true));
}

void TLXAData::CreateForms() {
    if (FormFactory())
        FormFactory()(*this);
}

void TLXAData::SelectBook(TLXABook *book) {
    if (book == CurrentBook)
        return;
    if (lexqapi::lexq_deinit)
        lexqapi::lexq_deinit();
    CurrentBook = book;
    if (SearchResults)
        SearchResults->ExactWords.clear();
    if (book == nullptr)
        return;
    WriteSetting(platform::RegRoot::CurrentUser, std::nullopt, Paths.RegKey, "MRU", book->Name);
    if (book->Fluency && FluencyLibrary == nullptr) {
        try {
            FluencyLibrary = LoadFluency();
        } catch (const std::exception &e) {
            ShowErrorFmt(kSpeechNotLoaded, {std::string(e.what())}, 7, 1);
        }
    }
    // The book's words in the voice of its language; an engine without voices skips it.
    if (book->Fluency && FluencyLibrary != nullptr)
        FluencySetVoice(book->FluencyVoice);
    // A book on a DICT server has no index: its words are asked for on the server.
    if (!book->ServerAddress.empty())
        return;
    const std::string indexFile = book->IndexFile();
    LoadExactWords(indexFile);
    if (lexqapi::lexq_init) {
        const std::int32_t status = lexqapi::lexq_init(indexFile.c_str());
        booktext::SetUtf8(status == lexqapi::LEXQ_ERR_NONE && lexqapi::OpenBookIsUtf8());
        ReportOpenStatus(status, indexFile, *book);
    }
}

void TLXAData::LoadExactWords(const std::string &indexFile) {
    if (SearchResults)
        SearchResults->ExactWords = books::ReadExactWords(indexFile);
}

std::int32_t TLXAData::OpenBook(TLXABook &book) {
    if (lexqapi::lexq_deinit)
        lexqapi::lexq_deinit();
    CurrentBook = &book;
    if (!lexqapi::lexq_init)
        return lexqapi::LEXQ_ERR_NOTINITIALIZED;
    const std::string indexFile = book.IndexFile();
    LoadExactWords(indexFile);
    const std::int32_t status = lexqapi::lexq_init(indexFile.c_str());
    booktext::SetUtf8(status == lexqapi::LEXQ_ERR_NONE && lexqapi::OpenBookIsUtf8());
    ReportOpenStatus(status, indexFile, book);
    return status;
}

std::int32_t TLXAData::Search(const std::string &text) {
    if (!SearchResults)
        return 0;
    return SearchResults->Search(text, CurrentBook != nullptr ? CurrentBook->FluencyFld : -1);
}

std::int32_t TLXAData::SearchTyped(const std::string &utf8) {
    char32_t unrepresentable = 0;
    if (const std::optional<std::string> text = booktext::FromUtf8(utf8, &unrepresentable)) {
        const std::int32_t found = Search(*text);
        const std::optional<std::string> small = SmallLigatureSpelling(*text);
        if (found > 0 || !small || !SearchResults ||
            SearchResults->LastCode != lexqapi::LEXQ_ERR_WORDNOTFOUND)
            return found;
        return Search(*small);
    }
    // Searching with a '?' in its place would answer another question.
    if (SearchResults)
        SearchResults->Clear();
    std::string character;
    platform::AppendUtf8(character, unrepresentable);
    ShowErrorFmt(kUnsearchable, {utf8, character}, 6, 3);
    return 0;
}

bool TLXAData::SpeechAvailable() const {
    return FluencyLibrary != nullptr;
}

void TLXAData::Speak(const std::string &text) {
    if (FluencyLibrary == nullptr)
        return;
    FluencyStop();
    FluencyWrite(1, text);
    FluencyPlay(0);
}

void TLXAData::SelectBookNamed(const std::string &name) {
    SelectBook(Books ? Books->FindBook(name) : nullptr);
}

std::vector<TLXABook *> TLXAData::SelectableBooks() const {
    std::vector<TLXABook *> selectable;
    if (!Books)
        return selectable;
    for (std::int32_t i = 0; i < Books->Count(); ++i) {
        TLXABook *book = Books->FindBook(Books->NameAt(i));
        if (book != nullptr && (book->Installed || book->Listed) && !book->Hidden)
            selectable.push_back(book);
    }
    return selectable;
}

std::string TLXAData::StyleSheetPath() const {
    if (CurrentBook == nullptr)
        return {};
    return CurrentBook->StylesheetFile();
}

std::string TLXAData::StyleSheetLink() const {
    const std::string path = StyleSheetPath();
    return path.empty() ? path : PageFileReference(path);
}

std::int32_t TLXAData::ResultCount() const {
    return SearchResults ? SearchResults->Count() : 0;
}

std::string TLXAData::ResultPage() const {
    return SearchResults ? SearchResults->BuildPage(StyleSheetLink()) : std::string();
}

bool TLXAData::CanSpeakResults() const {
    return SpeechAvailable() && ResultCount() >= 1 && !SearchResults->PronounceText().empty();
}

void TLXAData::SpeakResults() {
    if (SearchResults)
        Speak(SearchResults->PronounceText());
}

void TLXAData::Finalise() {
    if (SearchLibrary != nullptr && lexqapi::lexq_deinit)
        lexqapi::lexq_deinit();
    SearchResults.reset();
    CurrentBook = nullptr;
    Books.reset();
    if (FluencyLibrary != nullptr)
        UnloadFluency(FluencyLibrary);
    if (SearchLibrary != nullptr)
        lexqapi::UnloadSearchLibrary(SearchLibrary);
}

void TLXAData::ApplicationEventsException(const std::exception &e) {
    ShowException(e);
}

void TLXAData::ApplicationEventsUnknownException() {
    ShowUnknownException();
}

void ShowException(const std::exception &e) {
    // The silent abort ends an operation whose message has been shown already.
    if (dynamic_cast<const EAbort *>(&e) != nullptr)
        return;
    if (const auto *own = dynamic_cast<const ELXAException *>(&e)) {
        ShowError(own->what(), own->Group, own->Number);
        return;
    }
    ShowErrorFmt(kUnexpectedError, {std::string(e.what())}, 99, 1);
}

void ShowUnknownException() {
    ShowErrorFmt(kUnexpectedError, {std::string("Unknown exception")}, 99, 1);
}

void RunGuarded(const std::function<void()> &command) {
    try {
        command();
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowUnknownException();
    }
}
