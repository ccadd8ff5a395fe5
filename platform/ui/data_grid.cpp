#include "platform/ui/data_grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <utility>

#include "platform/ui/component.h"
#include "platform/ui/event_handler.h"
#include "platform/ui/field_line_edit.h"

namespace veltra::ui {

// The editor of one cell: the field's value in its mask, framed so that
// the cell being typed into stands out.
class GridCellEditor : public FieldLineEdit {
 public:
  GridCellEditor(QWidget* parent, const db::Field& field, int column) : FieldLineEdit(parent), column_(column) {
    ShowValue(&field);
    shown_ = text();
    setStyleSheet("QLineEdit { border: 2px solid palette(highlight); padding: 0px; }");
  }
  int Column() const { return column_; }
  bool Changed() const { return text() != shown_; }
  void Stored() { shown_ = text(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (ChangesText(*event)) TypeKey(event);
    else QLineEdit::keyPressEvent(event);
  }

 private:
  int column_;
  QString shown_;
};

// The grid itself writes a cell's text (DBGrid::HandOverTypedText), so that a
// refusal reaches whoever asked for the record.
class GridCellEditors : public QStyledItemDelegate {
 public:
  explicit GridCellEditors(DBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const db::Field* field = grid_.ColumnField(index.column());
    if (field == nullptr) return nullptr;
    auto* editor = new GridCellEditor(parent, *field, index.column());
    grid_.cell_editor_ = editor;
    return editor;
  }
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (editor == grid_.cell_editor_) grid_.cell_editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }
  // The editor shows the field as it was when the cell opened.
  void setEditorData(QWidget*, const QModelIndex&) const override {}
  void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      // Another window coming up (a message box) is no leaving of the cell;
      // a click into the grid leaves it only by choosing another cell.
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return false;
      if (grid_.Focused()) return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  DBGrid& grid_;
};

class GridModel : public QAbstractTableModel {
 public:
  explicit GridModel(DBGrid& grid) : grid_(grid) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : grid_.RowCount();
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : grid_.ColumnCount();
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return ToQString(grid_.CellText(index.row(), index.column()));
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section >= grid_.ColumnCount()) {
      return {};
    }
    return ToQString(grid_.Column(section).Title());
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid() || index.column() >= grid_.ColumnCount()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const db::Field* field = grid_.ColumnField(index.column());
    if (!grid_.ReadOnly() && !grid_.Column(index.column()).ReadOnly() && field != nullptr &&
        !field->Owner().ReadOnly()) {
      flags |= Qt::ItemIsEditable;
    }
    return flags;
  }
  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void RowChanged(int row) {
    if (row >= 0) emit dataChanged(index(row, 0), index(row, columnCount({}) - 1));
  }
  void TitlesChanged() { emit headerDataChanged(Qt::Horizontal, 0, columnCount({}) - 1); }

 private:
  DBGrid& grid_;
};

GridColumn::GridColumn(DBGrid& grid, std::string field_name, std::string title, int width)
    : grid_(grid), field_name_(std::move(field_name)), title_(std::move(title)), width_(width) {}

void GridColumn::SetTitle(std::string title) {
  title_ = std::move(title);
  grid_.model_->TitlesChanged();
}

int GridColumn::Width() const { return grid_.columnWidth(Index()); }

void GridColumn::SetWidth(int pixels) {
  width_ = pixels;
  chars_ = -1;
  grid_.ApplyColumnLayout();
}

int GridColumn::WidthInChars(double char_width) const {
  // Resized by hand since, the column is as wide as it shows.
  if (chars_ >= 0 && Width() == shown_) return chars_;
  return static_cast<int>(Width() / char_width);
}

void GridColumn::SetWidthInChars(int chars, double char_width) {
  width_ = static_cast<int>(chars * char_width);
  chars_ = chars;
  grid_.ApplyColumnLayout();
}

int GridColumn::Index() const {
  for (int i = 0; i < grid_.ColumnCount(); ++i) {
    if (&grid_.Column(i) == this) return i;
  }
  return -1;
}

DBGrid::DBGrid(QWidget* parent, const std::string& name)
    : QTableView(parent), model_(std::make_unique<GridModel>(*this)) {
  NameComponent(*this, name);
  setModel(model_.get());
  setItemDelegate(new GridCellEditors(*this));
  setSelectionMode(SingleSelection);
  setEditTriggers(AnyKeyPressed | EditKeyPressed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

DBGrid::~DBGrid() {
  if (source_ != nullptr) source_->RemoveObserver(this);
  setModel(nullptr);
}

void DBGrid::SetDataSource(db::DataSource* source) {
  if (source_ != nullptr) source_->RemoveObserver(this);
  source_ = source;
  if (source_ != nullptr) source_->AddObserver(this);
  Reload();
}

GridColumn& DBGrid::AddColumn(std::string field_name, std::string title, int width) {
  if (default_columns_) {
    columns_.clear();
    default_columns_ = false;
  }
  columns_.push_back(std::make_unique<GridColumn>(*this, std::move(field_name), std::move(title), width));
  Reload();
  return *columns_.back();
}

int DBGrid::SelectedColumn() const { return currentIndex().isValid() ? currentIndex().column() : 0; }

void DBGrid::SetSelectedColumn(int index) {
  const int row = std::max(CurrentRow(), 0);
  if (index < 0 || index >= ColumnCount() || RowCount() == 0) return;
  setCurrentIndex(model_->index(row, index));
}

bool DBGrid::SelectNextColumn() {
  if (SelectedColumn() + 1 < ColumnCount()) {
    SetSelectedColumn(SelectedColumn() + 1);
    return true;
  }
  if (cell_editor_ != nullptr) {
    HandOverTypedText();
    QTableView::closeEditor(cell_editor_, QAbstractItemDelegate::NoHint);
  }
  return false;
}

bool DBGrid::Focused() const {
  const QWidget* focused = QApplication::focusWidget();
  return focused != nullptr && (focused == this || isAncestorOf(focused));
}

void DBGrid::HandOverTypedText() {
  const QPointer<GridCellEditor> editor = cell_editor_;
  if (editor == nullptr || !editor->Changed()) return;
  db::Field* field = ColumnField(editor->Column());
  if (field == nullptr) return;
  db::DataSet& data_set = field->Owner();
  if (data_set.State() == db::DataSetState::Browse) data_set.Edit();
  // Starting the edit may have re-read the rows; the editor lives on until
  // the event loop deletes it.
  if (editor == nullptr) return;
  editor->StoreInto(*field);
  editor->Stored();
}

int DBGrid::TextWidth(const std::string& text) const {
  return QFontMetrics(font()).horizontalAdvance(ToQString(text));
}

db::DataSet* DBGrid::ShownDataSet() const {
  if (source_ == nullptr || source_->State() == db::DataSetState::Inactive) return nullptr;
  return source_->GetDataSet();
}

int DBGrid::RowCount() const {
  db::DataSet* data_set = ShownDataSet();
  if (data_set == nullptr) return 0;
  // The record being inserted shows as an extra row at the end; an empty
  // data set shows one empty row to start typing in.
  return std::max(1, data_set->RecordCount() + (data_set->State() == db::DataSetState::Insert ? 1 : 0));
}

int DBGrid::CurrentRow() const {
  db::DataSet* data_set = ShownDataSet();
  if (data_set == nullptr) return -1;
  if (data_set->State() == db::DataSetState::Insert) return data_set->RecordCount();
  if (data_set->IsEmpty()) return 0;
  return data_set->RecNo() - 1;
}

db::Field* DBGrid::ColumnField(int column) const {
  db::DataSet* data_set = ShownDataSet();
  if (data_set == nullptr || column < 0 || column >= ColumnCount()) return nullptr;
  return data_set->FindField(columns_[column]->FieldName());
}

std::string DBGrid::CellText(int row, int column) const {
  const db::Field* field = ColumnField(column);
  if (field == nullptr || row < 0) return {};
  if (row == CurrentRow()) return field->Value().ToDisplayText();
  return field->Owner().RecordAt(row).at(field->Index()).ToDisplayText();
}

void DBGrid::Reload() {
  db::DataSet* data_set = ShownDataSet();
  if (default_columns_ && data_set != nullptr) {
    std::vector<std::unique_ptr<GridColumn>> fields;
    for (int i = 0; i < data_set->FieldCount(); ++i) {
      const std::string& name = data_set->Fields(i).FieldName();
      fields.push_back(std::make_unique<GridColumn>(*this, name, name, -1));
    }
    const bool same = fields.size() == columns_.size() &&
                      std::equal(fields.begin(), fields.end(), columns_.begin(),
                                 [](const auto& a, const auto& b) { return a->FieldName() == b->FieldName(); });
    if (!same) columns_ = std::move(fields);
  }
  const db::DataSetState state = source_ != nullptr ? source_->State() : db::DataSetState::Inactive;
  const bool new_record = state == db::DataSetState::Insert && shown_state_ != db::DataSetState::Insert;
  shown_state_ = state;
  const int column = new_record ? 0 : SelectedColumn();
  syncing_ = true;
  // The rows are read anew: an open cell closes unread (its text is in the
  // record already, or was thrown away), and the grid keeps the focus.
  if (cell_editor_ != nullptr) QTableView::closeEditor(cell_editor_, QAbstractItemDelegate::NoHint);
  model_->Reset();
  ApplyColumnLayout();
  const int row = CurrentRow();
  if (row >= 0 && ColumnCount() > 0) setCurrentIndex(model_->index(row, std::min(column, ColumnCount() - 1)));
  syncing_ = false;
}

int DBGrid::DefaultColumnWidth(int column) const {
  const db::Field* field = ColumnField(column);
  if (field == nullptr) return horizontalHeader()->defaultSectionSize();
  // As wide as the field's text (strings their size, other fields ten
  // characters) shown whole in a cell: a grid's widths become the field
  // sizes of a table saved from it.
  const int characters = field->DataType() == FieldType::String ? field->Size() : 10;
  // Measured as the cells measure their text, which rounds fractional
  // advances its own way, and the grid line.
  QStyleOptionViewItem cell;
  initViewItemOption(&cell);
  cell.features |= QStyleOptionViewItem::HasDisplay;
  cell.text = QString(characters, QLatin1Char('0'));
  return style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), this).width() + 1;
}

void DBGrid::ApplyColumnLayout() {
  for (int i = 0; i < ColumnCount(); ++i) {
    const int width = columns_[i]->width_;
    // Never narrower than its title, whatever width the layout gives.
    setColumnWidth(i, std::max(width >= 0 ? width : DefaultColumnWidth(i), horizontalHeader()->sectionSizeHint(i)));
    columns_[i]->shown_ = columnWidth(i);
  }
}

void DBGrid::RecordChanged(db::DataSource&, const db::Field*) { model_->RowChanged(CurrentRow()); }

void DBGrid::SourceDestroyed(db::DataSource&) {
  source_ = nullptr;
  Reload();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (!syncing_ && cell_editor_ != nullptr && !RunHandler([this] { HandOverTypedText(); })) {
    // The refused text stays in its cell for correction.
    syncing_ = true;
    selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
    syncing_ = false;
    if (cell_editor_ != nullptr) cell_editor_->setFocus(Qt::OtherFocusReason);
    return;
  }
  // The base class closes the cell editor, its text now in the record.
  QTableView::currentChanged(current, previous);
  if (syncing_ || !current.isValid() || current.row() == CurrentRow()) return;
  db::DataSet* data_set = ShownDataSet();
  if (data_set == nullptr) return;
  RunHandler([&] {
    const db::DataSetState state = data_set->State();
    if (state == db::DataSetState::Edit || state == db::DataSetState::Insert) {
      if (data_set->Modified()) data_set->Post();
      else data_set->Cancel();
    }
    data_set->MoveBy(current.row() - (data_set->RecNo() - 1));
  });
  // Back on the data set's record when the move failed or stopped early.
  if (CurrentRow() != current.row()) Reload();
}

bool DBGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!index.isValid()) return false;
  const bool opens = trigger == AllEditTriggers || (editTriggers() & trigger) != 0;
  db::DataSet* data_set = ShownDataSet();
  if (opens && data_set != nullptr && (model_->flags(index) & Qt::ItemIsEditable) &&
      data_set->State() == db::DataSetState::Browse) {
    RunHandler([data_set] { data_set->Edit(); });
    const db::DataSetState state = source_ != nullptr ? source_->State() : db::DataSetState::Inactive;
    if (state != db::DataSetState::Edit && state != db::DataSetState::Insert) return false;
  }
  // Starting the edit re-reads the rows (a new record puts the grid on its
  // first column): ask for the cell again and keep it current, so that Tab
  // goes on from the cell being typed in.
  const QModelIndex cell = model_->index(index.row(), index.column());
  if (opens && cell != currentIndex()) {
    syncing_ = true;
    setCurrentIndex(cell);
    syncing_ = false;
  }
  return QTableView::edit(cell, trigger, event);
}

void DBGrid::commitData(QWidget* editor) {
  commit_refused_ = editor == cell_editor_ && !RunHandler([this] { HandOverTypedText(); });
}

void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  if (std::exchange(commit_refused_, false)) {
    editor->setFocus(Qt::OtherFocusReason);
    return;
  }
  QTableView::closeEditor(editor, hint);
}

bool DBGrid::ClickLeavesOpenCell(const QMouseEvent& event) const {
  return cell_editor_ != nullptr && indexAt(event.position().toPoint()) != currentIndex();
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
  if (ClickLeavesOpenCell(*event) && !RunHandler([this] { HandOverTypedText(); })) {
    cell_editor_->setFocus(Qt::OtherFocusReason);
    return;
  }
  QTableView::mousePressEvent(event);
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // An editor still open after the first click held a refused value: the
  // double click chooses nothing either.
  if (ClickLeavesOpenCell(*event)) {
    cell_editor_->setFocus(Qt::OtherFocusReason);
    return;
  }
  QTableView::mouseDoubleClickEvent(event);
  RunHandler(OnDblClick);
}

}  // namespace veltra::ui
