#include "ecn/grid_rows_model.h"

#include <algorithm>

namespace mom::ecn {

void GridRowsModel::SetColumns(std::vector<Column> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  endResetModel();
}

namespace {
constexpr size_t kBlockBytes = 64 * 1024;
}

void GridRowsModel::Clear() {
  if (shown_ == 0) {
    spans_.clear();
    blocks_.clear();
    return;
  }
  beginResetModel();
  spans_.clear();
  spans_.shrink_to_fit();
  blocks_.clear();
  blocks_.shrink_to_fit();
  shown_ = 0;
  endResetModel();
}

void GridRowsModel::Append(std::string_view cells) {
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < cells.size()) {
    std::string block;
    block.reserve(std::max(kBlockBytes, cells.size()));
    blocks_.push_back(std::move(block));
  }
  std::string& block = blocks_.back();
  spans_.push_back(Span{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(block.size()),
                        static_cast<uint32_t>(cells.size())});
  block.append(cells);  // within the capacity reserved: the texts already there stay put
}

void GridRowsModel::Flush() {
  if (shown_ == spans_.size()) return;
  beginInsertRows(QModelIndex(), static_cast<int>(shown_), static_cast<int>(spans_.size()) - 1);
  shown_ = spans_.size();
  endInsertRows();
}

std::string_view GridRowsModel::Text(size_t row) const {
  const Span& s = spans_[row];
  return std::string_view(blocks_[s.block]).substr(s.offset, s.length);
}

QString GridRowsModel::Cell(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= shown_ || column < 0) return {};
  std::string_view text = Text(static_cast<size_t>(row));
  size_t start = 0;
  for (int c = 0; c < column; ++c) {
    start = text.find('\t', start);
    if (start == std::string_view::npos) return {};
    ++start;
  }
  size_t end = text.find('\t', start);
  if (end == std::string_view::npos) end = text.size();
  return QString::fromUtf8(text.data() + start, static_cast<qsizetype>(end - start));
}

int GridRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_);
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
