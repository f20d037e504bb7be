// Opening text files and RTF files in the text editor window, as a user does
// (the window shown, its pane filled and painted): a 1 MB and a 20 MB text, a
// 1 MB and a 13.5 MB RTF, each timed to its first screen and to the whole
// file in the pane, with the memory the opening took (measured in a fresh
// process of its own); and the pieces of it: reading the RTF alone, filling
// a document, saving. Prints the best and the median of several runs.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_texteditor [runs] [large runs]
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "platform/host.h"
#include "texteditor/rich_text.h"
#include "texteditor/engine/rtf.h"
#include "texteditor/text_edit_form.h"
#include "support/gui/scripted_interaction.h"
#include "timing.h"
#include "util/cp1251.h"

using namespace kessik;

namespace {

constexpr std::size_t kSmall = 1 << 20;
constexpr std::size_t kLargeText = 20 << 20;
constexpr std::size_t kLargeRtf = 13.5 * (1 << 20);

// Lines like the game's texts: a key, a Russian phrase, CR LF.
std::string textFile(std::size_t size) {
  std::string out;
  out.reserve(size + 200);
  const std::string phrase = ru("Путник, ты зашёл далеко от дороги. Вернись, пока светло!");
  for (int n = 0; out.size() < size; ++n) out += "say" + std::to_string(n) + "=" + phrase + "\r\n";
  out.resize(size);
  return out;
}

// A formatted document whose RTF is about the size given: paragraphs of
// plain, bold, italic and coloured runs in two fonts and sizes.
std::string rtfFile(std::size_t size) {
  rtf::Document d;
  rtf::CharFormat plain, bold, colour;
  plain.font = "Times New Roman";
  plain.halfPoints = 24;
  bold = plain;
  bold.bold = true;
  colour = plain;
  colour.italic = true;
  colour.font = "Arial";
  colour.halfPoints = 28;
  colour.color = rtf::Color{192, 0, 0};
  std::size_t estimate = 0;
  for (int n = 0;; ++n) {
    d.paragraphs.push_back({rtf::Align::Left,
                            {{"Глава " + std::to_string(n) + ". ", bold},
                             {"Путник, ты зашёл далеко от дороги. ", plain},
                             {"Вернись, пока светло!", colour},
                             {" Здесь водятся волки, и ночь близко.", plain}}});
    if (n == 255) estimate = rtf::write(d).size() / 256;
    if (estimate && d.paragraphs.size() * estimate >= size && rtf::write(d).size() >= size) break;
  }
  return rtf::write(d);
}

using bench::Figures;
using bench::measure;

void report(const std::string& what, std::size_t bytes, const Figures& f) {
  std::printf("%-46s %9.1f KiB   best %8.1f ms   median %8.1f ms\n", what.c_str(), bytes / 1024.0, f.best,
              f.median);
  std::fflush(stdout);
}

// Resident memory of the process in KiB: now (VmRSS:) or the peak since the
// last reset (VmHWM:); Linux only, 0 elsewhere.
long statusKiB(const char* field) {
  QFile f("/proc/self/status");
  if (!f.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith(field))
      return line.mid(static_cast<qsizetype>(std::strlen(field))).trimmed().split(' ')[0].toLong();
  return 0;
}
void resetPeak() {
  QFile f("/proc/self/clear_refs");
  if (f.open(QIODevice::WriteOnly)) f.write("5");
}

struct File {
  const char* name;
  const char* label;
  bool rtf;
  bool large;
  std::size_t size = 0;
};

std::string makeFile(const File& f) {
  return f.rtf ? rtfFile(f.large ? kLargeRtf : kSmall) : textFile(f.large ? kLargeText : kSmall);
}

// The window the files are opened in, on drive C: (a temporary folder).
struct Bench {
  QTemporaryDir dir;
  ScopedScriptedInteraction script;
  TTextEdF* w = nullptr;

  Bench() {
    qputenv("KESSIK_DRIVES", QByteArray("C=") + dir.path().toUtf8());
    platform::reloadDriveMap();
    Settings& s = settings();
    s.ProgramDir = "C:\\";
    s.IniFilePath = "C:\\Kessik.ini";
    s.TxtEdDlgFiltList = defaultFilterList();
    s.TxtEdDlgActFilt = 1;
    s.TxtEdDlgUseCritSiz = false;
    s.TxtEdDlgWordWrap = true;
    s.TextsEdStart = "C:\\";
    write("empty.txt", "");
    w = new TTextEdF(0);
    w->show();
    QApplication::processEvents();
  }
  ~Bench() { delete w; }
  void write(const char* name, const std::string& bytes) {
    platform::writeFileReplacing(*platform::toHost(std::string("C:\\") + name), bytes);
  }

  void open(const File& f) {
    if (f.rtf)
      w->OpenAsRtf(f.name);
    else
      w->OpenAsText(f.name);
  }
  // The window's events until the file is whole in the pane.
  void waitLoaded() {
    while (w->Loading()) QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  // The pane's first screen painted: a text shows its first piece at once,
  // an RTF document once it is converted.
  void firstScreen(const File& f) {
    if (f.rtf) waitLoaded();
    paint();
  }
  void paint() {
    w->EditBox->viewport()->repaint();
    QApplication::processEvents();
  }
  // The whole file in the pane and laid out, as the scroll bar's full range
  // needs it, and painted.
  void whole() {
    waitLoaded();
    w->EditDocument()->documentLayout()->documentSize();
    paint();
  }
  void empty() {
    w->OpenAsText("empty.txt");
    QApplication::processEvents();
  }
};

// In a process of its own: the resident memory opening one file takes, at
// its peak and once it is open.
int measureMemory(const File& f) {
  Bench b;
  b.write(f.name, makeFile(f));
  const auto size = static_cast<double>(QFile(b.dir.path() + "/" + f.name).size());
  b.empty();
  const long before = statusKiB("VmRSS:");
  resetPeak();
  b.open(f);
  b.whole();
  const long peak = statusKiB("VmHWM:"), after = statusKiB("VmRSS:");
  std::printf("  memory: %.1f MiB more at the peak (%.2fx the file), %.1f MiB more once open (%.2fx)\n",
              (peak - before) / 1024.0, (peak - before) * 1024.0 / size, (after - before) / 1024.0,
              (after - before) * 1024.0 / size);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<File> files = {{"small.txt", "1 MB text file", false, false},
                             {"large.txt", "20 MB text file", false, true},
                             {"small.rtf", "1 MB RTF file", true, false},
                             {"large.rtf", "13.5 MB RTF file", true, true}};
  if (argc > 2 && std::strcmp(argv[1], "--memory") == 0) {
    for (const File& f : files)
      if (f.name == std::string(argv[2])) return measureMemory(f);
    return 2;
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int largeRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

  Bench b;
  for (File& f : files) {
    const std::string bytes = makeFile(f);
    f.size = bytes.size();
    b.write(f.name, bytes);
  }
  for (const File& f : files) {
    const int n = f.large ? largeRuns : runs;
    const auto empty = [&] { b.empty(); };
    report(std::string("open ") + f.label + ", first screen", f.size, measure(n, [&] {
             b.open(f);
             b.firstScreen(f);
           }, empty));
    report(std::string("open ") + f.label + ", whole", f.size, measure(n, [&] {
             b.open(f);
             b.whole();
           }, empty));
    if (f.large) {
      // How long the window's events waited at the most while it opened,
      // and for two seconds after (the pane lays out the rest of a document
      // between events): a timer that should tick every 10 ms.
      b.empty();
      QElapsedTimer sinceTick;
      qint64 longest = 0;
      QTimer ticker;
      QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
      ticker.start(10);
      sinceTick.start();
      b.open(f);
      b.waitLoaded();
      QElapsedTimer after;
      after.start();
      while (after.elapsed() < 2000) QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
      longest = std::max(longest, sinceTick.elapsed());
      ticker.stop();
      std::printf("  the window's events waited at most %lld ms while it opened\n", static_cast<long long>(longest));
      QProcess child;
      child.setProcessChannelMode(QProcess::ForwardedChannels);
      child.start(QCoreApplication::applicationFilePath(), {"--memory", f.name});
      child.waitForFinished(-1);
    }
  }
  const std::string rtfBytes = rtfFile(kSmall);
  report("  of which: RTF reader alone (1 MB)", rtfBytes.size(), measure(runs, [&] { rtf::read(rtfBytes); }));
  const rtf::Document model = rtf::read(rtfBytes).document;
  QTextDocument doc;
  report("  of which: filling a document (1 MB RTF)", rtfBytes.size(),
         measure(runs, [&] { setDocumentFromRtf(doc, model); }));
  b.open(files[2]);
  b.whole();
  report("save the RTF back (convert, write; 1 MB)", rtfBytes.size(), measure(runs, [&] {
           b.w->FileNameEd->setText("out.rtf");
           b.w->SaveButClick();
         }));
  // The 20 MB text taken into the document pane and saved as RTF: every
  // Cyrillic letter becomes \'hh.
  b.w->OpenAsRtf(files[1].name);
  b.whole();
  report("save the 20 MB text as RTF (convert, write)", files[1].size, measure(largeRuns, [&] {
           b.w->FileNameEd->setText("large-out.rtf");
           b.w->SaveButClick();
         }));
  b.open(files[0]);
  b.whole();
  report("save the text back (encode, write; 1 MB)", kSmall, measure(runs, [&] {
           b.w->FileNameEd->setText("out.txt");
           b.w->SaveButClick();
         }));
  if (!b.script->messages.empty()) std::printf("messages shown: %zu (unexpected)\n", b.script->messages.size());
  return 0;
}
