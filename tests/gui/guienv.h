// Shared set-up of the window tests: drive C: mapped to a temporary folder,
// a configuration file there, and the scripted interaction installed.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>

#include "config/settings.h"
#include "support/gui/scripted_interaction.h"
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

inline QByteArray cp(const char* utf8) { return QByteArray::fromStdString(ru(utf8)); }

}  // namespace kessik::guitest
