// Shows where an error is: the input line and a caret line under the token.
#ifndef EVALO_CLI_EXPLAIN_H
#define EVALO_CLI_EXPLAIN_H

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/transcoder.h"

namespace cli {

// The line of blanks and carets that puts a caret under each column of the
// token at [offset, offset + length) of the library's text, as a terminal
// shows that text: double-byte and wide characters take two columns, and
// tabs are kept so that they widen both lines alike. At least one caret.
std::string CaretLine(std::string_view library_text, LibraryEncoding encoding,
                      std::size_t offset, std::size_t length);

}  // namespace cli

#endif
