// The RUNNING window: a small modal window that stays on screen while the
// archive tool works. The caller fills the job, shows the window modally and
// reads the result afterwards; the work starts from the window's first paint,
// and the window waits for the tool without blocking its own painting.
#pragma once

#include <QDialog>

#include <string>

#include "archives/driver/resbuild.h"

class QLabel;

namespace kessik {

class TResbuildF : public QDialog {
  Q_OBJECT

 public:
  explicit TResbuildF(QWidget* parent = nullptr);
  ~TResbuildF() override;

  // The one window of the run (nullptr before it is created).
  static TResbuildF* instance();

  // The job, set before showing.
  std::string FirstPath;   // the archive
  std::string SecondPath;  // the folder (packing: source; unpacking: destination)
  archives::ResbuildOperation Operation = archives::ResbuildOperation::None;
  bool ShowErrors = true;
  // The error text of the last job; empty when the tool was run.
  std::string Result;
  // Set when the window is shown, cleared by the paint that starts the work.
  bool JustShown = false;

  // Whether a job is running (the window cannot be closed meanwhile).
  bool busy() const { return running_; }

  QLabel* InfoLab = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void runJob();
  bool running_ = false;
};

// The three archive operations as the windows use them: each fills the
// RUNNING window's job (errors shown), shows it modally and returns its
// result text, empty when the tool was run.
std::string unpackArchiveWithTool(const std::string& archive, const std::string& destinationFolder);
std::string packFolderWithTool(const std::string& archive, const std::string& sourceFolder);
std::string optimizeArchiveWithTool(const std::string& archive);

}  // namespace kessik
