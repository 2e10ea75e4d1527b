#include "stdout_writer.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "boundary/py_ref.hpp"
#include "primitives/stop.hpp"

namespace varnolt {

using boundary::PythonErrorSet;

namespace {

struct LineWriter {
    std::mutex lock;
    std::string pending;  // text after the last newline written
};

LineWriter& stdout_line_writer() {
    static LineWriter writer;
    return writer;
}

std::string describe_os_error(int error) {
    return std::string(std::strerror(error)) + " (os error " + std::to_string(error) + ")";
}

// How writing lines ended.
struct WriteEnd {
    int error = 0;               // errno of a failed write, or 0
    bool signal_raised = false;  // a signal handler raised; its exception is set
};

// Writes all of data to fd, going on after partial writes. When a signal
// interrupts the write, or cuts it short, the signal handlers run: a handler
// that raises ends the writing.
WriteEnd write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0 && errno != EINTR) return {errno, false};
        if (written == 0) return {EIO, false};
        if (written > 0) data.remove_prefix(static_cast<std::size_t>(written));
        if (!data.empty() && PyErr_CheckSignals() != 0) return {0, true};
    }
    return {};
}

}  // namespace

void write_stdout(std::string_view text) {
    LineWriter& writer = stdout_line_writer();
    std::string lines;
    {
        std::lock_guard guard(writer.lock);
        writer.pending.append(text);
        const std::size_t end_of_lines = writer.pending.rfind('\n');
        if (end_of_lines == std::string::npos) return;
        lines = writer.pending.substr(0, end_of_lines + 1);
        writer.pending.erase(0, end_of_lines + 1);
    }
    // Written without the lock: a signal handler that runs meanwhile may
    // print through here too.
    const WriteEnd end = write_all(STDOUT_FILENO, lines);
    if (end.signal_raised || end.error != 0) {
        std::lock_guard guard(writer.lock);
        writer.pending.clear();
    }
    if (end.signal_raised) throw PythonErrorSet{};
    if (end.error != 0) primitives::stop("failed printing to stdout: " + describe_os_error(end.error));
}

}  // namespace varnolt
