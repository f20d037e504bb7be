// The field/value table of the editors: the columns "Имя поля" and "Значение",
// one row per field, the name read-only and the value edited in place by a
// plain line editor (objectName "ValuesEdEditor") that refuses, as it is typed
// or pasted, any character cp1251 cannot hold and tells the user why. A text
// longer than its cell is cut short with "…" and shows whole as a tool tip. Tab and
// Shift+Tab move from value cell to value cell and leave the table past the
// last (before the first) one.
#pragma once

#include <QRect>
#include <QStyledItemDelegate>

#include <string>
#include <vector>

class QTableWidget;
class QWidget;

namespace kessik {

// The table "ValuesEd" with a row per field name (cp1251), rows of rowHeight
// pixels and the two column widths, at the given place in parent.
QTableWidget* newValueTable(QWidget* parent, const std::vector<std::string>& names, const QRect& geometry,
                            int column1, int column2, int rowHeight);

QStyledItemDelegate* newCp1251CellDelegate(QObject* parent);

// The value cell of a row carries a row button over the right `covered`
// pixels of its cell (row -1: no cell does): the cell's text ends before it.
void setRowButtonCell(QTableWidget* table, int row, int covered);

}  // namespace kessik
