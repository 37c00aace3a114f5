// format with arbitrary bytes, then evalos: the input is the format text up
// to its first NUL and the expression after it. Without a NUL the value
// comes from a table that reaches the edges of every conversion.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "fuzz/checks.h"

namespace {

constexpr const char* kValues[] = {
    "-1234.5678", "0", "0/-5", "1/3", "2^31", "-2^31", "2^32-1", "2^53+1", "1E300", "-1E-300",
    "0.5", "-0.5", "9.9999999", "123456789012345678", "2^-1074", "1E15+0.5", "PI*1E17",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string formatInput = input.substr(0, nul);
  const std::string expression =
      nul == std::string::npos ? kValues[size % std::size(kValues)] : input.substr(nul + 1);

  const char* stored = format(formatInput.c_str());
  const std::size_t kept = std::min<std::size_t>(formatInput.size(), 7);
  if (std::memchr(stored, '\0', 8) == nullptr || std::strlen(stored) != kept ||
      std::memcmp(stored, formatInput.data(), kept) != 0)
    fuzz::Finding("format did not store the first 7 bytes", expression, formatInput.c_str());
  const std::string formatText = stored;
  fuzz::CheckExpression(expression.c_str(), formatText.c_str());
  return 0;
}
