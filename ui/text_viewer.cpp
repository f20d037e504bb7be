#include "ui/text_viewer.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QVBoxLayout>

#include "platform/host.h"
#include "ui/qtext.h"
#include "util/cp1251.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {
namespace {

// Beyond this a text is no read-me: refused rather than read into memory.
constexpr std::uintmax_t kLargestText = 64u << 20;

QString decodeText(const std::string& bytes) {
  QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return toQ(bytes);
}

}  // namespace

TTextViewerF::TTextViewerF(QWidget* parent) : QDialog(parent) {
  setObjectName("TTextViewerF");
  setWindowFlags(Qt::Window);
  resize(720, 560);
  TextMemo = new QPlainTextEdit(this);
  TextMemo->setObjectName("TextMemo");
  TextMemo->setReadOnly(true);
  TextMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TextMemo);
}

bool TTextViewerF::openFile(const std::string& windowsPath) {
  const auto host = platform::toHost(windowsPath);
  std::error_code ec;
  if (!host || !std::filesystem::is_regular_file(*host, ec)) {
    messageBoxEx(ru("Не удается найти файл ") + windowsPath + ".", appTitle(), Icon::Warning, ButtonOk);
    return false;
  }
  const auto size = std::filesystem::file_size(*host, ec);
  if (ec || size > kLargestText) {
    messageBoxEx(ru("Файл ") + windowsPath + ru(" слишком велик для просмотра."), appTitle(), Icon::Warning,
                 ButtonOk);
    return false;
  }
  std::string bytes;
  if (platform::readWholeFile(*host, bytes) != platform::ReadStatus::Ok) {
    messageBoxEx(ru("Не удается открыть файл ") + windowsPath + ".", appTitle(), Icon::Warning, ButtonOk);
    return false;
  }
  TextMemo->setPlainText(decodeText(bytes));
  setWindowTitle(toQ(fileNamePart(windowsPath)));
  return true;
}

bool showPlainTextFile(const std::string& windowsPath, QWidget* parent) {
  auto* viewer = new TTextViewerF(parent);
  viewer->setAttribute(Qt::WA_DeleteOnClose);
  if (!viewer->openFile(windowsPath)) {
    delete viewer;
    return false;
  }
  viewer->show();
  return true;
}

}  // namespace kessik
