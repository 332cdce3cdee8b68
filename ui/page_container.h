#pragma once

#include <QWidget>
#include <vector>

namespace board {

// Pages stacked in one white area with no tab strip and no border; only the
// current page is shown. Something outside switches pages (the page headers
// are separate buttons).
class PageContainer : public QWidget {
 public:
  explicit PageContainer(QWidget* parent);

  // A new empty page covering the whole area, owned by the container.
  QWidget* AddPage(const QString& caption);
  QWidget* Page(int index) const;
  int PageCount() const { return static_cast<int>(pages_.size()); }

  // index is clamped to the pages that exist.
  void SetCurrentPage(int index);
  int CurrentPage() const { return current_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  std::vector<QWidget*> pages_;
  int current_ = 0;
};

}  // namespace board
