// The sound list editor: a modal dialog that edits one sound list at a time
// and gives the new list back. It is created once at start-up; callers reach
// it through EditSoundList (installed into the dialog hooks).
#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "editors/engine/soundlist.h"
#include "ui/form_util.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace kessik {

class TASoundEditorF : public QDialog, public RunInstance<TASoundEditorF> {
  Q_OBJECT

 public:
  explicit TASoundEditorF(QWidget* parent = nullptr);

  ByteString SoundListIn;   // in: the list's bytes
  ByteString SoundListOut;  // out: the new list, or "NIL" when left without OK
  std::vector<ASoundRec> SoundTable;  // elements 1 .. SoundCount at 0 .. SoundCount - 1
  int SoundCount = 0;
  int SoundCurrent = 0;  // the element shown, from 1
  bool SoundShown = false;
  bool SoundAccepted = false;
  // The input could not be read whole: OK asks before it replaces the list.
  bool SoundListDamaged = false;

  void FormShow();
  SoundListState DecodeSoundList(const ByteString& bytes);
  ByteString EncodeSoundList() const;
  void LoadMZ();
  bool SaveMZ();
  void UpdateSoundButtons();
  bool SoundCodeUnique(const std::string& code) const;
  void ExchangeSoundElements(int n);

  void MaskiBoxClick();
  void FilesBoxClick();
  void SaveButClick();
  void CreateButClick();
  void DeleteButClick();
  void UpButClick();
  void DownButClick();
  void ToNumerButClick();
  void ZashablonitButClick();
  void OkButClick();
  void CacelButClick();

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* MaskiBox = nullptr;
  QComboBox* FilesBox = nullptr;
  QTableWidget* ValuesEd = nullptr;
  QPushButton* UpBut = nullptr;
  QPushButton* DownBut = nullptr;
  QPushButton* ToNumerBut = nullptr;
  QPushButton* ZashablonitBut = nullptr;
  QPushButton* SaveBut = nullptr;
  QPushButton* CreateBut = nullptr;
  QPushButton* DeleteBut = nullptr;
  QPushButton* OkBut = nullptr;
  QPushButton* CacelBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  std::string cellText(int row) const;
  void setCellTexts(const ASoundRec& e);
  void clearCells();
  // Both lists from SoundTable's elements 1 .. SoundCount, nothing selected.
  void fillLists();
  // Both lists again from the table, nothing shown.
  void rebuildLists();
  void pickElement(int index);
  // Shows element n as a pick in MaskiBox does.
  void showElement(int n);
  void commitCellEdit();
};

// Shows the sound list editor over the bytes: the new list, or "NIL" when it
// was left without OK. A list of more elements than the editor holds is
// refused with a message ("NIL"); a damaged list opens after a warning.
std::string EditSoundList(const std::string& bytes);

// The messages for lists the editor cannot take whole (cp1251).
std::string tooManySoundsMessage(std::uint32_t items);
std::string damagedSoundListMessage(std::size_t read, std::uint32_t items);

}  // namespace kessik
