#include "core/file_buf.h"

#include <algorithm>

#include "platform/host.h"
#include "util/cp1251.h"
#include "platform/files.h"
#include "util/notify.h"
#include "util/paths.h"

namespace kessik {

bool TFileInString::LoadFromFile(std::string_view path) {
  data_.clear();
  readFailed_ = false;
  auto host = platform::toHost(path);
  auto status = host ? platform::readWholeFile(*host, data_) : platform::ReadStatus::Missing;
  const platform::SystemError why = platform::lastFailure();
  if (status == platform::ReadStatus::Missing) {
    messageBox(ru("Ошибка! Типа не могу открыть файл, т.к. открывать то нечего. Проверьте пути."));
    return false;
  }
  loaded_ = true;
  if (status == platform::ReadStatus::CannotOpen) {
    data_.clear();
    readFailed_ = true;
    messageBoxEx("Error, loading" + std::string(path) + platform::failureLine(platform::FileDeed::Read, path, why),
                 "Error", Icon::Error);
  }
  return true;
}

bool TFileInString::SaveToFile(std::string_view path) {
  if (!data_.empty() && !loaded_) {
    messageBox(ru("МЛИН, кароче в обьект класа еще ни разу ниче не грузилось! А сохранять то чего блин??? "
                  "Типа ошибка, ниче не сохранилось :("));
    return false;
  }
  std::string folder = folderPart(path);
  if (!folder.empty()) createFolderTree(folder);
  auto host = platform::toHost(path);
  if (!host || !platform::writeFileReplacing(*host, data_)) {
    const auto why = host ? platform::lastFailure() : platform::failureOf(platform::Failure::NoDrive);
    messageBoxEx("Error, Saving" + std::string(path) + platform::failureLine(platform::FileDeed::Write, path, why),
                 "Error", Icon::Error);
    return false;
  }
  if (!data_.empty()) loaded_ = true;
  return true;
}

void TFileInString::Clear() {
  data_.clear();
  loaded_ = true;
}

ByteString TFileInString::CopyBytes(std::int64_t count, std::int64_t position) const {
  if (count < 0 || position < 1 || position - 1 > Size() || count > Size() - (position - 1)) return {};
  return data_.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(count));
}

void TTextFileInString::AppendLine(std::string_view text) {
  data_ += text;
  data_ += "\r\n";
}

std::int64_t TTextFileInString::LineEnd(std::int64_t position) const {
  if (position < 1) position = 1;
  if (position > Size()) return Size() + 1;
  auto cr = data_.find('\r', static_cast<std::size_t>(position - 1));
  return cr == std::string::npos ? Size() + 1 : static_cast<std::int64_t>(cr) + 1;
}

std::string TTextFileInString::LineAt(std::int64_t position) const {
  if (position < 1 || position > Size()) return {};
  std::int64_t end = LineEnd(position);
  return data_.substr(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(end - position));
}

std::string TTextFileInString::ReadLine() {
  std::string line = LineAt(Position);
  Position = std::max<std::int64_t>(Position, 1) + static_cast<std::int64_t>(line.size());
  if (Position > Size() + 1) Position = Size() + 1;
  return line;
}

std::string TTextFileInString::ReadLineAndSkip() {
  std::string line = ReadLine();
  std::int64_t remaining = Size() + 1 - Position;
  if (remaining >= 2)
    Position += 2;
  else if (remaining == 1)
    Position = Size() + 1;
  return line;
}

bool TTextFileInString::AtEnd() {
  if (Position > Size() + 1) Position = Size() + 1;
  return Position == Size() + 1;
}

void TTextFileInString::InsertAt(std::string_view text, std::int64_t position) {
  position = std::clamp<std::int64_t>(position, 1, Size() + 1);
  data_.insert(static_cast<std::size_t>(position - 1), text);
}

void TTextFileInString::ReplaceLineAt(std::string_view text, std::int64_t position) {
  if (position < 1 || position > Size() + 1) return;
  std::int64_t end = LineEnd(position);
  data_.replace(static_cast<std::size_t>(position - 1), static_cast<std::size_t>(end - position), text);
}

}  // namespace kessik
