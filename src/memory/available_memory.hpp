#pragma once
// How many more bytes this process can allocate: the least of the memory the
// system still has available, the headroom left by the process's cgroup (and
// its ancestors) and the headroom under its address-space and data limits.
// Knows nothing of Python, so that any module can size its work by it. The
// parsers take file contents, so that they can be checked on sample files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnolt::memory {

// "MemAvailable:" of /proc/meminfo, in bytes.
std::optional<std::uint64_t> mem_available(std::string_view meminfo);

// A "Name:  N kB" field of /proc/self/status (VmSize, VmData), in bytes.
std::optional<std::uint64_t> status_field(std::string_view status, std::string_view name);

// The process's cgroup paths from /proc/self/cgroup: the unified (v2)
// hierarchy ("0::/path") and the v1 hierarchy of the memory controller
// ("N:memory:/path", possibly among other controllers).
struct CgroupPaths {
    std::optional<std::string> unified;
    std::optional<std::string> memory_v1;
};
CgroupPaths cgroup_paths(std::string_view self_cgroup);

// limit − usage from the contents of a limit file and a usage file: v2's
// memory.max ("max" when unlimited) and memory.current, or v1's
// memory.limit_in_bytes and memory.usage_in_bytes. nullopt when unlimited or
// unreadable; 0 when usage has reached the limit.
std::optional<std::uint64_t> cgroup_headroom(std::string_view limit, std::string_view usage);

// Where the readings come from; tests point them at sample files.
struct MemorySources {
    std::string meminfo = "/proc/meminfo";
    std::string self_cgroup = "/proc/self/cgroup";
    std::string self_status = "/proc/self/status";
    std::string cgroup_mount = "/sys/fs/cgroup";  // v2 here, v1 memory in its "memory"
};

// The least headroom over the process's cgroup and all its ancestors, in both
// layouts; nullopt when no cgroup limits the process.
std::optional<std::uint64_t> cgroup_headroom_of_process(const MemorySources& sources);

// The bytes this process can still allocate; UINT64_MAX when no source says.
std::uint64_t usable_memory_bytes(const MemorySources& sources = {});

}  // namespace varnolt::memory
