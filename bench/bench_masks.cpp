// Opening a Blood Prints section of 5,000 records that all carry one mask in
// the section editor window, as a user does (the window shown and painted),
// and the scan alone. Before, the scan showed one warning box per repeated
// entry (N(N-1)/2 of them); now it warns once. Prints the best and the median
// of several runs, and how many messages one opening showed.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_masks [records] [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/codecs.h"
#include "core/database.h"
#include "editors/engine/section.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/window_table.h"
#include "editors/section_editor.h"
#include "platform/host.h"
#include "support/gui/scripted_interaction.h"

using namespace kessik;
namespace fs = std::filesystem;

namespace {

std::string printsRecord(const std::string& mask) {
  std::string group;
  appendItem(group, 1, std::string("\0\0\0\x3F", 4));
  appendItem(group, 2, std::string("\x2D\0\0\0", 4));
  appendItem(group, 3, std::string("\x1E\0\0\0", 4));
  std::string payload;
  appendItem(payload, 1, mask + std::string(1, '\0'));
  appendItem(payload, 2, group);
  appendItem(payload, 3, group);
  std::string record;
  appendItem(record, 1, payload);
  return record;
}

struct Figures {
  double best = 0, median = 0;
};

Figures measure(int runs, const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer clock;
    clock.start();
    run();
    ms.push_back(clock.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return {ms.front(), ms[ms.size() / 2]};
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int records = argc > 1 ? std::atoi(argv[1]) : 5000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  QTemporaryDir dir;
  qputenv("KESSIK_DRIVES", QByteArray("C=") + dir.path().toUtf8());
  platform::reloadDriveMap();
  ScopedScriptedInteraction script;
  Settings& s = settings();
  s.ProgramDir = "C:\\prog\\";
  s.DatabaseResIsh = "C:\\src\\";
  const fs::path folder = fs::path(dir.path().toStdString()) / "src" / "prints" / "1";
  fs::create_directories(folder);
  const std::string bytes = printsRecord("same");
  for (int k = 1; k <= records; ++k) std::ofstream(folder / recordFileName(k), std::ios::binary) << bytes;

  const SectionEntry& section = *findSection("prints.db", 1);
  const Schema& schema = section.schema;
  const Figures scan = measure(runs, [&] { scanSection(schema, "C:\\src\\" + section.folder); });
  script->clear();
  std::size_t messages = 0;
  const Figures open = measure(runs, [&] {
    script->clear();
    QWidget* w = createSectionEditor(*findWindow("TSinglPrintsDbR1F"), nullptr);
    if (!w) std::abort();
    w->repaint();
    QApplication::processEvents();
    messages = script->messages.size();
    w->close();
    QApplication::processEvents();
  });
  std::printf("%d records of one mask\n", records);
  std::printf("  scan alone:          best %8.1f ms, median %8.1f ms\n", scan.best, scan.median);
  std::printf("  window opened:       best %8.1f ms, median %8.1f ms\n", open.best, open.median);
  std::printf("  messages per opening: %zu\n", messages);
  return 0;
}
