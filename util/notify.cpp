#include "util/notify.h"

#include <cstdio>

#include "util/cp1251.h"

namespace kessik {
namespace {

class StderrNotifier : public Notifier {
 public:
  Answer show(const Message& m) override {
    std::string text = cp1251ToUtf8(m.text);
    std::fprintf(stderr, "%s\n", text.c_str());
    return defaultAnswer(m.buttons);
  }
};

StderrNotifier gDefault;
Notifier* gCurrent = &gDefault;
thread_local Notifier* tThread = nullptr;

const char* dialogCaption(Icon kind) {
  switch (kind) {
    case Icon::Error: return "Error";
    case Icon::Warning: return "Warning";
    case Icon::Information: return "Information";
    case Icon::Question: return "Confirm";
    case Icon::None: break;
  }
  return "";
}

}  // namespace

Answer defaultAnswer(unsigned buttons) {
  if (buttons & ButtonCancel) return Answer::Cancel;
  if (buttons & ButtonNo) return Answer::No;
  if (buttons & ButtonOk) return Answer::Ok;
  return Answer::Yes;
}

Notifier& notifier() { return tThread ? *tThread : *gCurrent; }

ThreadNotifier::ThreadNotifier(Notifier& n) : previous_(tThread) { tThread = &n; }
ThreadNotifier::~ThreadNotifier() { tThread = previous_; }

Notifier* setNotifier(Notifier* n) {
  Notifier* old = gCurrent;
  gCurrent = n ? n : &gDefault;
  return old;
}

Answer messageBox(const std::string& text) { return notifier().show({Icon::None, "", text, ButtonOk}); }

Answer messageDialog(Icon kind, const std::string& text, unsigned buttons) {
  return notifier().show({kind, dialogCaption(kind), text, buttons});
}

Answer messageBoxEx(const std::string& text, const std::string& caption, Icon icon, unsigned buttons) {
  return notifier().show({icon, caption, text, buttons});
}

}  // namespace kessik
