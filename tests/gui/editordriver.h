// Driving a section editor window by its controls' objectNames, as a user
// would: picking list entries, typing into value cells, pressing buttons and
// the row button.
#pragma once

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace kessik::guitest {

class EditorDriver {
 public:
  QPointer<QWidget> w;

  template <class T>
  T* child(const char* objectName) const {
    T* c = w->findChild<T*>(objectName);
    if (!c) qFatal("no widget %s", objectName);
    return c;
  }
  QTableWidget* table() const { return child<QTableWidget>("ValuesEd"); }
  // The row button, or nullptr while the table has none.
  QToolButton* rowButton() const { return table()->viewport()->findChild<QToolButton*>("ValuesEdEditButton"); }
  bool rowButtonShown() const { return rowButton() && !rowButton()->isHidden(); }
  // Picks entry index of MaskiBox or FilesBox.
  void pick(const char* box, int index) const {
    auto* b = child<QComboBox>(box);
    b->setCurrentIndex(index);
    emit b->activated(index);
  }
  int current(const char* box) const { return child<QComboBox>(box)->currentIndex(); }
  QStringList items(const char* box) const {
    QStringList out;
    auto* b = child<QComboBox>(box);
    for (int i = 0; i < b->count(); ++i) out << b->itemText(i);
    return out;
  }
  void click(const char* button) const { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
  void clickRowButton() const { QTest::mouseClick(rowButton(), Qt::LeftButton); }
  QString cell(int row) const { return table()->item(row, 1)->text(); }
  void setCell(int row, const QString& text) const { table()->item(row, 1)->setText(text); }
};

}  // namespace kessik::guitest
