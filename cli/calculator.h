// Evaluates one input at a time and writes its answer line.
#ifndef EVALO_CLI_CALCULATOR_H
#define EVALO_CLI_CALCULATOR_H

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/transcoder.h"
#include "evalo.h"

namespace cli {

// Where an input came from, for the messages on standard error.
struct InputPlace {
  std::string_view kind;  // "line" or "argument"
  std::size_t number;     // from 1
};

// Answers the tool gives itself when an input never reaches the library.
enum class ToolError { kEncoding, kMemory };

struct CalculatorSettings {
  OutputMode output = OutputMode::kResultText;
  bool explain = false;     // show where each error is, on standard error
  bool lookalikes = false;  // read the marks typed for operators
};

class Calculator {
 public:
  Calculator(const Transcoder& transcoder, CalculatorSettings settings);

  // Sets the format text, given in the library's encoding like the
  // expressions.
  void SetFormat(const char* library_text);

  // Evaluates one input and writes its answer line; the input must be
  // followed by a NUL. False when writing stdout failed, which ends the run.
  bool Answer(std::string_view input, InputPlace place);

  // Writes the answer for an input that could not be evaluated, and the
  // problem on standard error. False when writing stdout failed.
  bool AnswerUnevaluated(InputPlace place, ToolError error, std::string_view problem);

  bool any_failed() const { return any_failed_; }

 private:
  struct Outcome {
    double value;
    int code;
    std::string text;  // the result or error text, in the library's encoding
  };

  bool AnswerOrThrow(std::string_view input, InputPlace place);
  Outcome Evaluate(const char* expression);
  std::string AnswerLine(const Outcome& outcome, std::string_view shown_text) const;
  void Explain(std::string_view input, std::string_view expression) const;

  const Transcoder& transcoder_;
  CalculatorSettings settings_;
  std::unique_ptr<evalo_context, void (*)(evalo_context*)> context_;
  std::string converted_;  // the last input converted to code page 932
  bool any_failed_ = false;
};

}  // namespace cli

#endif
