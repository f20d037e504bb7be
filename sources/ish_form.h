// The sources window "Исходники": brings the two database archives into
// source trees and back, one step at a time or in one go, for the
// single-player game (database.res) and the multiplayer game
// (databaselmp.res). The work is the workflow's (sources/driver); the window
// asks its questions, shows its messages and the state of the folders.
// Created once at start-up and shown modally from the main window, which
// closes its section editors when a source tree was rebuilt.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QPushButton;

namespace kessik {

class Progress;
namespace sources {
class SourcesDriver;
struct GameState;
}

class TIshF : public QDialog {
  Q_OBJECT

 public:
  explicit TIshF(QWidget* parent = nullptr);
  ~TIshF() override;

  static TIshF* instance();

  // Clears the changed flag, shows the window modally and tells whether it
  // rebuilt a source tree.
  bool showChanged();

  // Handlers.
  void FormShow();
  void RefreshFbUtClick();
  void CloseButClick();
  void UnPackBasButClick();
  void KlepIshButClick();
  void FullGetBaseButClick();
  void DelBaseButClick();
  void ResbildnutBaseButClick();
  void FullMakeBaseButClick();
  void UnPackLmpBasButClick();
  void KlepIshLmpButClick();
  void FullGetLmpBaseButClick();
  void DelBaseLmpButClick();
  void ResbildnutBaseLmpButClick();
  void FullMakeLmpBaseButClick();

  // Readiness, recomputed by every refresh: work folder holds every database
  // file; source root holds every database folder.
  bool SinglWorkReady = false, SinglSourcesReady = false;
  bool LmpWorkReady = false, LmpSourcesReady = false;
  // The steps ask their questions (the "full" buttons never ask them).
  bool Ask = true;
  // Set when a source tree was regenerated.
  bool Changed = false;
  // Where database unpacking and packing report; nullptr: the progress window.
  Progress* ProgressSink = nullptr;

  // The database lists, in the order each step handles them.
  static const std::vector<std::string>& singlCheckList();   // also unpacking
  static const std::vector<std::string>& singlPackList();
  static const std::vector<std::string>& lmpCheckList();
  static const std::vector<std::string>& lmpUnpackList();    // also packing

  QGroupBox* SinglBox = nullptr;
  QGroupBox* LmpBox = nullptr;
  QLabel* databasedirLab = nullptr;
  QLabel* IshDirLab = nullptr;
  QLabel* databaselmpdirLab = nullptr;
  QLabel* IshLmpDirLab = nullptr;
  QPushButton* UnPackBasBut = nullptr;
  QPushButton* KlepIshBut = nullptr;
  QPushButton* FullGetBaseBut = nullptr;
  QPushButton* DelBaseBut = nullptr;
  QPushButton* ResbildnutBaseBut = nullptr;
  QPushButton* FullMakeBaseBut = nullptr;
  QPushButton* UnPackLmpBasBut = nullptr;
  QPushButton* KlepIshLmpBut = nullptr;
  QPushButton* FullGetLmpBaseBut = nullptr;
  QPushButton* DelBaseLmpBut = nullptr;
  QPushButton* ResbildnutBaseLmpBut = nullptr;
  QPushButton* FullMakeLmpBaseBut = nullptr;
  QPushButton* RefreshFbUt = nullptr;
  QPushButton* CloseBut = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Game;
  Game& singl();
  Game& lmp();
  void refreshGame(Game& g);
  // Runs a step of the workflow for the game as its button does: the busy
  // cursor while it works, a line in the main window's status bar when it
  // did its work (done: what the line says, given the game's state), a
  // rebuilt source tree noted, the window refreshed.
  void runStep(Game& g, const std::function<bool(sources::SourcesDriver&)>& step,
               const std::function<std::string(const sources::GameState&)>& done);
  Progress& progress();

  std::vector<Game> games_;
};

}  // namespace kessik
