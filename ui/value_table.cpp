#include "ui/value_table.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QHeaderView>
#include <QPainter>
#include <QToolTip>
#include <QLineEdit>
#include <QTableWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QValidator>

#include "ui/qtext.h"

namespace kessik {

namespace {

// Refuses any character that cp1251 cannot hold; the user is told why once
// the key has been handled.
class CellValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    if (fromQ(input)) return Acceptable;
    const QString refused = input;
    QTimer::singleShot(0, [refused] { fromQOrRefuse(refused); });
    return Invalid;
  }
};

const char* const kButtonRow = "kessikRowButtonRow";
const char* const kButtonCovers = "kessikRowButtonCovers";

// The part of a cell its text is drawn in: without the right end that the
// row button covers.
QRect textRect(const QStyleOptionViewItem& option, const QModelIndex& index) {
  QRect r = option.rect;
  const QWidget* view = option.widget;
  if (!view || index.column() != 1) return r;
  bool ok = false;
  const int row = view->property(kButtonRow).toInt(&ok);
  if (ok && row == index.row()) r.setRight(r.right() - view->property(kButtonCovers).toInt());
  return r;
}

// A text longer than its cell is cut short with "…" and shows whole as a
// tool tip.
bool showWholeText(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) {
  if (!event || event->type() != QEvent::ToolTip) return false;
  if (index.data(Qt::ToolTipRole).isValid()) return false;
  const QString text = index.data(Qt::DisplayRole).toString();
  const int room = textRect(option, index).width() - 8;
  if (text.isEmpty() || QFontMetrics(option.font).horizontalAdvance(text) <= room) {
    QToolTip::hideText();
    return true;
  }
  QToolTip::showText(event->globalPos(), text, view->viewport());
  return true;
}

class NameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    return showWholeText(event, view, option, index) ||
           QStyledItemDelegate::helpEvent(event, view, option, index);
  }
};

class ValueDelegate : public NameDelegate {
 public:
  using NameDelegate::NameDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    const QRect text = textRect(option, index);
    if (text == option.rect) return QStyledItemDelegate::paint(painter, option, index);
    // The covered end keeps the cell's background; the text ends before it.
    QStyledItemDelegate::paint(painter, option, QModelIndex());
    o.rect = text;
    QStyledItemDelegate::paint(painter, o, index);
  }
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName("ValuesEdEditor");
    editor->setFrame(false);
    editor->setValidator(new CellValidator(editor));
    return editor;
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    const QString text = static_cast<QLineEdit*>(editor)->text();
    if (!fromQOrRefuse(text)) return;  // nothing is written
    model->setData(index, text, Qt::EditRole);
  }
};

// Tab and Shift+Tab go from value cell to value cell, also out of a cell
// being edited; past the last value cell (or before the first) they leave
// the table. The read-only name cells are never stopped on.
class ValueTable : public QTableWidget {
 public:
  using QTableWidget::QTableWidget;

 protected:
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    if (action != MoveNext && action != MovePrevious) return QTableWidget::moveCursor(action, modifiers);
    const QModelIndex current = currentIndex();
    int row;
    if (action == MoveNext)
      row = !current.isValid() ? 0 : current.column() == 0 ? current.row() : current.row() + 1;
    else
      row = !current.isValid() ? rowCount() - 1 : current.row() - 1;
    if (row < 0 || row >= rowCount()) return QModelIndex();
    return model()->index(row, 1);
  }

  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    const bool next = hint == QAbstractItemDelegate::EditNextItem;
    if ((next || hint == QAbstractItemDelegate::EditPreviousItem) &&
        !moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier).isValid()) {
      QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
      QWidget::focusNextPrevChild(next);
      return;
    }
    QTableWidget::closeEditor(editor, hint);
  }
};

}  // namespace

QStyledItemDelegate* newCp1251CellDelegate(QObject* parent) { return new ValueDelegate(parent); }

void setRowButtonCell(QTableWidget* table, int row, int covered) {
  const bool changed =
      table->property(kButtonRow).toInt() != row || table->property(kButtonCovers).toInt() != covered;
  table->setProperty(kButtonRow, row);
  table->setProperty(kButtonCovers, covered);
  if (changed) table->viewport()->update();
}

QTableWidget* newValueTable(QWidget* parent, const std::vector<std::string>& names, const QRect& geometry,
                            int column1, int column2, int rowHeight) {
  auto* t = new ValueTable(static_cast<int>(names.size()), 2, parent);
  t->setObjectName("ValuesEd");
  t->setGeometry(geometry);
  t->setHorizontalHeaderLabels({qru("Имя поля"), qru("Значение")});
  t->verticalHeader()->hide();
  t->verticalHeader()->setMinimumSectionSize(rowHeight);
  t->verticalHeader()->setDefaultSectionSize(rowHeight);
  t->horizontalHeader()->setFixedHeight(rowHeight + 2);
  t->horizontalHeader()->setSectionsClickable(false);
  t->horizontalHeader()->setStretchLastSection(false);
  t->setColumnWidth(0, column1);
  t->setColumnWidth(1, column2);
  t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setSelectionBehavior(QAbstractItemView::SelectItems);
  t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                     QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
  t->setItemDelegateForColumn(0, new NameDelegate(t));
  t->setItemDelegateForColumn(1, newCp1251CellDelegate(t));
  t->setTextElideMode(Qt::ElideRight);
  setRowButtonCell(t, -1, 0);
  for (int r = 0; r < t->rowCount(); ++r) {
    auto* name = new QTableWidgetItem(toQ(names[r]));
    name->setFlags(Qt::ItemIsEnabled);
    t->setItem(r, 0, name);
    t->setItem(r, 1, new QTableWidgetItem());
  }
  return t;
}

}  // namespace kessik
