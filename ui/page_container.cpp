#include "ui/page_container.h"

#include <QPalette>
#include <algorithm>

namespace board {

PageContainer::PageContainer(QWidget* parent) : QWidget(parent) {
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);
}

QWidget* PageContainer::AddPage(const QString& caption) {
  auto* page = new QWidget(this);  // owned by the container
  page->setObjectName(caption);
  page->setGeometry(rect());
  page->setVisible(static_cast<int>(pages_.size()) == current_);
  pages_.push_back(page);
  return page;
}

QWidget* PageContainer::Page(int index) const {
  if (index < 0 || index >= PageCount()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

void PageContainer::resizeEvent(QResizeEvent* /*event*/) {
  for (QWidget* page : pages_) page->setGeometry(rect());
}

void PageContainer::SetCurrentPage(int index) {
  if (pages_.empty()) return;
  current_ = std::clamp(index, 0, PageCount() - 1);
  // Hide before showing so the two pages are never visible together.
  for (int i = 0; i < PageCount(); ++i) {
    if (i != current_) pages_[static_cast<std::size_t>(i)]->hide();
  }
  pages_[static_cast<std::size_t>(current_)]->show();
}

}  // namespace board
