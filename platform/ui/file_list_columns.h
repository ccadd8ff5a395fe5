#pragma once
// Qt's own file dialog as the users read it: translated, and the size, type
// and date columns in their words, since Qt's file model writes sizes in
// "KiB", dates in the English form and folders as "Folder" whatever the
// locale. Every file dialog of the program, the print layer's included, is
// fitted here.
#include <QFileDialog>

namespace veltra::ui {

// Qt's dialog rather than the desktop's, in detail view with the Chinese
// columns, in a size where name, size, type and date all show.
void FitFileDialog(QFileDialog& dialog);

}  // namespace veltra::ui
