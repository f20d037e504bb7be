// Opening a 1 MB text file and a 1 MB RTF file in the text editor window, as
// a user does (the window shown, its pane laid out and painted), and the
// pieces of it: reading the RTF alone, filling the pane, saving. Prints the
// best and the median of several runs.
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_texteditor [runs]
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

constexpr std::size_t kTarget = 1 << 20;

// Lines like the game's texts: a key, a Russian phrase, CR LF.
std::string textFile() {
  std::string out;
  for (int n = 0; out.size() < kTarget; ++n)
    out += "say" + std::to_string(n) + "=" + ru("Путник, ты зашёл далеко от дороги. Вернись, пока светло!") + "\r\n";
  out.resize(kTarget);
  return out;
}

// A formatted document whose RTF is about 1 MB: paragraphs of plain, bold,
// italic and coloured runs in two fonts and sizes.
std::string rtfFile() {
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
  std::string rtfText;
  for (int n = 0;; ++n) {
    d.paragraphs.push_back({rtf::Align::Left,
                            {{"Глава " + std::to_string(n) + ". ", bold},
                             {"Путник, ты зашёл далеко от дороги. ", plain},
                             {"Вернись, пока светло!", colour},
                             {" Здесь водятся волки, и ночь близко.", plain}}});
    if (n % 256 == 0 && rtf::write(d).size() >= kTarget) break;
  }
  return rtf::write(d);
}

using bench::Figures;
using bench::measure;

void report(const char* what, std::size_t bytes, const Figures& f) {
  std::printf("%-44s %8.1f KiB   best %8.1f ms   median %8.1f ms\n", what, bytes / 1024.0, f.best, f.median);
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
  s.TxtEdDlgFiltList = defaultFilterList();
  s.TxtEdDlgActFilt = 1;
  s.TxtEdDlgUseCritSiz = false;
  s.TxtEdDlgWordWrap = true;
  s.TextsEdStart = "C:\\";

  const std::string text = textFile(), rtfBytes = rtfFile();
  platform::writeFileReplacing(*platform::toHost("C:\\big.txt"), text);
  platform::writeFileReplacing(*platform::toHost("C:\\big.rtf"), rtfBytes);

  auto* w = new TTextEdF(0);
  w->show();
  QApplication::processEvents();

  // Opening as the user sees it: read, convert, fill the pane and paint its
  // first screen (the pane lays out the rest as it is scrolled to); then the
  // same with the whole document laid out, as the scroll bar's full range
  // needs it.
  auto firstScreen = [w] {
    w->EditBox->viewport()->repaint();
    QApplication::processEvents();
  };
  auto wholeLayout = [w, firstScreen] {
    w->EditBox->document()->documentLayout()->documentSize();
    firstScreen();
  };
  report("open 1 MB text file, first screen", text.size(), measure(runs, [&] {
           w->OpenAsText("big.txt");
           firstScreen();
         }));
  report("open 1 MB text file, whole layout", text.size(), measure(runs, [&] {
           w->OpenAsText("big.txt");
           wholeLayout();
         }));
  report("open 1 MB RTF file, first screen", rtfBytes.size(), measure(runs, [&] {
           w->OpenAsRtf("big.rtf");
           firstScreen();
         }));
  report("open 1 MB RTF file, whole layout", rtfBytes.size(), measure(runs, [&] {
           w->OpenAsRtf("big.rtf");
           wholeLayout();
         }));
  report("  of which: RTF reader alone", rtfBytes.size(), measure(runs, [&] { rtf::read(rtfBytes); }));
  const rtf::Document model = rtf::read(rtfBytes).document;
  QTextDocument doc;
  report("  of which: filling a QTextDocument", rtfBytes.size(),
         measure(runs, [&] { setDocumentFromRtf(doc, model); }));
  report("save the RTF back (convert, write)", rtfBytes.size(), measure(runs, [&] {
           w->FileNameEd->setText("out.rtf");
           w->SaveButClick();
         }));
  w->OpenAsText("big.txt");
  report("save the text back (encode, write)", text.size(), measure(runs, [&] {
           w->FileNameEd->setText("out.txt");
           w->SaveButClick();
         }));
  if (!script->messages.empty()) std::printf("messages shown: %zu (unexpected)\n", script->messages.size());
  delete w;
  return 0;
}
