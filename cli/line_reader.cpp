#include "cli/line_reader.h"

#include <sys/types.h>

#include <cstdlib>

namespace cli {

LineReader::~LineReader() { std::free(buffer_); }

std::optional<std::string_view> LineReader::Next(std::FILE* in) {
  const ssize_t length = getline(&buffer_, &capacity_, in);
  if (length < 0) return std::nullopt;
  std::string_view line(buffer_, static_cast<std::size_t>(length));
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace cli
