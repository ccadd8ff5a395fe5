#pragma once
// The print preview: one page at a time, with page navigation, zoom,
// printing, saving as PDF and closing.
#include <QDialog>

#include <memory>

#include "platform/print/document.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace veltra::print {

class PreviewWindow : public QDialog {
  Q_OBJECT

 public:
  explicit PreviewWindow(Document document, QWidget* parent = nullptr);
  explicit PreviewWindow(std::unique_ptr<PageSource> pages, QWidget* parent = nullptr);

  PageSource& pages() const { return *pages_; }
  // 0-based; -1 for a printout without pages.
  int currentPage() const { return current_; }
  void ShowPage(int index);
  // Percent of the real size on the screen.
  void SetZoom(int percent);

 private:
  void Redraw();
  void PageTyped();
  void PrintClicked();
  void SavePdfClicked();

  Document document_;  // when laid out beforehand
  std::unique_ptr<PageSource> pages_;
  int current_ = -1;
  int zoom_percent_ = 100;
  QPushButton* first_;
  QPushButton* prior_;
  QLineEdit* page_edit_;
  QLabel* page_count_;
  QPushButton* next_;
  QPushButton* last_;
  QComboBox* zoom_;
  QPushButton* print_;
  QPushButton* save_pdf_;
  QScrollArea* scroll_;
  QLabel* image_;
};

// Shows the document in a preview window through the print interaction;
// returns when the window is closed.
void ShowPreview(Document document, QWidget* parent = nullptr);
void ShowPreview(std::unique_ptr<PageSource> pages, QWidget* parent = nullptr);

}  // namespace veltra::print
