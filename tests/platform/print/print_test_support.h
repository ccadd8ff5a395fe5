#pragma once
// Shared pieces of the print tests: rows in memory as a record source, a
// scripted user for the print interaction, and readers of laid-out pages.
#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/print/document.h"
#include "platform/print/print_interaction.h"
#include "platform/print/record_source.h"

namespace veltra::print::testing {

// Rows held in memory. RecordCount fails while "closed", as a table does
// before the report's BeforePrint opens it.
class MemoryRecords : public RecordSource {
 public:
  MemoryRecords(std::vector<std::string> fields, std::vector<std::vector<Value>> rows)
      : fields_(std::move(fields)), rows_(std::move(rows)) {}

  bool open = true;
  int moves = 0;

  std::vector<std::string> FieldNames() const override { return fields_; }
  int RecordCount() const override;
  void MoveTo(int index) override;
  Value FieldValue(int field) const override { return rows_.at(current_).at(field); }

 private:
  std::vector<std::string> fields_;
  std::vector<std::vector<Value>> rows_;
  int current_ = 0;
};

// Answers modal windows and file questions as a test scripts them.
class ScriptedUser : public PrintInteraction {
 public:
  ScriptedUser() : previous_(SetPrintInteraction(this)) {}
  ~ScriptedUser() override { SetPrintInteraction(previous_); }

  std::function<int(QDialog&)> on_modal = [](QDialog&) { return int(QDialog::Rejected); };
  std::vector<std::filesystem::path> file_answers;  // taken from the front; empty: cancel
  int modal_count = 0;
  int file_questions = 0;
  std::vector<QString> file_captions;  // the title of each file dialog asked
  std::vector<QString> errors;

  int ShowModal(QDialog& dialog) override;
  std::filesystem::path AskSaveFileName(QWidget*, const QString& caption, const QString&) override;
  void ShowError(QWidget*, const QString& message) override { errors.push_back(message); }

 private:
  PrintInteraction* previous_;
};

// The texts of a page in drawing order.
std::vector<QString> TextsOn(const Page& page);
// The first text op with exactly `text`, or nullptr.
const TextOp* FindText(const Page& page, const QString& text);

// A fresh folder under the build folder's output, removed by the caller's fixture.
std::filesystem::path OutputPath(const std::string& name);

// The text pdftotext reads from `pdf` (layout kept).
std::string PdfText(const std::filesystem::path& pdf);

}  // namespace veltra::print::testing
