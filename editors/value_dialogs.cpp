#include "editors/value_dialogs.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "config/settings.h"
#include "ui/form_util.h"
#include "ui/interaction.h"
#include "ui/qtext.h"
#include "core/file_buf.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {

// ---- Text prompt ----

TAskFnForm::TAskFnForm(QWidget* parent) : QDialog(parent) {
  setObjectName("TAskFnForm");
  setFixedClientSize(this, 376, 103);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setWordWrap(true);
  Label1->setGeometry(8, 4, 360, 34);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setGeometry(8, 40, 360, 23);
  Edit1->installEventFilter(this);
  OkButn = addButton(this, "OkButn", "ОК", 198, 70, 81, 25);
  CancelButn = addButton(this, "CancelButn", "Отмена", 287, 70, 81, 25);
  connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
  connect(OkButn, &QPushButton::clicked, this, [this] { OkButnClick(); });
  connect(CancelButn, &QPushButton::clicked, this, [this] { CancelButnClick(); });
}

void TAskFnForm::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TAskFnForm::FormShow() {
  setWindowTitle(toQ(AskPrompt));
  Label1->setText(toQ(AskPrompt));
  Edit1->clear();
  OkButn->setEnabled(false);
  Edit1->setFocus();
}

void TAskFnForm::Edit1Change() {
  if (!Edit1->text().isEmpty()) OkButn->setEnabled(true);
}

bool TAskFnForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (!Edit1->text().isEmpty()) OkButnClick();
      return true;  // the key itself is dropped
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TAskFnForm::OkButnClick() {
  auto text = fromQOrRefuse(Edit1->text());
  if (!text) return;
  AskResult = *text;
  accept();
}

void TAskFnForm::CancelButnClick() { reject(); }

// ---- Raw value dialog ----

namespace {
const char* const kAnyFile = "Любой файл (*.*)|*.*";
}

TUncAskF::TUncAskF(QWidget* parent) : QDialog(parent) {
  setObjectName("TUncAskF");
  setWindowTitle(qru("Что делать со значением?"));
  setFixedClientSize(this, 236, 88);
  InfoLab = new QLabel(this);
  InfoLab->setObjectName("InfoLab");
  InfoLab->setGeometry(8, 4, 220, 18);
  SaveRB = new QRadioButton(qru("Сохранить в файл"), this);
  SaveRB->setObjectName("SaveRB");
  SaveRB->setGeometry(8, 23, 220, 19);
  LoadRB = new QRadioButton(qru("Загрузить из файла"), this);
  LoadRB->setObjectName("LoadRB");
  LoadRB->setGeometry(8, 42, 220, 19);
  SaveRB->setChecked(true);
  OkBut = addButton(this, "OkBut", "ОК", 66, 62, 79, 23);
  CancelBut = addButton(this, "CancelBut", "Отмена", 151, 62, 79, 23);
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
}

void TUncAskF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TUncAskF::FormShow() {
  InfoLab->setText(qru("Длина значения ") + QString::number(UncLength) + qru(" байтов"));
}

void TUncAskF::OkButClick() {
  if (SaveRB->isChecked()) saveToFile();
  else loadFromFile();
}

void TUncAskF::CancelButClick() { reject(); }

void TUncAskF::rememberFolder(const std::string& file) {
  settings().DefalDir = folderPart(file);
  changeSetting("DefalDir");
}

void TUncAskF::saveToFile() {
  UncSaved = true;
  const auto file = interaction().saveFile({"", settings().DefalDir, ru(kAnyFile), ""});
  if (!file) return;  // the dialog stays open
  TFileInString buf;
  buf.Assign(UncValue.substr(0, static_cast<std::size_t>(std::max<std::int64_t>(UncLength, 0))));
  const bool written = buf.SaveToFile(*file);
  rememberFolder(*file);
  // A failed write has shown its message; the dialog stays open so that
  // another file can be chosen.
  if (written) accept();
}

void TUncAskF::loadFromFile() {
  UncSaved = false;
  const auto file = interaction().openFile({"", settings().DefalDir, ru(kAnyFile), ""});
  if (!file) return;
  rememberFolder(*file);
  const std::uint64_t length = fileSize64(*file);
  if (static_cast<std::int64_t>(length) != UncLength &&
      messageDialog(Icon::Warning, rawLengthWarning(length, UncLength), ButtonYes | ButtonNo) != Answer::Yes)
    return;
  TFileInString buf;
  // A file that cannot be read (its message is shown) must not empty the field.
  if (!buf.LoadFromFile(*file) || buf.data().size() != length) return;
  UncValue = buf.data();
  UncLength = static_cast<std::int64_t>(UncValue.size());
  accept();
}

std::string rawLengthWarning(std::uint64_t fileLength, std::int64_t fieldLength) {
  return ru("ВНИМАНИЕ! Выбранный вами файл имеет длину ") + std::to_string(fileLength) + ru(" байт,") + "\r" +
         ru(" а длина выбранного поля записи ") + std::to_string(fieldLength) +
         ru(" байт. Всеравно хотите загрузить?");
}

// ---- Value chooser ----

TValueSelectorF::TValueSelectorF(QWidget* parent) : QDialog(parent) {
  setObjectName("TValueSelectorF");
  setWindowTitle(qru("Выберите нужное значение."));
  setFixedClientSize(this, 356, 85);
  Selector = new QComboBox(this);
  Selector->setObjectName("Selector");
  Selector->setEditable(true);
  Selector->setInsertPolicy(QComboBox::NoInsert);
  Selector->setGeometry(8, 12, 340, 24);
  OkBut = addButton(this, "OkBut", "ОК", 186, 52, 77, 25);
  CancelBut = addButton(this, "CancelBut", "Отмена", 271, 52, 77, 25);
  OkBut->setDefault(true);
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
}

void TValueSelectorF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TValueSelectorF::FormShow() {
  Selector->clear();
  if (SelList.empty()) return;
  while (!SelList.empty()) Selector->addItem(toQ(parseToken(SelList, "\r")));
  if (SelIndex >= 0 && SelIndex < Selector->count()) Selector->setCurrentIndex(SelIndex);
}

void TValueSelectorF::OkButClick() {
  auto text = fromQOrRefuse(Selector->currentText());
  if (!text) return;
  SelResult = *text;
  accept();
}

void TValueSelectorF::CancelButClick() { reject(); }

// ---- As the editors call them ----

std::optional<std::string> askTextDialog(const std::string& prompt) {
  TAskFnForm* f = TAskFnForm::instance();
  if (!f) return std::nullopt;
  f->AskPrompt = prompt;
  if (f->exec() != QDialog::Accepted) return std::nullopt;
  return f->AskResult;
}

std::optional<std::string> rawValueDialog(const std::string& bytes) {
  TUncAskF* f = TUncAskF::instance();
  if (!f) return std::nullopt;
  f->UncValue = bytes;
  f->UncLength = static_cast<std::int64_t>(bytes.size());
  if (f->exec() != QDialog::Accepted || f->UncSaved) return std::nullopt;
  return f->UncValue;
}

std::string ChooseValue(const std::string& list, int index) {
  TValueSelectorF* f = TValueSelectorF::instance();
  if (!f) return "\r";
  f->SelList = list;
  f->SelIndex = index;
  if (f->exec() != QDialog::Accepted) return "\r";
  return f->SelResult;
}

}  // namespace kessik
