#include "SelectBook.h"

#include "platform/paths.h"
#include "viewer/core/LXA_Data.h"
#include "viewer/ui/BookPicture.h"
#include "viewer/ui/ImageList.h"
#include "viewer/ui/LXA_Main.h"

namespace ui {

TSelectBook::TSelectBook(QObject *owner, TfrmLXAMain *window, const TLXAData &data)
    : TCommand(owner), m_window(window), m_data(data) {
    setCheckable(true);
    SetExecute([this] { ExecuteSelect(); });
    SetUpdateRule([this](TCommand &) { UpdateState(); });
}

void TSelectBook::SetBook(TLXABook *book, TImageList &enabledImages, TImageList &disabledImages) {
    m_book = book;
    if (book == nullptr) {
        setText(QStringLiteral("<no book set>"));
        setVisible(false);
        return;
    }
    const QString caption = QString::fromStdString(book->DisplayName);
    setText(caption);
    setVisible((book->Installed || book->Listed) && !book->Hidden);
    const QIcon noIcon;
    const QIcon &icon = book->Icon ? *book->Icon : noIcon;
    if (!book->Bitmap && icon.isNull()) {
        AddInitialsPictures(*book, enabledImages, disabledImages);
    } else {
        m_imageIndex =
            book->Bitmap ? enabledImages.AddMasked(*book->Bitmap) : enabledImages.AddIcon(icon);
        if (book->DisabledBitmap)
            disabledImages.AddMasked(*book->DisabledBitmap);
        else if (book->Bitmap)
            disabledImages.AddMasked(*book->Bitmap);
        else
            disabledImages.AddIcon(icon);
    }
    QIcon look(enabledImages.At(m_imageIndex));
    look.addPixmap(disabledImages.At(m_imageIndex), QIcon::Disabled);
    if (book->Bitmap) {
        const QString picture = QString::fromStdString(
            platform::IncludeTrailingDelimiter(m_data.Paths.ImgsDir) + book->Name);
        AddDoubleSize(look, picture + QStringLiteral(".bmp"));
        AddDoubleSize(look, picture + QStringLiteral("_off.bmp"), QIcon::Disabled);
    }
    setIcon(look);
    setToolTip(book->ServerAddress.empty()
                   ? caption
                   : QStringLiteral("%1 (op de server %2)")
                         .arg(caption, QString::fromStdString(book->ServerAddress)));
}

void TSelectBook::Refresh() {
    if (m_book == nullptr)
        return;
    const QString caption = QString::fromStdString(m_book->DisplayName);
    setText(caption);
    setToolTip(caption);
    setVisible((m_book->Installed || m_book->Listed) && !m_book->Hidden);
}

void TSelectBook::AddInitialsPictures(const TLXABook &book, TImageList &enabledImages,
                                      TImageList &disabledImages) {
    // A book with neither picture nor icon (the user's own, mostly) still gets a button
    // that tells it from the others.
    QImage picture = InitialsPicture(book.Name, QString::fromStdString(book.DisplayName));
    if (!book.ServerAddress.empty())
        picture = WithServerMark(picture);
    m_imageIndex = enabledImages.AddMasked(picture);
    disabledImages.AddMasked(GreyedPicture(picture));
}

void TSelectBook::ExecuteSelect() {
    if (m_book != nullptr && m_window != nullptr)
        m_window->SelectBookByName(m_book->Name);
}

void TSelectBook::UpdateState() {
    setEnabled(m_book != nullptr && m_book->Searchable());
    // While several books are chosen, none of them is the one checked.
    setChecked(m_book != nullptr && m_data.CurrentBook == m_book &&
               (m_window == nullptr || m_window->ChoiceKey().empty()));
}

}  // namespace ui
