// Shared set-up of the window tests: drive C: mapped to a temporary folder,
// a configuration file there, and the scripted interaction installed.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "editors/engine/dialog_hooks.h"
#include "ui/scriptedinteraction.h"
#include "platform/host.h"
#include "util/cp1251.h"

namespace kessik::guitest {

class Drive {
 public:
  Drive() {
    qputenv("KESSIK_DRIVES", QByteArray("C=") + dir_.path().toUtf8());
    platform::reloadDriveMap();
    Settings& s = settings();
    s = Settings();
    s.ProgramDir = "C:\\";
    s.IniFilePath = "C:\\Kessik.ini";
    s.ProgramVersion = "1.8.1";
    write("Kessik.ini", "[MainSettings]\r\nVer=1.8.1\r\n");
  }
  ~Drive() {
    qunsetenv("KESSIK_DRIVES");
    platform::reloadDriveMap();
  }
  // A host path below the drive ("a/b.zap").
  QString host(const QString& rel) const { return dir_.path() + "/" + rel; }
  void write(const QString& rel, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(host(rel)).path());
    QFile f(host(rel));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray read(const QString& rel) const {
    QFile f(host(rel));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  bool exists(const QString& rel) const { return QFileInfo::exists(host(rel)); }

 private:
  QTemporaryDir dir_;
};

// The text prompt and the two template dialogs of the editors, answered from
// queues for a scope (an empty queue cancels); every call is recorded in
// `asked` with its prompt or template folder.
class ScriptedDialogs {
 public:
  std::deque<std::optional<std::string>> prompts, templates, templateSaves;
  std::vector<std::string> asked;

  ScriptedDialogs()
      : askText_(dialogs::askText), chooseTemplate_(dialogs::chooseTemplate), saveAsTemplate_(dialogs::saveAsTemplate) {
    dialogs::askText = [this](const std::string& prompt) { return take(prompts, prompt); };
    dialogs::chooseTemplate = [this](const std::string& folder) { return take(templates, folder); };
    dialogs::saveAsTemplate = [this](const std::string& folder) { return take(templateSaves, folder); };
  }
  ~ScriptedDialogs() {
    dialogs::askText = askText_;
    dialogs::chooseTemplate = chooseTemplate_;
    dialogs::saveAsTemplate = saveAsTemplate_;
  }
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

 private:
  std::optional<std::string> take(std::deque<std::optional<std::string>>& queue, const std::string& what) {
    asked.push_back(what);
    if (queue.empty()) return std::nullopt;
    auto v = queue.front();
    queue.pop_front();
    return v;
  }
  decltype(dialogs::askText) askText_;
  decltype(dialogs::chooseTemplate) chooseTemplate_;
  decltype(dialogs::saveAsTemplate) saveAsTemplate_;
};

inline QByteArray cp(const char* utf8) { return QByteArray::fromStdString(ru(utf8)); }

}  // namespace kessik::guitest
