// Reads standard input one line at a time.
#ifndef EVALO_CLI_LINE_READER_H
#define EVALO_CLI_LINE_READER_H

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string_view>

namespace cli {

class LineReader {
 public:
  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader();

  // The next line without its LF (and without the CR of a CR LF), or empty
  // at the end of input. getline grows the buffer for lines of any length.
  std::optional<std::string_view> Next(std::FILE* in);

 private:
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0;
};

}  // namespace cli

#endif
