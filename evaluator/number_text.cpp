#include "evaluator/number_text.h"

#include <algorithm>
#include <string_view>

namespace evaluator {

// <number> = [ "+" | "-" ] { digit | "." | "," }, at most one ".", and each
// "," 4, 8, 12 ... bytes before the point (or before the end without one).
bool IsNumberText(std::string_view s) noexcept {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (s.empty()) return false;

  const std::size_t point = std::min(s.find('.'), s.size());
  bool pointSeen = false;
  for (std::size_t k = 0; k < s.size(); ++k) {
    const char b = s[k];
    if (b >= '0' && b <= '9') continue;
    if ((b == '+' || b == '-') && k == 0) continue;
    if (b == ',' && k >= 1 && k <= point && (point - k) % 4 == 0) continue;
    if (b == '.' && !pointSeen) {
      pointSeen = true;
      continue;
    }
    return false;
  }
  return true;
}

}  // namespace evaluator
