#include "memory/available_memory.hpp"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <limits>

namespace varnolt::memory {

namespace {

constexpr std::uint64_t unknown = std::numeric_limits<std::uint64_t>::max();

// The whole file, or nullopt when it cannot be read. Files under /proc and
// /sys report no size, so this reads until the end.
std::optional<std::string> read_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    if (got < 0) return std::nullopt;
    return text;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char ch) { return ch == ' ' || ch == '\t' || ch == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A whole decimal number, nothing else.
std::optional<std::uint64_t> parse_number(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// The value of the line "name: N kB" of a /proc file, in bytes.
std::optional<std::uint64_t> kib_line(std::string_view text, std::string_view name) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.starts_with(name) || line.size() == name.size() || line[name.size()] != ':') continue;
        line = trimmed(line.substr(name.size() + 1));
        if (!line.ends_with("kB")) return std::nullopt;
        const std::optional<std::uint64_t> kib = parse_number(trimmed(line.substr(0, line.size() - 2)));
        if (!kib || *kib > unknown / 1024) return std::nullopt;
        return *kib * 1024;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> least(std::optional<std::uint64_t> a, std::optional<std::uint64_t> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

// The least headroom of the cgroup at mount + path and of its ancestors up to
// the mount itself.
std::optional<std::uint64_t> headroom_up_from(const std::string& mount, std::string path,
                                              const char* limit_file, const char* usage_file) {
    while (path.ends_with('/')) path.pop_back();  // "/" is the mount itself
    std::optional<std::uint64_t> lowest;
    while (true) {
        const std::string dir = mount + path;
        const std::optional<std::string> limit = read_file(dir + "/" + limit_file);
        const std::optional<std::string> usage = read_file(dir + "/" + usage_file);
        if (limit && usage) lowest = least(lowest, cgroup_headroom(*limit, *usage));
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) return lowest;
        path.resize(slash);  // "/a/b" -> "/a" -> "" (the mount itself)
    }
}

// The soft limit on resource, or nullopt when there is none.
std::optional<std::uint64_t> soft_limit(int resource) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    return limit.rlim_cur;
}

// limit − in_use; not knowing the use, the limit alone still bounds it.
std::optional<std::uint64_t> headroom(std::optional<std::uint64_t> limit,
                                      std::optional<std::uint64_t> in_use) {
    if (!limit || !in_use) return limit;
    return *limit > *in_use ? *limit - *in_use : 0;
}

}  // namespace

std::optional<std::uint64_t> mem_available(std::string_view meminfo) {
    return kib_line(meminfo, "MemAvailable");
}

std::optional<std::uint64_t> status_field(std::string_view status, std::string_view name) {
    return kib_line(status, name);
}

CgroupPaths cgroup_paths(std::string_view self_cgroup) {
    CgroupPaths paths;
    while (!self_cgroup.empty()) {
        const std::size_t end = std::min(self_cgroup.find('\n'), self_cgroup.size());
        const std::string_view line = self_cgroup.substr(0, end);
        self_cgroup.remove_prefix(std::min(end + 1, self_cgroup.size()));
        // "id:controllers:path"; the path itself may hold colons.
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, first);
        std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string path(line.substr(second + 1));
        if (id == "0" && controllers.empty()) {
            paths.unified = path;
            continue;
        }
        while (!controllers.empty()) {
            const std::size_t comma = std::min(controllers.find(','), controllers.size());
            if (controllers.substr(0, comma) == "memory") paths.memory_v1 = path;
            controllers.remove_prefix(std::min(comma + 1, controllers.size()));
        }
    }
    return paths;
}

std::optional<std::uint64_t> cgroup_headroom(std::string_view limit, std::string_view usage) {
    const std::optional<std::uint64_t> cap = parse_number(trimmed(limit));
    const std::optional<std::uint64_t> used = parse_number(trimmed(usage));
    if (!cap || !used) return std::nullopt;  // "max" included
    return *cap > *used ? *cap - *used : 0;
}

std::optional<std::uint64_t> cgroup_headroom_of_process(const MemorySources& sources) {
    const std::optional<std::string> self = read_file(sources.self_cgroup);
    if (!self) return std::nullopt;
    const CgroupPaths paths = cgroup_paths(*self);
    std::optional<std::uint64_t> lowest;
    if (paths.unified)
        lowest = least(lowest, headroom_up_from(sources.cgroup_mount, *paths.unified, "memory.max",
                                                "memory.current"));
    if (paths.memory_v1)
        lowest = least(lowest, headroom_up_from(sources.cgroup_mount + "/memory", *paths.memory_v1,
                                                "memory.limit_in_bytes", "memory.usage_in_bytes"));
    return lowest;
}

std::uint64_t usable_memory_bytes(const MemorySources& sources) {
    std::optional<std::uint64_t> lowest;
    if (const std::optional<std::string> meminfo = read_file(sources.meminfo))
        lowest = mem_available(*meminfo);
    lowest = least(lowest, cgroup_headroom_of_process(sources));

    // The limits count what the process has mapped (VmSize) and its data
    // (VmData); /proc/self/status is read only when a limit is set.
    const std::optional<std::uint64_t> as_limit = soft_limit(RLIMIT_AS);
    const std::optional<std::uint64_t> data_limit = soft_limit(RLIMIT_DATA);
    if (as_limit || data_limit) {
        const std::string status = read_file(sources.self_status).value_or("");
        lowest = least(lowest, headroom(as_limit, status_field(status, "VmSize")));
        lowest = least(lowest, headroom(data_limit, status_field(status, "VmData")));
    }
    return lowest.value_or(unknown);
}

}  // namespace varnolt::memory
