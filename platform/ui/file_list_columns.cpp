#include "platform/ui/file_list_columns.h"

#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace veltra::ui {
namespace {

enum Column { kName, kSize, kType, kDate };

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

void UseChineseFileColumns(QFileDialog& dialog) { dialog.setProxyModel(new ChineseFileColumns(&dialog)); }

}  // namespace veltra::ui
