#include "AddDictionary.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <utility>

#include "books/converter.h"
#include "books/diagnostics.h"
#include "books/dict_socket.h"
#include "books/progress.h"
#include "books/server_books.h"
#include "books/user_books.h"
#include "viewer/core/LXA_Format.h"

namespace ui {

namespace {

TDictionaryPrompt &Prompt() {
    static TDictionaryPrompt prompt;
    return prompt;
}

// The file dialog that also takes a DICT server's address typed as the file's name: the
// dialog itself would look for it as a file beside the folder shown and refuse it.
class TFileOrAddressDialog : public QFileDialog {
  public:
    using QFileDialog::QFileDialog;
    QString Address;

    void accept() override {
        const auto *typed = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        const QString text = typed != nullptr ? typed->text().trimmed() : QString();
        if (text.startsWith(QLatin1String("dict://"), Qt::CaseInsensitive)) {
            Address = text;
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }
};

std::optional<TDictionaryChoice> AskWithDialogs(QWidget *parent) {
    TFileOrAddressDialog files(parent, QStringLiteral("Woordenboek toevoegen"), QDir::homePath());
    // Qt's own dialog: only its name field can be read for an address.
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setFileMode(QFileDialog::ExistingFile);
    files.setNameFilters({QStringLiteral("Woordenboeken (*.index *.ifo *.dsl *.dsl.dz)"),
                          QStringLiteral("dictd-woordenboeken (*.index)"),
                          QStringLiteral("StarDict-woordenboeken (*.ifo)"),
                          QStringLiteral("DSL-woordenboeken (*.dsl *.dsl.dz)"),
                          QStringLiteral("Andere formaten, via pyglossary (*.mdx *.xdxf *.bgl "
                                         "*.slob *.ld2 *.csv)"),
                          QStringLiteral("Alle bestanden (*)")});
    // Qt's own dialog speaks English unless told otherwise.
    files.setLabelText(QFileDialog::LookIn, QStringLiteral("Zoeken in:"));
    files.setLabelText(QFileDialog::FileName, QStringLiteral("Bestandsnaam of dict://-adres:"));
    files.setLabelText(QFileDialog::FileType, QStringLiteral("Bestandstype:"));
    files.setLabelText(QFileDialog::Accept, QStringLiteral("Openen"));
    files.setLabelText(QFileDialog::Reject, QStringLiteral("Annuleren"));
    if (files.exec() != QDialog::Accepted)
        return std::nullopt;
    // The server names its books.
    if (!files.Address.isEmpty())
        return TDictionaryChoice{files.Address, QString()};
    if (files.selectedFiles().isEmpty())
        return std::nullopt;

    QInputDialog name(parent);
    name.setWindowTitle(QStringLiteral("Woordenboek toevoegen"));
    name.setLabelText(
        QStringLiteral("Naam in de lijst van woordenboeken (leeg laten: de naam "
                       "die het woordenboek zelf draagt):"));
    name.setOkButtonText(QStringLiteral("Toevoegen"));
    name.setCancelButtonText(QStringLiteral("Annuleren"));
    if (name.exec() != QDialog::Accepted)
        return std::nullopt;
    return TDictionaryChoice{files.selectedFiles().front(), name.textValue().trimmed()};
}

}  // namespace

bool IsDictionaryFile(const QString &file) {
    for (const char *ending :
         {".index", ".ifo", ".idx", ".idx.gz", ".dict", ".dict.dz", ".syn", ".dsl", ".dsl.dz"}) {
        if (file.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    }
    return books::ConverterFormat(file.toStdString());
}

std::optional<TDictionaryChoice> AskForDictionary(QWidget *parent) {
    return Prompt() ? Prompt()(parent) : AskWithDialogs(parent);
}

std::optional<TDictionaryChoice> AskForServer(QWidget *parent) {
    if (Prompt())
        return Prompt()(parent);
    QInputDialog address(parent);
    address.setWindowTitle(QStringLiteral("Server toevoegen"));
    address.setLabelText(QStringLiteral(
        "Adres van de DICT-server: dict://SERVER[:POORT] voor al zijn woordenboeken, of "
        "dict://SERVER/WOORDENBOEK voor één:"));
    address.setTextValue(QStringLiteral("dict://"));
    address.setOkButtonText(QStringLiteral("Toevoegen"));
    address.setCancelButtonText(QStringLiteral("Annuleren"));
    if (address.exec() != QDialog::Accepted)
        return std::nullopt;
    return TDictionaryChoice{address.textValue().trimmed(), QString()};
}

TDictionaryPrompt SetDictionaryPrompt(TDictionaryPrompt prompt) {
    return std::exchange(Prompt(), std::move(prompt));
}

TDictionaryImport::TDictionaryImport(const TDictionaryChoice &choice, const std::string &shelfRoot,
                                     const std::string &programDataDir, QWidget *window) {
    books::AddRequest request;
    request.files = {QFile::encodeName(choice.File).toStdString()};
    request.displayName = choice.DisplayName.toStdString();
    request.programDataDir = programDataDir;
    m_interrupt = std::make_unique<books::dict::Interrupt>();
    m_thread = QThread::create(
        [this, request = std::move(request), shelf = books::UserShelfAt(shelfRoot)] {
            books::Progress progress([this](double done) {
                m_permille.store(static_cast<int>(done * 1000));
                return !m_cancel.load();
            });
            TImportOutcome outcome;
            try {
                // An address instead of a file: the server's databases, without converting.
                if (request.files.front().rfind("dict://", 0) == 0) {
                    books::dict::ClientOptions options;
                    options.replyTimeoutMs = 1000 * books::ServerReplyTimeout(shelf);
                    options.interrupt = m_interrupt.get();
                    const books::ServerBooksAdded added =
                        books::AddServerBooks(shelf, request.files.front(), request.displayName, "",
                                              request.programDataDir, options);
                    outcome.Kind = TImportOutcome::TKind::Added;
                    outcome.Name = added.books.front().name;
                    outcome.DisplayName = added.books.front().displayName;
                    for (const books::AddResult &book : added.books)
                        outcome.ServerBooks.emplace_back(book.name, book.displayName);
                    outcome.UnknownDirection = added.unknownDirection;
                    outcome.Refused = added.refused;
                    m_outcome = std::move(outcome);
                    return;
                }
                const books::AddResult added = books::AddUserBook(shelf, request, &progress);
                outcome.Kind = TImportOutcome::TKind::Added;
                outcome.Name = added.name;
                outcome.DisplayName = added.displayName;
                outcome.Entries = added.entries;
                outcome.Skipped = added.skipped;
                outcome.Utf8 = added.utf8;
            } catch (const books::Cancelled &) {
                outcome.Kind = TImportOutcome::TKind::Cancelled;
            } catch (const books::InputError &e) {
                outcome.Kind = TImportOutcome::TKind::Refused;
                outcome.Message = e.what();
            } catch (const std::exception &e) {
                outcome.Message = e.what();
            } catch (...) {
                outcome.Message = "Unknown exception";
            }
            m_outcome = std::move(outcome);
        });
    connect(m_thread, &QThread::finished, this, &TDictionaryImport::WorkerEnded);

    m_progress = new QProgressDialog(QStringLiteral("Het woordenboek wordt omgezet en toegevoegd…"),
                                     QStringLiteral("Annuleren"), 0, 1000, window);
    m_progress->setWindowTitle(QStringLiteral("Woordenboek toevoegen"));
    // The window goes on answering searches while the dictionary is converted.
    m_progress->setWindowModality(Qt::NonModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(400);
    m_progress->setValue(0);
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        m_cancel.store(true);
        m_interrupt->Raise();
        m_progress->setLabelText(QStringLiteral("Bezig met annuleren…"));
    });
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &TDictionaryImport::ShowProgress);
    m_timer->start(100);
    m_thread->start();
}

TDictionaryImport::~TDictionaryImport() {
    m_cancel.store(true);
    m_interrupt->Raise();
    m_thread->wait();
    delete m_thread;
    delete m_progress;
}

void TDictionaryImport::ShowProgress() {
    if (m_progress && !m_cancel.load())
        m_progress->setValue(m_permille.load());
}

void TDictionaryImport::WorkerEnded() {
    m_timer->stop();
    m_thread->wait();
    if (m_progress)
        m_progress->hide();
    emit Finished(m_outcome);
}

std::string AddedMessage(const TImportOutcome &outcome) {
    std::string message;
    if (outcome.ServerBooks.size() > 1 || !outcome.Refused.empty()) {
        std::string names;
        for (std::size_t i = 0; i < outcome.ServerBooks.size(); ++i)
            names += (i == 0                                ? "'"
                      : i + 1 == outcome.ServerBooks.size() ? " en '"
                                                            : ", '") +
                     outcome.ServerBooks[i].second + "'";
        message = outcome.ServerBooks.size() == 1
                      ? Format("Het woordenboek %s is toegevoegd.", {names})
                      : Format("De woordenboeken %s zijn toegevoegd.", {names});
        for (const std::string &refused : outcome.Refused)
            message += "\n" + refused;
        return message;
    }
    if (outcome.Utf8)
        message = Format(
            "Het woordenboek '%s' is toegevoegd als Unicode-woordenboek (UTF-8), "
            "omdat het woorden bevat met letters buiten Windows-1252.",
            {outcome.DisplayName});
    else if (outcome.Skipped > 0)
        message = Format("Het woordenboek '%s' is toegevoegd.", {outcome.DisplayName});
    if (outcome.Skipped > 0)
        message += Format(
            " %d van de %d woorden zijn weggelaten, omdat ze niet kunnen worden "
            "opgezocht.",
            {std::int64_t(outcome.Skipped), std::int64_t(outcome.Entries)});
    return message;
}

}  // namespace ui
