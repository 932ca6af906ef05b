#include "PageScroller.h"

#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

namespace ui {

int FitBandWidth(int own, int content, int other, int bar) {
    if (own < content)
        return content + other < bar ? content : std::max(0, bar - other);
    if (own > content)
        return content;
    return own;
}

TPageScroller::TPageScroller(QWidget *parent)
    : QWidget(parent),
      m_area(new QScrollArea(this)),
      m_left(new QToolButton(this)),
      m_right(new QToolButton(this)) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_left->setArrowType(Qt::LeftArrow);
    m_right->setArrowType(Qt::RightArrow);
    for (QToolButton *arrow : {m_left, m_right}) {
        arrow->setAutoRaise(true);
        arrow->setAutoRepeat(true);
        arrow->setFixedWidth(12);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->hide();
    }
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setWidgetResizable(false);
    m_area->setFocusPolicy(Qt::NoFocus);
    row->addWidget(m_left);
    row->addWidget(m_area, 1);
    row->addWidget(m_right);
    connect(m_left, &QToolButton::clicked, this, [this] { ScrollBy(-16); });
    connect(m_right, &QToolButton::clicked, this, [this] { ScrollBy(16); });
    connect(m_area->horizontalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { UpdateArrows(); });
}

void TPageScroller::SetContent(QWidget *content) {
    m_area->setWidget(content);
    UpdateArrows();
}

QWidget *TPageScroller::Content() const {
    return m_area->widget();
}

int TPageScroller::ContentWidth() const {
    const QWidget *content = Content();
    return content != nullptr ? content->sizeHint().expandedTo(content->minimumSize()).width() : 0;
}

int TPageScroller::Position() const {
    return m_area->horizontalScrollBar()->value();
}

bool TPageScroller::ArrowsShown() const {
    return !m_left->isHidden();
}

void TPageScroller::ScrollBy(int pixels) {
    QScrollBar *bar = m_area->horizontalScrollBar();
    bar->setValue(bar->value() + pixels);
}

void TPageScroller::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    UpdateArrows();
}

void TPageScroller::UpdateArrows() {
    if (QWidget *content = Content())
        content->resize(content->sizeHint().expandedTo(content->minimumSize()));
    const bool tooWide = ContentWidth() > width();
    m_left->setVisible(tooWide);
    m_right->setVisible(tooWide);
}

}  // namespace ui
