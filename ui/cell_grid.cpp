#include "cell_grid.h"

#include <QLineEdit>
#include <limits>

#include "field_text.h"

namespace runemill {

CellGrid::CellGrid(QWidget* parent) : QWidget(parent) {
  resize((kColumns - 1) * kPitch + kCellSize, (kRows - 1) * kPitch + kCellSize);
  for (int byte = 0; byte < kColumns * kRows; ++byte) {
    auto* cell = new QLineEdit(this);
    cell->setGeometry(byte % kColumns * kPitch, byte / kColumns * kPitch, kCellSize, kCellSize);
    // A table entry may be as long as the user likes.
    cell->setMaxLength(std::numeric_limits<int>::max());
    cell->setToolTip(CellToolTip(byte));
    // Dropped text would land in the cell; only files are taken, by the window.
    cell->setAcceptDrops(false);
    connect(cell, &QLineEdit::textEdited, this, [this, byte] { emit CellEdited(byte); });
    cells_[byte] = cell;
  }
}

}  // namespace runemill
