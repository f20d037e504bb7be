// The host-independent half of ReplacingFile: small pieces are gathered and
// written out in large ones.
#include <algorithm>

#include "platform/host.h"

namespace kessik::platform {
namespace {

constexpr std::size_t kWritePiece = 1 << 20;

}  // namespace

bool ReplacingFile::fail(const SystemError& reason) {
  if (error_.reason == Failure::None) error_ = reason;
  noteFailure(error_);
  return false;
}

bool ReplacingFile::flush() {
  if (!failed_ && !pending_.empty()) {
    // writeOut notes why it failed.
    failed_ = !writeOut(pending_);
    if (failed_) fail(lastFailure());
    written_ += pending_.size();
  }
  pending_.clear();
  return failed_ ? fail(error_) : true;
}

bool ReplacingFile::write(std::string_view data) {
  if (handle_ == -1 || failed_) return fail(error_);
  if (pending_.size() + data.size() <= kWritePiece) {
    pending_ += data;
    return true;
  }
  if (!flush()) return false;
  if (data.size() >= kWritePiece) {
    failed_ = !writeOut(data);
    written_ += data.size();
    return failed_ ? fail(lastFailure()) : true;
  }
  pending_ += data;
  return true;
}

bool ReplacingFile::writeAt(std::uint64_t offset, std::string_view data) {
  if (handle_ == -1 || failed_) return fail(error_);
  // A place past the end is a fault of the caller's, not of the disk.
  if (offset + data.size() > size()) return false;
  // The part already written out, then the part still waiting.
  if (offset < written_) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), written_ - offset));
    if (!writeOutAt(offset, data.substr(0, n))) {
      failed_ = true;
      return fail(lastFailure());
    }
    data.remove_prefix(n);
    offset += n;
  }
  if (!data.empty()) pending_.replace(static_cast<std::size_t>(offset - written_), data.size(), data);
  return true;
}

bool writeFileReplacing(const std::filesystem::path& host, std::string_view data) {
  ReplacingFile file(host);
  // Each call that fails notes its reason.
  return file.isOpen() && file.write(data) && file.commit();
}

}  // namespace kessik::platform
