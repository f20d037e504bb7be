#include "app/startup.h"

#include "editors/engine/dialog_hooks.h"
#include "editors/soundeditor.h"
#include "editors/templatedialogs.h"
#include "editors/valuedialogs.h"
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
