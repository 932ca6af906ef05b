// The open book's article index (books/article_index.h), opened at its first use and not
// before: start-up and a book switch never touch it. Closed when the book changes.
#pragma once

#include <memory>
#include <string>

#include "books/article_index.h"

class TBookIndex {
  public:
    TBookIndex();
    ~TBookIndex();
    TBookIndex(const TBookIndex &) = delete;
    TBookIndex &operator=(const TBookIndex &) = delete;

    // The book file whose index is meant (empty: none); closes the index of the last one.
    void SetBook(const std::string &bookFile);
    const std::string &Path() const { return m_path; }

    // The index, opened now if it was not; null with the reason when the book has none or
    // its file is refused (a refused file is tried again only after a book change).
    books::ArticleIndex *Get(books::ArticleIndex::OpenStatus &status);
    // Forgets an index that failed while it was read, so that it is reported as damaged.
    void Refuse();

  private:
    std::string m_path;
    bool m_tried = false;
    books::ArticleIndex::OpenStatus m_status = books::ArticleIndex::OpenStatus::Missing;
    std::unique_ptr<books::ArticleIndex> m_index;
};
