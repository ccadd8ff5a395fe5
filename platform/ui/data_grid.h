#pragma once
// Data-aware grid: one row per record of the data source, columns bound
// to fields (all fields when none are declared). Choosing another row
// moves the data set, which posts a pending edit; editing a cell puts the
// data set into edit state. The text typed into a cell goes to its field,
// through the field's edit mask, as an edit's does: when the cell is left
// and whenever the record posts or moves; a value the field cannot take
// is refused once and stays in the cell for correction.
#include <QPointer>
#include <QTableView>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/data_source.h"
#include "platform/ui/typed_text.h"

namespace veltra::ui {

class DBGrid;
class GridModel;
class GridCellEditor;
class GridCellEditors;

class GridColumn {
 public:
  GridColumn(DBGrid& grid, std::string field_name, std::string title, int width);
  const std::string& FieldName() const { return field_name_; }
  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);
  // In pixels; -1 is the grid's default width.
  int Width() const;
  void SetWidth(int pixels);
  // In characters of `char_width` pixels: as set in characters while the
  // column shows that setting, else its pixels over `char_width`, truncated.
  int WidthInChars(double char_width) const;
  // The pixels follow from the characters, truncated; the column never
  // shows narrower than its title.
  void SetWidthInChars(int chars, double char_width);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  int Index() const;

 private:
  friend class DBGrid;
  DBGrid& grid_;
  std::string field_name_;
  std::string title_;
  int width_;
  int chars_ = -1;  // the width as set in characters; -1 when set in pixels
  int shown_ = -1;  // the pixels the layout last gave the column
  bool read_only_ = false;
};

class DBGrid : public QTableView, private db::DataSourceObserver, public TypedTextHolder {
  Q_OBJECT
 public:
  DBGrid(QWidget* parent, const std::string& name);
  ~DBGrid() override;

  // Detaching (nullptr) and attaching again keeps the columns.
  void SetDataSource(db::DataSource* source);
  db::DataSource* DataSource() const { return source_; }

  GridColumn& AddColumn(std::string field_name, std::string title, int width = -1);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  GridColumn& Column(int index) { return *columns_.at(index); }

  void SetReadOnly(bool read_only) { read_only_ = read_only; }
  bool ReadOnly() const { return read_only_; }
  // The column of the current cell.
  int SelectedColumn() const;
  void SetSelectedColumn(int index);
  // Enter in a cell: the next column; in the last one the typed text goes
  // to the record and the cell editor closes (throws when refused), and
  // the result is false.
  bool SelectNextColumn();
  // The grid or its cell editor has the focus.
  bool Focused() const;
  // Writes the open cell editor's text to its field; throws when refused.
  void HandOverTypedText() override;
  // Width in pixels of `text` in the grid's font.
  int TextWidth(const std::string& text) const;
  // What the cell shows (the edit buffer for the record being edited).
  std::string CellText(int row, int column) const;
  int RowCount() const;

  std::function<void()> OnDblClick;

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // A click on another cell leaves a refused one where it is.
  void mousePressEvent(QMouseEvent* event) override;
  // Opening a cell editor starts editing the record first, so that the
  // data source's state-change handler can refuse it.
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  // A refused cell keeps its editor open.
  void commitData(QWidget* editor) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class GridColumn;
  friend class GridModel;
  friend class GridCellEditors;
  void ActiveChanged(db::DataSource&) override { Reload(); }
  void DataSetChanged(db::DataSource&) override { Reload(); }
  void RecordChanged(db::DataSource&, const db::Field*) override;
  void StateChanged(db::DataSource&) override { Reload(); }
  void UpdateRecord(db::DataSource&) override { HandOverTypedText(); }
  void SourceDestroyed(db::DataSource&) override;

  // A click on another cell while a cell editor is open.
  bool ClickLeavesOpenCell(const QMouseEvent& event) const;
  db::DataSet* ShownDataSet() const;
  // The default columns follow the data set's fields.
  void Reload();
  void ApplyColumnLayout();
  // Pixels of a column whose width was never set.
  int DefaultColumnWidth(int column) const;
  int CurrentRow() const;
  db::Field* ColumnField(int column) const;

  db::DataSource* source_ = nullptr;
  std::unique_ptr<GridModel> model_;
  std::vector<std::unique_ptr<GridColumn>> columns_;
  bool default_columns_ = true;
  bool read_only_ = false;
  bool syncing_ = false;
  QPointer<GridCellEditor> cell_editor_;
  bool commit_refused_ = false;
  // A new record starts in the first column.
  db::DataSetState shown_state_ = db::DataSetState::Inactive;
};

}  // namespace veltra::ui
