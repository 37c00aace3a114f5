#include "cli/line_reader.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace cli {
namespace {

// Large enough that a long line costs few reads, small enough to be a
// negligible part of the tool's memory.
constexpr std::size_t kChunkBytes = 64 * 1024;

}  // namespace

LineReader::LineReader(int fd, std::size_t max_line_bytes)
    : fd_(fd), max_line_bytes_(max_line_bytes), chunk_(kChunkBytes) {}

// Reads what is available (a terminal gives one line at a time, so each
// answer follows its line). False at the end of the input or on an error.
bool LineReader::Fill() {
  for (;;) {
    const ssize_t count = read(fd_, chunk_.data(), chunk_.size());
    if (count > 0) {
      chunk_begin_ = 0;
      chunk_end_ = static_cast<std::size_t>(count);
      return true;
    }
    if (count == 0) return false;
    if (errno != EINTR) {
      error_ = errno;
      return false;
    }
  }
}

LineReader::Result LineReader::GiveUpOnLine(Outcome outcome) {
  std::string().swap(line_);  // the memory goes back at once
  skipping_ = true;
  return {outcome, {}};
}

LineReader::Result LineReader::Next() {
  line_.clear();
  for (;;) {
    if (chunk_begin_ == chunk_end_ && !Fill()) {
      if (error_ != 0) return {Outcome::kReadError, {}};
      // A last line without LF is still a line; one already answered is not.
      const bool pending = !skipping_ && !line_.empty();
      skipping_ = false;
      if (!pending) return {Outcome::kEnd, {}};
      break;
    }
    const char* start = chunk_.data() + chunk_begin_;
    const std::size_t available = chunk_end_ - chunk_begin_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', available));
    const std::size_t piece = newline != nullptr ? static_cast<std::size_t>(newline - start)
                                                 : available;
    if (skipping_) {
      chunk_begin_ += newline != nullptr ? piece + 1 : piece;
      if (newline != nullptr) skipping_ = false;
      continue;
    }
    if (piece > max_line_bytes_ - line_.size()) return GiveUpOnLine(Outcome::kTooLong);
    try {
      line_.append(start, piece);
    } catch (const std::bad_alloc&) {
      return GiveUpOnLine(Outcome::kOutOfMemory);
    }
    chunk_begin_ += piece;
    if (newline != nullptr) {
      ++chunk_begin_;
      break;
    }
  }
  if (line_.ends_with('\r')) line_.pop_back();
  return {Outcome::kLine, line_};
}

}  // namespace cli
