#pragma once

#include <QWidget>
#include <array>

class QLineEdit;

namespace runemill {

// The 256 cells of the substitution table, one one-line field per byte value,
// in 8 rows of 32. The grid only lays them out and reports the user's edits;
// what a cell's text means is the event loop's business.
class CellGrid : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumns = 32;
  static constexpr int kRows = 8;
  static constexpr int kCellSize = 20;
  static constexpr int kPitch = 30;  // cell size plus the gap to the next one

  // Creates the cells in byte order, which is also their tab order.
  explicit CellGrid(QWidget* parent);

  QLineEdit* Cell(int byte) const { return cells_[byte]; }

 signals:
  // Only the user's own edits; text written by the program is not reported.
  void CellEdited(int byte);

 private:
  std::array<QLineEdit*, kColumns * kRows> cells_{};
};

}  // namespace runemill
