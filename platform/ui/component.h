#pragma once
// Controls carry their component name ("Button1", "DBEdit1") as their Qt
// object name; tests find them by it.
#include <QString>
#include <QWidget>
#include <string>

namespace veltra::ui {

inline void NameComponent(QWidget& widget, const std::string& name) {
  widget.setObjectName(QString::fromStdString(name));
}

inline QString ToQString(const std::string& s) { return QString::fromStdString(s); }

}  // namespace veltra::ui
