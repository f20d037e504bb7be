#include "archives/resbuild_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QShowEvent>
#include <QTimer>

#include <memory>
#include <thread>

#include "config/settings.h"
#include "ui/form_util.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/notify.h"

namespace kessik {
namespace {

TResbuildF* gInstance = nullptr;

// Starts the real tool and waits for its end on a helper thread, while this
// thread goes on with its event loop (repaints included) until the helper
// posts back. The processor is not used meanwhile.
class EventLoopToolRunner : public archives::HostToolRunner {
 public:
  using HostToolRunner::HostToolRunner;

 protected:
  void waitFor(platform::ChildProcess& child) override {
    QEventLoop loop;
    std::thread waiter([&child, &loop] {
      child.wait();
      QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    waiter.join();
  }
};

}  // namespace

TResbuildF::TResbuildF(QWidget* parent) : QDialog(parent) {
  setObjectName("TResbuildF");
  setWindowTitle(qru("RUNNING RESBUILD..."));
  // No close command: the title bar offers no way to close the window.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedClientSize(this, 360, 56);
  InfoLab = new QLabel(qru("Подождите немного, типа работает резбилд..."), this);
  InfoLab->setObjectName("InfoLab");
  InfoLab->setAlignment(Qt::AlignCenter);
  InfoLab->setGeometry(10, 18, 340, 20);
  setModal(true);
  if (!gInstance) gInstance = this;
}

TResbuildF::~TResbuildF() {
  if (gInstance == this) gInstance = nullptr;
}

TResbuildF* TResbuildF::instance() { return gInstance; }

void TResbuildF::showEvent(QShowEvent* event) {
  // Restoring the minimized window shows it again too (a spontaneous show):
  // only a real showing starts the job.
  if (event->spontaneous()) {
    QDialog::showEvent(event);
    return;
  }
  centreOnScreen(this);
  JustShown = true;
  QDialog::showEvent(event);
  // Should the window never be painted (an obscured or minimised program),
  // the work still runs.
  QTimer::singleShot(1000, this, [this] {
    if (JustShown) {
      JustShown = false;
      runJob();
    }
  });
}

void TResbuildF::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!JustShown) return;
  JustShown = false;
  // The line is on screen; the work runs once this paint has finished.
  QTimer::singleShot(0, this, [this] { runJob(); });
}

void TResbuildF::closeEvent(QCloseEvent* event) {
  // Only the end of the job closes the window.
  if (running_ || JustShown) event->ignore();
  else QDialog::closeEvent(event);
}

void TResbuildF::reject() {
  // Escape does not close the window either.
  if (!running_ && !JustShown) QDialog::reject();
}

void TResbuildF::runJob() {
  if (running_) return;
  running_ = true;
  InfoLab->repaint();
  Result.clear();
  if (Operation != archives::ResbuildOperation::None) {
    EventLoopToolRunner runner(settings().ProgramDir);
    Result = archives::runOperation(Operation, FirstPath, SecondPath, runner);
    // The error box belongs to this window: it is the active modal window.
    if (ShowErrors && !Result.empty()) messageBoxEx(Result, ru("Ошибка!"), Icon::Error, ButtonOk);
  }
  running_ = false;
  accept();
}

namespace {

std::string runInWindow(archives::ResbuildOperation op, const std::string& first, const std::string& second) {
  TResbuildF* w = TResbuildF::instance();
  std::unique_ptr<TResbuildF> own;
  if (!w) {
    own = std::make_unique<TResbuildF>();
    w = own.get();
  }
  w->Operation = op;
  w->FirstPath = first;
  w->SecondPath = second;
  w->ShowErrors = true;
  ownByActiveWindow(w);
  // Its error box is shown from this window; afterwards the keyboard focus is
  // back where the work was started.
  FocusReturn focus;
  w->exec();
  return w->Result;
}

}  // namespace

std::string unpackArchiveWithTool(const std::string& archive, const std::string& destinationFolder) {
  return runInWindow(archives::ResbuildOperation::Unpack, archive, destinationFolder);
}

std::string packFolderWithTool(const std::string& archive, const std::string& sourceFolder) {
  return runInWindow(archives::ResbuildOperation::Pack, archive, sourceFolder);
}

std::string optimizeArchiveWithTool(const std::string& archive) {
  return runInWindow(archives::ResbuildOperation::Optimize, archive, std::string());
}

}  // namespace kessik
