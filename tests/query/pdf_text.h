#pragma once
// The text of a PDF file as pdftotext reads it, to check what was printed.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace veltra::query::testing {

// "" when pdftotext fails; `scratch` receives the text file.
inline std::string PdfText(const std::filesystem::path& pdf, const std::filesystem::path& scratch) {
  const std::string command = "pdftotext -layout '" + pdf.string() + "' '" + scratch.string() + "'";
  if (std::system(command.c_str()) != 0) return "";
  std::ifstream in(scratch);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace veltra::query::testing
