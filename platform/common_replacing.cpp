// The host-independent half of ReplacingFile: small pieces are gathered and
// written out in large ones.
#include "platform/host.h"

namespace kessik::platform {
namespace {

constexpr std::size_t kWritePiece = 1 << 20;

}  // namespace

bool ReplacingFile::flush() {
  if (!failed_ && !pending_.empty()) failed_ = !writeOut(pending_);
  pending_.clear();
  return !failed_;
}

bool ReplacingFile::write(std::string_view data) {
  if (handle_ == -1 || failed_) return false;
  if (pending_.size() + data.size() <= kWritePiece) {
    pending_ += data;
    return true;
  }
  if (!flush()) return false;
  if (data.size() >= kWritePiece) {
    failed_ = !writeOut(data);
    return !failed_;
  }
  pending_ += data;
  return true;
}

bool writeFileReplacing(const std::filesystem::path& host, std::string_view data) {
  ReplacingFile file(host);
  return file.isOpen() && file.write(data) && file.commit();
}

}  // namespace kessik::platform
