#pragma once
// The interface message table: 61 texts indexed 0 to 60, every interface word of the player.
#include <QString>
#include <array>

namespace storyloom {

class MessageTable {
  public:
    static constexpr int kCount = 61;

    // The text at `index`; empty for an index outside 0..60.
    const QString& operator()(int index) const;
    // Throws RunError "Subscript out of range" for an index outside 0..60, as the table's
    // fixed array does.
    void Set(int index, const QString& text);
    void Clear();

  private:
    std::array<QString, kCount> texts_;
};

}  // namespace storyloom
