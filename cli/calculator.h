// Evaluates one input at a time and writes its answer line.
#ifndef EVALO_CLI_CALCULATOR_H
#define EVALO_CLI_CALCULATOR_H

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/transcoder.h"

namespace cli {

// Where an input came from, for the messages on standard error.
struct InputPlace {
  std::string_view kind;  // "line" or "argument"
  std::size_t number;     // from 1
};

class Calculator {
 public:
  Calculator(const Transcoder& transcoder, bool print_value)
      : transcoder_(transcoder), print_value_(print_value) {}

  // Evaluates one input and writes its answer line. False when writing
  // stdout failed, which ends the run.
  bool Answer(std::string_view input, InputPlace place);

  bool any_failed() const { return any_failed_; }

 private:
  bool ReportEncodingFault(InputPlace place, const std::string& problem);

  const Transcoder& transcoder_;
  bool print_value_;
  bool any_failed_ = false;
};

}  // namespace cli

#endif
