// The modder's workbench at size: opening the section table window of a
// Weapons section of 5,000 and of 100,000 records (read, decoded, shown and
// painted), a sort by a column and a filter keystroke at 5,000, and a search
// of both games of a tree of 100,000 records. Prints the best and the median
// of several runs.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_workbench [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "core/database.h"
#include "editors/schemas/registry.h"
#include "editors/schemas/sample.h"
#include "editors/schemas/window_table.h"
#include "platform/host.h"
#include "support/gui/scripted_interaction.h"
#include "workbench/engine/tree_search.h"
#include "timing.h"
#include "workbench/section_table.h"

using namespace kessik;

namespace {

using bench::Figures;
using bench::measure;

void report(const char* what, const Figures& f, double target) {
  std::printf("%-52s best %7.1f ms  median %7.1f ms  processor %7.1f ms  (target %5.0f ms)\n", what, f.best,
              f.median, f.cpu, target);
}

// Writes n records of a section, the sample records with masks of their own
// and numbers that differ from record to record.
void writeSection(const std::string& sectionFolder, const Schema& schema, int n) {
  const std::filesystem::path folder = *platform::toHost(sectionFolder);
  std::filesystem::create_directories(folder);
  const ByteString samples[3] = {sampleRecord(schema, 1).bytes, sampleRecord(schema, 2).bytes,
                                 sampleRecord(schema, 3).bytes};
  for (int k = 1; k <= n; ++k) {
    ByteString bytes = sampleRecord(schema, 1 + k % 3, "Item" + std::to_string(k)).bytes;
    if (bytes.empty()) bytes = samples[k % 3];
    std::ofstream(folder / recordFileName(k), std::ios::binary) << bytes;
  }
}

void paint(QWidget* w) {
  w->repaint();
  QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  QTemporaryDir dir;
  qputenv("KESSIK_DRIVES", QByteArray("C=") + dir.path().toUtf8());
  platform::reloadDriveMap();
  ScopedScriptedInteraction script;
  Settings& s = settings();
  s.ProgramDir = "C:\\";
  s.IniFilePath = "C:\\Kessik.ini";

  const SectionEntry& weaponsSection = *findSection("items.idb", 2);
  const SectionEntry& printsSection = *findSection("prints.db", 1);
  const Schema& weapons = weaponsSection.schema;
  const Schema& prints = printsSection.schema;
  auto under = [](const std::string& root, const SectionEntry& e) { return root + e.folder; };
  const WindowEntry& entry = *findWindow("TSinglItemsIdbR2F");
  std::printf("writing the trees...\n");
  writeSection(under("C:\\small\\", weaponsSection), weapons, 5000);
  // The large tree: 100,000 records over both games, 50,000 of them in one
  // Weapons section.
  writeSection(under("C:\\big\\single\\", weaponsSection), weapons, 50000);
  writeSection(under("C:\\big\\single\\", printsSection), prints, 20000);
  writeSection(under("C:\\big\\multi\\", weaponsSection), weapons, 20000);
  writeSection(under("C:\\big\\multi\\", printsSection), prints, 10000);
  writeSection(under("C:\\huge\\", weaponsSection), weapons, 100000);

  auto openTable = [&](const char* root) {
    s.DatabaseResIsh = root;
    TSectionTableF* w = TSectionTableF::open(entry, nullptr);
    w->show();
    paint(w);
    return w;
  };
  report("open the table of 5,000 records", measure(runs, [&] { delete openTable("C:\\small\\"); }), 300);
  report("open the table of 100,000 records",
         measure(std::max(1, runs / 2), [&] { delete openTable("C:\\huge\\"); }), 3000);

  TSectionTableF* w = openTable("C:\\small\\");
  QTableView* view = w->table();
  int price = 1;
  for (int r = 0; r < static_cast<int>(weapons.rows.size()); ++r)
    if (weapons.rows[r].name == "General Price") price = r + 1;
  bool descending = false;
  report("sort 5,000 records by a number column", measure(runs, [&] {
           view->sortByColumn(price, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
           descending = !descending;
           paint(w);
         }), 200);
  report("sort 5,000 records by the mask column", measure(runs, [&] {
           view->sortByColumn(1, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
           descending = !descending;
           paint(w);
         }), 200);
  auto* filter = w->findChild<QLineEdit*>("FilterEd");
  const std::string typed = "item12";
  std::size_t at = 0;
  report("one filter keystroke at 5,000 records (\"item12\")", measure(runs * 2, [&] {
           if (at == typed.size()) {
             filter->clear();
             at = 0;
           }
           filter->insert(QString(QChar(typed[at++])));
           paint(w);
         }), 100);
  filter->clear();
  report("a filter keystroke \"General Price>10\" at 5,000", measure(runs, [&] {
           filter->setText("General Price>10");
           paint(w);
           filter->clear();
         }), 100);
  delete w;

  auto searchBoth = [&](SearchQuery q) {
    std::vector<const WindowEntry*> windows;
    for (const WindowEntry& e : windowTable()) windows.push_back(&e);
    TreeSearch search(searchSectionsOfWindows(windows, "C:\\big\\single\\", "C:\\big\\multi\\"), q);
    search.start();
    std::vector<SearchHit> hits;
    while (search.take(hits)) search.wait(std::chrono::milliseconds(20));
    return hits.size();
  };
  std::size_t found = 0;
  report("search both games, 100,000 records (\"item777\")",
         measure(runs, [&] { found = searchBoth({"item777", false, false}); }), 2000);
  std::printf("  hits: %zu\n", found);
  report("search both games, 100,000 records, exact mask",
         measure(runs, [&] { found = searchBoth({"Item777", false, true}); }), 2000);
  std::printf("  hits: %zu\n", found);
  if (!script->messages.empty()) std::printf("messages shown: %zu (unexpected)\n", script->messages.size());
  return 0;
}
