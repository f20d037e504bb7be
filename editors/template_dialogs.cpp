#include "editors/template_dialogs.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

constexpr std::string_view kExt = ".zap";

void fillList(QListWidget* list, const std::string& folder) {
  list->clear();
  for (const auto& name : listTemplates(folder)) list->addItem(toQ(name));
}

}  // namespace

std::vector<std::string> listTemplates(const std::string& shabFolder) {
  std::vector<std::string> names;
  for (const auto& e : listFolder(shabFolder).entries) {
    // Every entry that matches, folders too: choosing one that is no record
    // gives the read error when the record is made from it.
    if (!wildcardMatch(e.name, "*.zap")) continue;
    names.push_back(e.name.substr(0, e.name.size() - kExt.size()));
  }
  return names;
}

std::string templateFile(const std::string& shabFolder, const std::string& name) {
  std::string path = shabFolder + name + std::string(kExt);
  if (fileExists(path)) return path;
  for (const auto& e : listFolder(shabFolder).entries)
    if (e.name.size() == name.size() + kExt.size() && e.name.starts_with(name) &&
        wildcardMatch(e.name, "*.zap"))
      return shabFolder + e.name;
  return path;
}

bool isValidTemplateName(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || isWindowsDeviceName(name)) return false;
  for (unsigned char c : name)
    if (c < 32 || std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos) return false;
  return true;
}

// ---- Save as template ----

TShablonimF::TShablonimF(QWidget* parent) : QDialog(parent) {
  setObjectName("TShablonimF");
  setWindowTitle(qru("Куда сохранять шаблон?"));
  setFixedClientSize(this, 383, 226);
  Label1 = new QLabel(qru("Выберите старый шаблон (перезаписать его) или введите новое имя."), this);
  Label1->setObjectName("Label1");
  Label1->setWordWrap(true);
  Label1->setGeometry(8, 6, 367, 34);
  ShabNamEd = new QLineEdit(this);
  ShabNamEd->setObjectName("ShabNamEd");
  ShabNamEd->setGeometry(8, 44, 274, 23);
  ShabList = new QListWidget(this);
  ShabList->setObjectName("ShabList");
  ShabList->setGeometry(8, 72, 274, 146);
  OkBut = addButton(this, "OkBut", "ОК", 294, 43);
  CancelBut = addButton(this, "CancelBut", "Отмена", 294, 75);
  DelBut = addButton(this, "DelBut", "Удалить", 294, 193);
  OkBut->setDefault(true);
  connect(ShabNamEd, &QLineEdit::textChanged, this, [this] { ShabNamEdChange(); });
  connect(ShabList, &QListWidget::itemClicked, this, [this] { ShabListClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  connect(DelBut, &QPushButton::clicked, this, [this] { DelButClick(); });
}

void TShablonimF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TShablonimF::FormShow() {
  ShabNamEd->clear();
  fillList(ShabList, ShabFolder);
  OkBut->setEnabled(false);
  DelBut->setEnabled(false);
  ShabNamEd->setFocus();
}

void TShablonimF::ShabNamEdChange() {
  const QString text = ShabNamEd->text();
  if (text.isEmpty()) {
    OkBut->setEnabled(false);
    DelBut->setEnabled(false);
    return;
  }
  OkBut->setEnabled(true);
  const auto found = ShabList->findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (!found.isEmpty()) {
    ShabList->setCurrentItem(found.front());
    DelBut->setEnabled(true);
  } else {
    ShabList->setCurrentItem(nullptr);
    ShabList->clearSelection();
    DelBut->setEnabled(false);
  }
}

void TShablonimF::ShabListClick() {
  if (QListWidgetItem* item = ShabList->currentItem()) ShabNamEd->setText(item->text());
}

std::optional<std::string> TShablonimF::typedName() {
  auto name = fromQOrRefuse(ShabNamEd->text());
  if (!name) return std::nullopt;
  if (!isValidTemplateName(*name)) {
    messageDialog(Icon::Error,
                  ru("Такое имя шаблона нельзя использовать: имя не может быть \".\" или \"..\", именем "
                     "устройства (CON, NUL, COM1 и т.п.) и не может содержать символы \\ / : * ? \" < > |. "
                     "Введите другое имя."));
    return std::nullopt;
  }
  return name;
}

void TShablonimF::OkButClick() {
  const auto name = typedName();
  if (!name) return;
  const std::string path = templateFile(ShabFolder, *name);
  if (fileExists(path) &&
      messageDialog(Icon::Warning, ru("Шаблон с таким именем уже существует. Вы хотите его перезаписать?"),
                    ButtonYes | ButtonCancel) != Answer::Yes)
    return;
  ShabFile = path;
  accept();
}

void TShablonimF::CancelButClick() { reject(); }

void TShablonimF::DelButClick() {
  if (messageDialog(Icon::Warning, ru("Точно удалить?"), ButtonYes | ButtonNo) != Answer::Yes) return;
  const auto name = typedName();
  if (!name) return;
  const std::string path = templateFile(ShabFolder, *name);
  if (!fileExists(path)) return;
  if (!deleteFile(path)) {
    // The name stays typed, so that the user sees which one is left.
    messageDialog(Icon::Error, ru("Не удалось удалить шаблон ") + path + ".");
    return;
  }
  FormShow();
}

// ---- Template chooser ----

TCheckShablF::TCheckShablF(QWidget* parent, TShablonimF* folderOwner) : QDialog(parent), owner_(folderOwner) {
  setObjectName("TCheckShablF");
  setWindowTitle(qru("Выберите шаблон:"));
  setFixedClientSize(this, 306, 269);
  ShabList = new QListWidget(this);
  ShabList->setObjectName("ShabList");
  ShabList->setGeometry(8, 8, 201, 253);
  OkBut = addButton(this, "OkBut", "ОК", 217, 8);
  CancelBut = addButton(this, "CancelBut", "Отмена", 217, 40);
  OkBut->setDefault(true);
  connect(ShabList, &QListWidget::itemClicked, this, [this] { ShabListClick(); });
  // Only a picked item counts: the list makes its first item current (not
  // selected) when it gets the focus, and that must not enable "ОК".
  connect(ShabList, &QListWidget::itemSelectionChanged, this, [this] { ShabListClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  // A double click on an entry, or Return on it, takes it as "ОК" does.
  connect(ShabList, &QListWidget::itemDoubleClicked, this, [this] { OkButClick(); });
  ShabList->installEventFilter(this);
}

bool TCheckShablF::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ShabList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (QListWidgetItem* item = ShabList->currentItem(); item && !item->isSelected()) item->setSelected(true);
      OkButClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

TShablonimF* TCheckShablF::owner() const { return owner_ ? owner_ : TShablonimF::instance(); }

void TCheckShablF::showEvent(QShowEvent* event) {
  centreOnScreen(this);
  FormShow();
  QDialog::showEvent(event);
}

void TCheckShablF::FormShow() {
  {
    const QSignalBlocker block(ShabList);
    fillList(ShabList, owner() ? owner()->ShabFolder : std::string());
    ShabList->setCurrentItem(nullptr);
    ShabList->clearSelection();
  }
  OkBut->setEnabled(false);
}

void TCheckShablF::ShabListClick() { OkBut->setEnabled(!ShabList->selectedItems().isEmpty()); }

void TCheckShablF::OkButClick() {
  const QList<QListWidgetItem*> picked = ShabList->selectedItems();
  QListWidgetItem* item = picked.isEmpty() ? nullptr : picked.front();
  if (!item || !owner()) return;
  // Listed names come from the folder, so they always convert back.
  owner()->ShabFile = templateFile(owner()->ShabFolder, fromQ(item->text()).value_or(""));
  accept();
}

void TCheckShablF::CancelButClick() { reject(); }

// ---- As the editors call them ----

std::optional<std::string> saveAsTemplateDialog(const std::string& shabFolder) {
  TShablonimF* f = TShablonimF::instance();
  if (!f) return std::nullopt;
  f->ShabFolder = shabFolder;
  if (f->exec() != QDialog::Accepted) return std::nullopt;
  return f->ShabFile;
}

std::optional<std::string> chooseTemplateDialog(const std::string& shabFolder) {
  TShablonimF* f = TShablonimF::instance();
  TCheckShablF* c = TCheckShablF::instance();
  if (!f || !c) return std::nullopt;
  f->ShabFolder = shabFolder;
  if (c->exec() != QDialog::Accepted) return std::nullopt;
  return f->ShabFile;
}

}  // namespace kessik
