// The window program: start-up, the windows that live for the whole run, and
// the message loop.
#include <QApplication>
#include <QScreen>

#include "config/settings.h"
#include "config/startup.h"
#include "ui/del_form.h"
#include "ui/desktop_keys.h"
#include "ui/interaction.h"
#include "ui/look.h"
#include "app/main_form.h"
#include "ui/progress_form.h"
#include "ui/qtext.h"
#include "ui/translation.h"
#include "app/window_startup.h"
#include "archives/resbuild_form.h"
#include "editors/sound_editor.h"
#include "editors/template_dialogs.h"
#include "editors/value_dialogs.h"
#include "platform/registry.h"
#include "options/options_dialogs.h"
#include "sources/ish_form.h"
#include "util/cp1251.h"
#include "util/notify.h"

using namespace kessik;

int main(int argc, char** argv) {
  preferRussianDates();
  QApplication app(argc, argv);
  // The title names the program in the task bar and captions the message
  // boxes that have no caption of their own; tool tips are always on.
  QApplication::setApplicationName(toQ(appTitle()));
  applyProgramLook(app);
  // Qt's own texts (message box buttons, file dialogs) in Russian where the
  // translation is installed; English otherwise.
  installQtTranslation(app);
  installDesktopKeys(app);
  installInteractionNotifier();

  auto registry = platform::openHostRegistry();
  const auto programDir = programDirectory();
  if (!programDir) {
    messageDialog(Icon::Error, ru("Путь к папке программы нельзя записать в кодировке Windows-1251. "
                                  "Перенесите программу в другую папку."));
    return 1;
  }
  QSize screen(1024, 768);
  if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->size();
  loadConfiguration(*programDir, screen.width(), screen.height(), *registry);

  // The windows of the run, each created once, in this order.
  TMainForm mainForm;
  TDelForm delForm(&mainForm);
  TAskFnForm askFnForm(&mainForm);
  TTextsOptF textsOptF(&mainForm);
  TBaseOptF baseOptF(&mainForm);
  // ---- The sources window (TIshF) is created here: ----
  TIshF ishF(&mainForm);
  mainForm.setSourcesWindow([&ishF] { return ishF.showChanged(); });
  // ---- end of the sources window ----
  TShowProcessF showProcessF(&mainForm);
  TShablonimF shablonimF(&mainForm);
  TCheckShablF checkShablF(&mainForm, &shablonimF);
  TUncAskF uncAskF(&mainForm);
  TValueSelectorF valueSelectorF(&mainForm);
  TASoundEditorF aSoundEditorF(&mainForm);
  // ---- The archive tool's RUNNING window (TResbuildF) is created here. ----
  TResbuildF resbuildF(&mainForm);
  // ---- end of the RUNNING window ----
  installDialogHooks();

  mainForm.FormShow();
  const int result = app.exec();
  // The other windows are freed before the main window (reverse order).
  return result;
}
