#include "platform/ui/file_list_columns.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QTreeView>

namespace veltra::ui {
namespace {

enum Column { kName, kSize, kType, kDate };

constexpr int kDialogWidth = 760;
constexpr int kDialogHeight = 460;

QString SizeText(qint64 bytes) {
  if (bytes < 1024) return QString::number(bytes) + QStringLiteral(" 字节");
  return QLocale(QLocale::Chinese, QLocale::China).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

class ChineseFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr || index.column() == kName) {
      return QIdentityProxyModel::data(index, role);
    }
    const QFileInfo info = files->fileInfo(mapToSource(index));
    switch (index.column()) {
      case kSize: return info.isDir() ? QString() : SizeText(info.size());
      case kType:
        if (info.isDir()) return QStringLiteral("文件夹");
        break;
      case kDate: return info.lastModified().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
      default: break;
    }
    return QIdentityProxyModel::data(index, role);
  }
};

}  // namespace

void FitFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setViewMode(QFileDialog::Detail);
  dialog.setProxyModel(new ChineseFileColumns(&dialog));
  dialog.resize(kDialogWidth, kDialogHeight);
  if (auto* files = dialog.findChild<QTreeView*>("treeView")) {
    // Size, type and date as wide as what they show; the name takes the rest.
    QHeaderView* header = files->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
}

}  // namespace veltra::ui
