#include "ecn/grid_rows_model.h"

namespace mom::ecn {

void GridRowsModel::SetColumns(std::vector<Column> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
}

void GridRowsModel::Clear() {
  pending_.clear();
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  endResetModel();
}

void GridRowsModel::Flush() {
  if (pending_.empty()) return;
  int first = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(pending_.size()) - 1);
  if (rows_.empty()) {
    rows_.swap(pending_);
  } else {
    rows_.insert(rows_.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
    pending_.clear();
  }
  endInsertRows();
}

QString GridRowsModel::Cell(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0) return {};
  const std::string& text = rows_[static_cast<size_t>(row)];
  size_t start = 0;
  for (int c = 0; c < column; ++c) {
    start = text.find('\t', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  size_t end = text.find('\t', start);
  if (end == std::string::npos) end = text.size();
  return QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start));
}

int GridRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GridRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) return Cell(index.row(), index.column());
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(int(column(index.column()).alignment));
  return {};
}

QVariant GridRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns_.size())) return {};
  if (role == Qt::DisplayRole) return column(section).header;
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(int(column(section).alignment));
  return {};
}

}  // namespace mom::ecn
