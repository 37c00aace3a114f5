// Reads input one line at a time, in bounded memory whatever the input.
#ifndef EVALO_CLI_LINE_READER_H
#define EVALO_CLI_LINE_READER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

class LineReader {
 public:
  enum class Outcome {
    kLine,         // a whole line
    kTooLong,      // the line passed the limit; the rest of it is skipped
    kOutOfMemory,  // the line did not fit in memory; the rest is skipped
    kEnd,          // the end of the input
    kReadError,    // reading failed; error() tells why
  };

  struct Result {
    Outcome outcome;
    // For kLine: the line without its LF (and without the CR of a CR LF).
    // A NUL byte always follows it, so it can be passed on as a C text.
    std::string_view line;
  };

  LineReader(int fd, std::size_t max_line_bytes);

  // The next line, or what kept it from being read. An over-long line is
  // reported as soon as it passes the limit, so an endless line answers
  // at once and is then skipped in constant memory.
  Result Next();

  int error() const { return error_; }

 private:
  bool Fill();
  Result GiveUpOnLine(Outcome outcome);

  int fd_;
  std::size_t max_line_bytes_;
  std::vector<char> chunk_;
  std::size_t chunk_begin_ = 0;
  std::size_t chunk_end_ = 0;
  std::string line_;
  bool skipping_ = false;  // inside a line already answered
  int error_ = 0;
};

}  // namespace cli

#endif
