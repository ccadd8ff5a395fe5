#pragma once
// The size, type and date columns of Qt's file dialog in the users' words:
// Qt's file model writes sizes in "KiB", dates in the English form and
// folders as "Folder" whatever the locale.
#include <QFileDialog>

namespace veltra::ui {

// Puts the Chinese columns between `dialog` and its file model.
void UseChineseFileColumns(QFileDialog& dialog);

}  // namespace veltra::ui
