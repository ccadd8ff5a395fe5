#include "print_test_support.h"

#include <cstdio>
#include <stdexcept>

namespace veltra::print::testing {

int MemoryRecords::RecordCount() const {
  if (!open) throw std::logic_error("records read while the table is closed");
  return static_cast<int>(rows_.size());
}

void MemoryRecords::MoveTo(int index) {
  if (!open || index < 0 || index >= static_cast<int>(rows_.size()))
    throw std::out_of_range("move to record " + std::to_string(index));
  current_ = index;
  ++moves;
}

int ScriptedUser::ShowModal(QDialog& dialog) {
  ++modal_count;
  return on_modal(dialog);
}

std::filesystem::path ScriptedUser::AskSaveFileName(QWidget*, const QString& caption, const QString&) {
  ++file_questions;
  file_captions.push_back(caption);
  if (file_answers.empty()) return {};
  std::filesystem::path answer = file_answers.front();
  file_answers.erase(file_answers.begin());
  return answer;
}

std::vector<QString> TextsOn(const Page& page) {
  std::vector<QString> texts;
  for (const DrawOp& op : page.ops)
    if (const auto* text = std::get_if<TextOp>(&op)) texts.push_back(text->text);
  return texts;
}

const TextOp* FindText(const Page& page, const QString& wanted) {
  for (const DrawOp& op : page.ops)
    if (const auto* text = std::get_if<TextOp>(&op); text && text->text == wanted) return text;
  return nullptr;
}

std::filesystem::path OutputPath(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(VELTRA_PRINT_OUTPUT_DIR) / "output";
  std::filesystem::create_directories(dir);
  return dir / name;
}

std::string PdfText(const std::filesystem::path& pdf) {
  const std::string command = "pdftotext -layout '" + pdf.string() + "' - 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run pdftotext");
  std::string out;
  char buffer[4096];
  while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  pclose(pipe);
  return out;
}

}  // namespace veltra::print::testing
