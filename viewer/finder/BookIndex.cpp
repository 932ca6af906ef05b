#include "viewer/finder/BookIndex.h"

TBookIndex::TBookIndex() = default;
TBookIndex::~TBookIndex() = default;

void TBookIndex::SetBook(const std::string &bookFile) {
    m_index.reset();
    m_tried = false;
    m_path = bookFile.empty() ? std::string() : books::ArticleIndexPath(bookFile);
}

books::ArticleIndex *TBookIndex::Get(books::ArticleIndex::OpenStatus &status) {
    if (!m_tried && !m_path.empty()) {
        m_tried = true;
        m_index = books::ArticleIndex::Open(m_path, m_status);
    }
    status = m_path.empty() ? books::ArticleIndex::OpenStatus::Missing : m_status;
    return m_index.get();
}

void TBookIndex::Refuse() {
    m_index.reset();
    m_tried = true;
    m_status = books::ArticleIndex::OpenStatus::Damaged;
}
