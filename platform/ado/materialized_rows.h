#pragma once
// Rows a provider has read to the end, handed to the shared layer one at a time.

#include <utility>
#include <vector>

#include "platform/ado/provider.h"

namespace ado {

class MaterializedRows final : public RowSource {
 public:
  MaterializedRows(std::vector<ColumnInfo> columns, std::vector<std::vector<com::Variant>> rows)
      : columns_(std::move(columns)), rows_(std::move(rows)) {}
  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  bool Next(std::vector<com::Variant>& row) override {
    if (next_ >= rows_.size()) return false;
    row = std::move(rows_[next_++]);
    return true;
  }
  // For a provider that renames columns after reading them.
  std::vector<ColumnInfo>& mutable_columns() { return columns_; }
  const std::vector<std::vector<com::Variant>>& rows() const { return rows_; }

 private:
  std::vector<ColumnInfo> columns_;
  std::vector<std::vector<com::Variant>> rows_;
  size_t next_ = 0;
};

}  // namespace ado
