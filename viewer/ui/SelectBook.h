// A dictionary command: one per book that is installed or listed; shown as a button on
// the dictionary toolbar and, with two or more, as an entry of the File menu.
#pragma once

#include "viewer/ui/Command.h"

class TLXABook;
class TLXAData;

namespace ui {

class TImageList;
class TfrmLXAMain;

class TSelectBook : public TCommand {
    Q_OBJECT
  public:
    // Creates the command with no book; `window` is the main window it switches, `data`
    // the data module whose current book it shows as checked.
    TSelectBook(QObject *owner, TfrmLXAMain *window, const TLXAData &data);

    // Binds the command to a book (not owned) and sets its texts and pictures: one
    // picture added to each list, so that ImageIndex addresses both.
    void SetBook(TLXABook *book, TImageList &enabledImages, TImageList &disabledImages);

    TLXABook *Book() const { return m_book; }
    // The book's name and whether the selector shows it, again (the user rearranged).
    void Refresh();
    int ImageIndex() const { return m_imageIndex; }

  private:
    void AddInitialsPictures(const TLXABook &book, TImageList &enabledImages,
                             TImageList &disabledImages);
    void ExecuteSelect();
    void UpdateState();

    TfrmLXAMain *m_window;
    const TLXAData &m_data;
    TLXABook *m_book = nullptr;
    int m_imageIndex = -1;
};

}  // namespace ui
