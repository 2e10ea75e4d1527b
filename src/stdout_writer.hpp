#pragma once
// The process's own standard output (file descriptor 1), not sys.stdout: one
// process-wide writer behind a lock, buffered by line. Each completed line is
// handed to the operating system as soon as its newline is written.
#include <string_view>

namespace varnolt {

// Stops the call with "failed printing to stdout: ..." when the line cannot be
// written; what was not written is dropped so that it cannot resurface later.
// A write that a signal interrupts runs the signal handlers (the interpreter
// lock is held); when one raises (KeyboardInterrupt for Ctrl-C), the rest is
// dropped and PythonErrorSet thrown, so that a full pipe blocks only until
// Ctrl-C. Otherwise the write is retried.
void write_stdout(std::string_view text);

}  // namespace varnolt
