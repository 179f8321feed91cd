#pragma once
// A small table: an ordered list of rows, each an ordered list of values (its columns). The game
// keeps its run-time components and the script event list in such tables.
#include <QVariant>
#include <initializer_list>
#include <memory>
#include <vector>

#include "core/Errors.h"

namespace storyloom {

template <typename Value>
class BasicMultiColumnsRow {
  public:
    BasicMultiColumnsRow() = default;
    explicit BasicMultiColumnsRow(std::vector<Value> columns) : columns_(std::move(columns)) {}
    // Column `column`, counting from 1.
    const Value& Item(int column) const { return columns_.at(Checked(column)); }
    Value& Item(int column) { return columns_.at(Checked(column)); }
    int Count() const { return static_cast<int>(columns_.size()); }

  private:
    size_t Checked(int column) const {
        if (column < 1 || column > Count()) throw RunError::InvalidCall();
        return static_cast<size_t>(column - 1);
    }
    std::vector<Value> columns_;
};

template <typename Value>
class BasicMultiColumnsList {
  public:
    using Row = BasicMultiColumnsRow<Value>;
    using RowPtr = std::shared_ptr<Row>;

    // Appends a row holding `columns` in order (none: an empty row) and returns it.
    RowPtr Add(std::vector<Value> columns = {}) {
        rows_.push_back(std::make_shared<Row>(std::move(columns)));
        return rows_.back();
    }
    RowPtr Add(std::initializer_list<Value> columns) { return Add(std::vector<Value>(columns)); }
    // The row at a 1-based position.
    const RowPtr& Item(int index) const { return rows_.at(Checked(index)); }
    int Count() const { return static_cast<int>(rows_.size()); }
    // Removes the row at a 1-based position; the later rows move up.
    void Remove(int index) {
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(Checked(index)));
    }
    void Clear() { rows_.clear(); }

    // Enumeration of the rows in order.
    auto begin() const { return rows_.begin(); }
    auto end() const { return rows_.end(); }

  private:
    size_t Checked(int index) const {
        if (index < 1 || index > Count()) throw RunError::InvalidCall();
        return static_cast<size_t>(index - 1);
    }
    std::vector<RowPtr> rows_;
};

// Rows of script-visible values. The script host may instantiate the template over its own
// value type when rows must hold object references.
using MultiColumnsList = BasicMultiColumnsList<QVariant>;
using MultiColumnsRow = BasicMultiColumnsRow<QVariant>;

}  // namespace storyloom
