#include "editors/sound_editor.h"

#include <QAbstractItemDelegate>
#include <QComboBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>
#include <utility>

#include "config/settings.h"
#include "core/codecs.h"
#include "core/file_buf.h"
#include "editors/dialog_hooks.h"
#include "ui/value_table.h"
#include "ui/qtext.h"
#include "ui/look.h"
#include "util/cp1251.h"
#include "util/notify.h"

namespace kessik {

namespace {

enum CellRow { kFileRow, kUnknown1Row, kTextRow, kCodeRow };

// The text of an element in FilesBox: its number, three blanks, its Text.
QString filesItem(int n, const std::string& text) { return QString::number(n) + "   " + toQ(text); }

void errorBox(const std::string& text, const std::string& caption = "") {
  messageBoxEx(text, caption, Icon::Error);
}

bool warningYes(const std::string& text) {
  return messageBoxEx(text, ru("ВНИМАНИЕ!!!"), Icon::Warning, ButtonYes | ButtonNo) == Answer::Yes;
}

}  // namespace

std::string tooManySoundsMessage(std::uint32_t items) {
  return ru("В поле ") + std::to_string(items) + ru(" элементов (звуков), а редактор списка вмещает не больше ") +
         std::to_string(kSoundTableSize) + ru(". Список не открыт, поле осталось как было.");
}

std::string damagedSoundListMessage(std::size_t read, std::uint32_t items) {
  return ru("Список звуков в поле повреждён: его байты не складываются в элементы целиком. Прочитано элементов: ") +
         std::to_string(read) + ru(" из ") + std::to_string(items) +
         ru(". Показаны прочитанные. «Отмена» оставит поле как было, «ОК» заменит его показанным списком.");
}

TASoundEditorF::TASoundEditorF(QWidget* parent) : QDialog(parent) {
  setObjectName("TASoundEditorF");
  setWindowTitle(qru("Список звуков..."));
  setFixedClientSize(this, 612, 182);
  QFont small = font();
  small.setPointSize(kFontPointSize);
  setFont(small);

  Label1 = new QLabel(qru("Код:"), this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, 4, 270, 16);
  MaskiBox = new QComboBox(this);
  MaskiBox->setObjectName("MaskiBox");
  MaskiBox->setEditable(true);
  MaskiBox->setInsertPolicy(QComboBox::NoInsert);
  MaskiBox->setGeometry(8, 20, 270, 22);
  Label2 = new QLabel(qru("Номер и текст элемента:"), this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(299, 4, 270, 16);
  Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  FilesBox = new QComboBox(this);
  FilesBox->setObjectName("FilesBox");
  FilesBox->setEditable(true);
  FilesBox->setInsertPolicy(QComboBox::NoInsert);
  FilesBox->setGeometry(299, 20, 270, 22);
  connect(MaskiBox, qOverload<int>(&QComboBox::activated), this, [this](int) { MaskiBoxClick(); });
  connect(FilesBox, qOverload<int>(&QComboBox::activated), this, [this](int) { FilesBoxClick(); });

  ValuesEd = newValueTable(this, {"File", "Unknown1", "Text", "Code"}, QRect(8, 48, 561, 94), 194, 361, 18);
  ValuesEd->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  UpBut = addButton(this, "UpBut", "", 577, 48, 27, 27);
  UpBut->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
  UpBut->setToolTip(qru("Поменять с предыдущим элементом"));
  DownBut = addButton(this, "DownBut", "", 577, 81, 27, 27);
  DownBut->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
  DownBut->setToolTip(qru("Поменять со следующим элементом"));
  ToNumerBut = addButton(this, "ToNumerBut", "...", 577, 115, 27, 27);
  ToNumerBut->setToolTip(qru("Поменять с элементом по номеру"));

  int x = 8;
  auto next = [&](const char* name, const char* text) {
    QPushButton* b = addButton(this, name, text, x, 150, 96, 25);
    x += 100;
    return b;
  };
  ZashablonitBut = next("ZashablonitBut", "Зашаблонить");
  SaveBut = next("SaveBut", "Запомнить");
  CreateBut = next("CreateBut", "Создать");
  DeleteBut = next("DeleteBut", "Удалить");
  OkBut = next("OkBut", "ОК");
  CacelBut = next("CacelBut", "Отмена");
  ZashablonitBut->setEnabled(false);

  connect(UpBut, &QPushButton::clicked, this, [this] { UpButClick(); });
  connect(DownBut, &QPushButton::clicked, this, [this] { DownButClick(); });
  connect(ToNumerBut, &QPushButton::clicked, this, [this] { ToNumerButClick(); });
  connect(ZashablonitBut, &QPushButton::clicked, this, [this] { ZashablonitButClick(); });
  connect(SaveBut, &QPushButton::clicked, this, [this] { SaveButClick(); });
  connect(CreateBut, &QPushButton::clicked, this, [this] { CreateButClick(); });
  connect(DeleteBut, &QPushButton::clicked, this, [this] { DeleteButClick(); });
  connect(OkBut, &QPushButton::clicked, this, [this] { OkButClick(); });
  connect(CacelBut, &QPushButton::clicked, this, [this] { CacelButClick(); });
}

void TASoundEditorF::showEvent(QShowEvent* event) {
  // Restoring the minimized dialog shows it again too (a spontaneous show):
  // only a real showing starts afresh from SoundListIn.
  if (!event->spontaneous()) {
    centreOnScreen(this);
    FormShow();
  }
  QDialog::showEvent(event);
}

void TASoundEditorF::done(int result) {
  SoundListOut = SoundAccepted ? EncodeSoundList() : ByteString("NIL");
  QDialog::done(result);
}

// ---- The table and the lists ----

std::string TASoundEditorF::cellText(int row) const {
  return fromQ(ValuesEd->item(row, 1)->text()).value_or(std::string());
}

void TASoundEditorF::setCellTexts(const ASoundRec& e) {
  const std::string texts[] = {e.File, std::to_string(e.Unknown1), e.Text, e.Code};
  for (int r = 0; r < 4; ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(toQ(texts[r]));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
  }
}

// Nothing is shown: the value cells are empty and cannot be edited.
void TASoundEditorF::clearCells() {
  commitCellEdit();
  for (int r = 0; r < 4; ++r) {
    QTableWidgetItem* item = ValuesEd->item(r, 1);
    item->setText(QString());
    item->setFlags(Qt::ItemIsEnabled);
  }
}

// A cell still being edited counts with its typed text.
void TASoundEditorF::commitCellEdit() {
  QAbstractItemDelegate* delegate = ValuesEd->itemDelegateForColumn(1);
  for (auto* editor : ValuesEd->viewport()->findChildren<QLineEdit*>("ValuesEdEditor")) {
    if (!editor->isVisible()) continue;
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor);
  }
}

SoundListState TASoundEditorF::DecodeSoundList(const ByteString& bytes) {
  SoundListRead read = readSoundList(bytes);
  SoundTable = std::move(read.elements);
  SoundCount = static_cast<int>(SoundTable.size());
  fillLists();
  return read.state;
}

void TASoundEditorF::fillLists() {
  MaskiBox->clear();
  FilesBox->clear();
  for (int k = 1; k <= SoundCount; ++k) {
    MaskiBox->addItem(toQ(SoundTable[k - 1].Code));
    FilesBox->addItem(filesItem(k, SoundTable[k - 1].Text));
  }
  MaskiBox->setCurrentIndex(-1);
  FilesBox->setCurrentIndex(-1);
}

ByteString TASoundEditorF::EncodeSoundList() const { return encodeSoundList(SoundTable); }

void TASoundEditorF::rebuildLists() {
  commitCellEdit();
  SoundShown = false;
  clearCells();
  fillLists();
}

void TASoundEditorF::showElement(int n) {
  if (n < 1 || n > SoundCount) return;
  MaskiBox->setCurrentIndex(n - 1);
  MaskiBoxClick();
}

// ---- Opening ----

void TASoundEditorF::FormShow() {
  SoundAccepted = false;
  SoundShown = false;
  SoundCurrent = 0;
  clearCells();
  const SoundListState state = DecodeSoundList(SoundListIn);
  SoundListDamaged = state != SoundListState::Whole;
  if (SoundCount > 0) showElement(1);
  UpdateSoundButtons();
}

void TASoundEditorF::MaskiBoxClick() { pickElement(MaskiBox->currentIndex()); }
void TASoundEditorF::FilesBoxClick() { pickElement(FilesBox->currentIndex()); }

// Item i of either list is element i + 1: both lists select it, the table shows it.
void TASoundEditorF::pickElement(int index) {
  if (index < 0 || index >= SoundCount) return;
  commitCellEdit();
  SoundCurrent = index + 1;
  MaskiBox->setCurrentIndex(index);
  FilesBox->setCurrentIndex(index);
  LoadMZ();
  UpdateSoundButtons();
}

void TASoundEditorF::LoadMZ() {
  if (SoundCurrent < 1 || SoundCurrent > SoundCount) return;
  setCellTexts(SoundTable[SoundCurrent - 1]);
  SoundShown = true;
}

void TASoundEditorF::UpdateSoundButtons() {
  ZashablonitBut->setEnabled(SoundShown);
  SaveBut->setEnabled(SoundShown);
  DeleteBut->setEnabled(SoundShown);
  ToNumerBut->setEnabled(SoundShown);
  UpBut->setEnabled(SoundShown && SoundCurrent != 1);
  DownBut->setEnabled(SoundShown && SoundCurrent != SoundCount);
  CreateBut->setEnabled(true);
  OkBut->setEnabled(true);
  CacelBut->setEnabled(true);
}

bool TASoundEditorF::SoundCodeUnique(const std::string& code) const {
  return std::none_of(SoundTable.begin(), SoundTable.begin() + SoundCount,
                      [&](const ASoundRec& e) { return e.Code == code; });
}

// ---- Storing the shown element ----

bool TASoundEditorF::SaveMZ() {
  if (!SoundShown || SoundCurrent < 1 || SoundCurrent > SoundCount) return false;
  commitCellEdit();
  const std::string number = cellText(kUnknown1Row);
  std::optional<std::int32_t> value = isIntegerText(number) ? parseInt32(number) : std::nullopt;
  // A refused value: its cell selected, a beep and the error box; nothing stored.
  auto refuse = [this](int row, const std::string& message) {
    ValuesEd->setCurrentCell(row, 1);
    notifier().beep();
    errorBox(message, ru("Ошибка"));
    return false;
  };
  if (!value)
    return refuse(kUnknown1Row, isIntegerText(number) ? encode(Codec::Int32, number).error : formatMessage());
  // A 00 byte ends a name in the list: the list would stop at this element.
  for (const auto& [row, name] : {std::pair{kFileRow, "File"}, {kTextRow, "Text"}, {kCodeRow, "Code"}}) {
    if (cellText(row).find('\0') != std::string::npos)
      return refuse(row, ru("В значении поля ") + name +
                             ru(" стоит байт 00: в списке звуков он оборвал бы список. Элемент не запомнен."));
  }
  ASoundRec& e = SoundTable[SoundCurrent - 1];
  e.File = cellText(kFileRow);
  e.Unknown1 = *value;
  e.Text = cellText(kTextRow);
  e.Code = cellText(kCodeRow);
  return true;
}

void TASoundEditorF::SaveButClick() {
  if (!SaveMZ()) return;
  const int index = SoundCurrent - 1;
  const ASoundRec& e = SoundTable[index];
  MaskiBox->setItemText(index, toQ(e.Code));
  FilesBox->setItemText(index, filesItem(SoundCurrent, e.Text));
  MaskiBox->setCurrentIndex(index);
  FilesBox->setCurrentIndex(index);
  UpdateSoundButtons();
}

// ---- Creating and deleting ----

void TASoundEditorF::CreateButClick() {
  if (SoundCount >= static_cast<int>(kSoundTableSize)) {
    errorBox(ru("В списке уже ") + std::to_string(kSoundTableSize) +
             ru(" элементов (звуков) - больше редактор списка не вмещает."));
    return;
  }
  std::string code;
  for (;;) {
    auto answer = dialogs::askText(ru("Введите значение поля Code для новой записи:"));
    if (!answer) return;
    if (SoundCodeUnique(*answer)) {
      code = *answer;
      break;
    }
    errorBox(ru("ОШИБКА! Такая запись уже есть в базе! Введите уникальную маску!"));
  }
  auto file = dialogs::chooseTemplate(soundTemplateFolder(settings().ProgramDir));
  if (!file) return;
  TTextFileInString buf;
  if (!buf.LoadFromFile(*file)) return;  // the buffer has said why
  SoundTemplateRead t = readSoundTemplate(buf.data());
  if (!t.ok) {
    errorBox(ru("Элемент не создан из шаблона ") + *file + ": " + t.error);
    return;
  }
  t.element.Code = code;
  SoundTable.push_back(t.element);
  ++SoundCount;
  rebuildLists();
  showElement(SoundCount);
  UpdateSoundButtons();
}

void TASoundEditorF::DeleteButClick() {
  if (!SoundShown) return;
  if (messageBoxEx(ru("Уверены???"), ru("Типа вопрос..."), Icon::Question, ButtonYes | ButtonNo) != Answer::Yes)
    return;
  const int deleted = SoundCurrent;
  SoundTable.erase(SoundTable.begin() + (deleted - 1));
  --SoundCount;
  rebuildLists();
  if (SoundCount > 0) showElement(deleted > 1 ? deleted - 1 : 1);
  UpdateSoundButtons();
}

// ---- Reordering ----

void TASoundEditorF::ExchangeSoundElements(int n) {
  if (!SoundShown || n < 1 || n > SoundCount || n == SoundCurrent) return;
  std::swap(SoundTable[SoundCurrent - 1], SoundTable[n - 1]);
  rebuildLists();
  showElement(n);
  UpdateSoundButtons();
}

void TASoundEditorF::UpButClick() { ExchangeSoundElements(SoundCurrent - 1); }
void TASoundEditorF::DownButClick() { ExchangeSoundElements(SoundCurrent + 1); }

void TASoundEditorF::ToNumerButClick() {
  if (!SoundShown) return;
  const std::string prompt = ru("С каким элементом поменять выбранный элемент?");
  for (;;) {
    auto answer = dialogs::askText(prompt);
    if (!answer) return;
    if (!isIntegerText(*answer)) {
      errorBox(ru("Вы должны ввести целочисленное число, \"буковки\" не требуются ;)"), ru("Не пишите бред!"));
      continue;
    }
    // A number beyond 32 bits is out of range like any other.
    const std::int64_t n = parseInt32(*answer).value_or(std::int64_t(SoundCount) + 1);
    if (n < 1 || n > SoundCount || n == SoundCurrent) {
      errorBox(ru("Число должно быть в пределах от 1 до ") + std::to_string(SoundCount) +
                   ru(", и не должно быть равно ") + std::to_string(SoundCurrent) + ".",
               ru("Ошибка!"));
      continue;
    }
    ExchangeSoundElements(static_cast<int>(n));
    return;
  }
}

// ---- Templates ----

void TASoundEditorF::ZashablonitButClick() {
  if (!SoundShown) return;
  if (!SaveMZ() && !warningYes(ru("Открытый сейчас элемент не был сохранен из-за ошибки. Всеравно продолжить? "
                                  "(будет использован последний сохраненный вариант)")))
    return;
  TTextFileInString buf;
  buf.Clear();
  buf.Append(soundTemplateText(SoundTable[SoundCurrent - 1]));
  if (auto path = dialogs::saveAsTemplate(soundTemplateFolder(settings().ProgramDir))) buf.SaveToFile(*path);
}

// ---- Closing ----

void TASoundEditorF::OkButClick() {
  if (SoundShown && !SaveMZ() &&
      !warningYes(ru("Открытый сейчас элемент не был сохранен из-за ошибки. Всеравно продолжить?")))
    return;
  if (SoundListDamaged &&
      !warningYes(ru("Список в поле был прочитан не целиком. Заменить его показанным списком (элементов: ") +
                  std::to_string(SoundCount) + ru(")? Непрочитанная часть поля будет потеряна.")))
    return;
  SoundAccepted = true;
  accept();
}

void TASoundEditorF::CacelButClick() {
  SoundAccepted = false;
  reject();
}

// ---- As the editors call it ----

std::string EditSoundList(const std::string& bytes) {
  TASoundEditorF* f = TASoundEditorF::instance();
  if (!f) return "NIL";
  const SoundListRead read = readSoundList(bytes);
  if (read.state == SoundListState::TooMany) {
    errorBox(tooManySoundsMessage(read.items), ru("Ошибка"));
    return "NIL";
  }
  if (read.state == SoundListState::Damaged)
    messageDialog(Icon::Warning, damagedSoundListMessage(read.elements.size(), read.items));
  f->SoundListIn = bytes;
  f->SoundAccepted = false;
  f->exec();
  return f->SoundListOut;
}

}  // namespace kessik
