// A band of the control bar that shows one toolbar; when the toolbar is wider than
// the band, arrow buttons at its ends scroll it instead of hiding buttons.
#pragma once

#include <QWidget>

class QScrollArea;
class QToolButton;

namespace ui {

// The width a band takes for its toolbar: grow to show the whole toolbar when the
// bar has room, take the rest of the bar when it has not, shrink back when the toolbar
// gets narrower. own = the band's width P, content = the toolbar's width W,
// other = the other band's width O, bar = the control bar's width C.
int FitBandWidth(int own, int content, int other, int bar);

class TPageScroller : public QWidget {
    Q_OBJECT
  public:
    explicit TPageScroller(QWidget *parent = nullptr);

    // Shows this widget (not owned before: the scroller takes it over).
    void SetContent(QWidget *content);
    QWidget *Content() const;
    // Width the content needs to be shown whole.
    int ContentWidth() const;

    // Scroll position of the content in pixels (0 = left end).
    int Position() const;
    bool ArrowsShown() const;
    void ScrollBy(int pixels);

  protected:
    void resizeEvent(QResizeEvent *event) override;

  private:
    void UpdateArrows();

    QScrollArea *m_area;
    QToolButton *m_left;
    QToolButton *m_right;
};

}  // namespace ui
