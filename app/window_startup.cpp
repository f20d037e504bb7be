#include "app/window_startup.h"

#include "editors/dialog_hooks.h"
#include "editors/sound_editor.h"
#include "editors/template_dialogs.h"
#include "editors/value_dialogs.h"
#include "platform/host.h"
#include "util/paths.h"

namespace kessik {

std::optional<std::string> programDirectory() {
  auto dir = platform::fromHost(platform::programFolder());
  if (!dir) return std::nullopt;
  return withTrailingBackslash(*dir);
}

void installDialogHooks() {
  dialogs::askText = askTextDialog;
  dialogs::chooseTemplate = chooseTemplateDialog;
  dialogs::saveAsTemplate = saveAsTemplateDialog;
  dialogs::rawValue = rawValueDialog;
  dialogs::chooseValue = ChooseValue;
  dialogs::editSoundList = EditSoundList;
}

}  // namespace kessik
