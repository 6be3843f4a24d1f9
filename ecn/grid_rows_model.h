#pragma once
// The rows of one grid of the engineering-change dialog, as the grid's model: each
// row kept as the one text the dialog adds (cells joined by tabs), split only when a
// cell is painted. The texts sit end to end in large blocks, so a grid of tens of
// thousands of lines costs its text bytes and a few bytes of index per row, not a
// string and an allocation each. Rows added are held back until Flush, so that a
// fill announces its rows to the view in a few batches instead of one by one.

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mom::ecn {

class GridRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  struct Column {
    QString header;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
  };

  explicit GridRowsModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  void SetColumns(std::vector<Column> columns);
  // Cuts the grid back to its header row (pending rows included).
  void Clear();
  // Adds a row after the pending ones; the view hears of it at the next Flush.
  void Append(std::string_view cells);
  // Shows the pending rows.
  void Flush();
  int PendingRows() const { return static_cast<int>(spans_.size() - shown_); }
  // The text of a shown cell ("" past the row's last tab).
  QString Cell(int row, int column) const;
  const Column& column(int c) const { return columns_[static_cast<size_t>(c)]; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  // Where a row's text is: blocks_[block], from offset, length bytes.
  struct Span {
    uint32_t block;
    uint32_t offset;
    uint32_t length;
  };
  std::string_view Text(size_t row) const;

  std::vector<Column> columns_;
  std::vector<std::string> blocks_;  // each filled up to its capacity, never moved
  std::vector<Span> spans_;          // the shown rows, then the pending ones
  size_t shown_ = 0;
};

}  // namespace mom::ecn
