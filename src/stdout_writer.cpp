#include "stdout_writer.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

#include "utils/stop.hpp"

namespace varnolt {

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

// Writes all of data to fd, going on after partial writes and interruptions.
// Returns 0, or the errno of the failure.
int write_all(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (written == 0) return EIO;
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

}  // namespace

void write_stdout(std::string_view text) {
    LineWriter& writer = stdout_line_writer();
    int error = 0;
    {
        std::lock_guard guard(writer.lock);
        writer.pending.append(text);
        const std::size_t end_of_lines = writer.pending.rfind('\n');
        if (end_of_lines == std::string::npos) return;
        error = write_all(STDOUT_FILENO, std::string_view(writer.pending).substr(0, end_of_lines + 1));
        if (error == 0) {
            writer.pending.erase(0, end_of_lines + 1);
        } else {
            writer.pending.clear();
        }
    }
    if (error != 0) utils::stop("failed printing to stdout: " + describe_os_error(error));
}

}  // namespace varnolt
