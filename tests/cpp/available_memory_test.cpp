// Reading how much memory the process can still use, on sample contents of
// /proc/meminfo, /proc/self/status, /proc/self/cgroup and of cgroup trees of
// both layouts written to a temporary directory (the machine's own cgroups are
// never touched).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "memory/available_memory.hpp"

namespace varnolt::test {
namespace {

namespace fs = std::filesystem;
using memory::cgroup_headroom;
using memory::cgroup_headroom_of_process;
using memory::cgroup_paths;
using memory::mem_available;
using memory::MemorySources;
using memory::status_field;
using memory::usable_memory_bytes;

constexpr const char* meminfo =
    "MemTotal:       24683772 kB\n"
    "MemFree:         1843060 kB\n"
    "MemAvailable:   22849432 kB\n"
    "Buffers:          290896 kB\n";

constexpr const char* status =
    "Name:\tpython3\n"
    "VmPeak:\t  400000 kB\n"
    "VmSize:\t  300000 kB\n"
    "VmData:\t   120000 kB\n";

TEST(AvailableMemory, ReadsKibFieldsAsBytes) {
    EXPECT_EQ(mem_available(meminfo), 22849432ull * 1024);
    EXPECT_EQ(status_field(status, "VmSize"), 300000ull * 1024);
    EXPECT_EQ(status_field(status, "VmData"), 120000ull * 1024);
    EXPECT_EQ(status_field(status, "VmPea"), std::nullopt);  // a prefix is not the name
    EXPECT_EQ(mem_available("MemTotal: 1 kB\n"), std::nullopt);
    EXPECT_EQ(mem_available("MemAvailable: lots kB\n"), std::nullopt);
    EXPECT_EQ(mem_available("MemAvailable: 99999999999999999999 kB\n"), std::nullopt);
    EXPECT_EQ(mem_available("MemAvailable"), std::nullopt);
}

TEST(AvailableMemory, FindsTheCgroupPathsOfBothLayouts) {
    struct Row { const char* file; std::optional<std::string> unified, memory_v1; };
    const Row rows[] = {
        {"0::/user.slice/session-3.scope\n", "/user.slice/session-3.scope", std::nullopt},
        {"4:memory:/process_api/1f90\n3:cpuset:/\n0::/\n", "/", "/process_api/1f90"},
        {"7:cpu,memory,pids:/docker/abc\n", std::nullopt, "/docker/abc"},
        {"5:memoryless:/x\n2:cpu:/y\n", std::nullopt, std::nullopt},
        {"0::/odd:name\n", "/odd:name", std::nullopt},
        {"", std::nullopt, std::nullopt},
    };
    for (const auto& [file, unified, memory_v1] : rows) {
        const memory::CgroupPaths paths = cgroup_paths(file);
        EXPECT_EQ(paths.unified, unified) << file;
        EXPECT_EQ(paths.memory_v1, memory_v1) << file;
    }
}

TEST(AvailableMemory, CgroupHeadroomIsLimitMinusUsage) {
    struct Row { const char* limit; const char* usage; std::optional<std::uint64_t> headroom; };
    const Row rows[] = {
        {"1073741824\n", "73741824\n", 1000000000},
        {"max\n", "12345\n", std::nullopt},          // v2 without a limit
        {"9223372036854771712\n", "581529600\n", 9223372036854771712ull - 581529600},  // v1 without
        {"1000\n", "4096\n", 0},                     // usage above the limit
        {"", "5\n", std::nullopt},
    };
    for (const auto& [limit, usage, headroom] : rows) EXPECT_EQ(cgroup_headroom(limit, usage), headroom) << limit;
}

// A scratch directory holding sample files, removed afterwards.
class SampleFiles : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("varnolt-memory-" + std::to_string(::getpid()) + "-" +
                                             testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(root_);
        sources_.meminfo = write("meminfo", meminfo);
        sources_.self_status = write("status", status);
        sources_.self_cgroup = (root_ / "cgroup").string();
        sources_.cgroup_mount = (root_ / "fs").string();
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string write(const fs::path& relative, const std::string& text) {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << text;
        return path.string();
    }

    fs::path root_;
    MemorySources sources_;
};

TEST_F(SampleFiles, UnifiedLayoutTakesTheTightestAncestor) {
    write("cgroup", "0::/outer/inner\n");
    write("fs/outer/memory.max", "3000000\n");
    write("fs/outer/memory.current", "2000000\n");  // 1 000 000 left
    write("fs/outer/inner/memory.max", "max\n");
    write("fs/outer/inner/memory.current", "1500000\n");
    EXPECT_EQ(cgroup_headroom_of_process(sources_), 1000000u);
}

TEST_F(SampleFiles, VersionOneLayoutReadsTheMemoryHierarchy) {
    write("cgroup", "4:memory:/jobs/7\n0::/\n");
    write("fs/memory/memory.limit_in_bytes", "9223372036854771712\n");
    write("fs/memory/memory.usage_in_bytes", "8000000000\n");
    write("fs/memory/jobs/7/memory.limit_in_bytes", "500000000\n");
    write("fs/memory/jobs/7/memory.usage_in_bytes", "200000000\n");
    EXPECT_EQ(cgroup_headroom_of_process(sources_), 300000000u);
}

TEST_F(SampleFiles, NoCgroupLimitLeavesTheAvailableMemory) {
    write("cgroup", "0::/free\n");
    write("fs/free/memory.max", "max\n");
    write("fs/free/memory.current", "1\n");
    EXPECT_EQ(cgroup_headroom_of_process(sources_), std::nullopt);
    sources_.self_cgroup = (root_ / "missing").string();
    EXPECT_EQ(cgroup_headroom_of_process(sources_), std::nullopt);
}

bool limited(int resource) {
    rlimit limit{};
    return ::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
}

TEST_F(SampleFiles, UsableMemoryIsTheLeastOfTheSources) {
    write("cgroup", "0::/job\n");
    write("fs/job/memory.max", "2000000000\n");
    write("fs/job/memory.current", "500000000\n");
    const std::uint64_t usable = usable_memory_bytes(sources_);
    EXPECT_LE(usable, 1500000000u);  // the cgroup, below MemAvailable (23 GB)
    // Exact values only where no rlimit of the test run itself takes part.
    if (limited(RLIMIT_AS) || limited(RLIMIT_DATA)) return;
    EXPECT_EQ(usable, 1500000000u);

    write("fs/job/memory.max", "max\n");
    EXPECT_EQ(usable_memory_bytes(sources_), 22849432ull * 1024);

    sources_.meminfo = (root_ / "missing").string();
    EXPECT_EQ(usable_memory_bytes(sources_), UINT64_MAX);  // nothing known
}

// In a child process, so that the limit stays there: a data limit 64 MB above
// what the process uses leaves about 64 MB.
TEST(AvailableMemory, DataLimitLeavesItsHeadroom) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ifstream file("/proc/self/status");
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::optional<std::uint64_t> in_use = status_field(text, "VmData");
        rlimit limit{};
        if (!in_use || ::getrlimit(RLIMIT_DATA, &limit) != 0) ::_exit(2);
        limit.rlim_cur = *in_use + (64 << 20);
        if (::setrlimit(RLIMIT_DATA, &limit) != 0) ::_exit(3);
        const std::uint64_t usable = usable_memory_bytes();
        ::_exit(usable <= (64u << 20) && usable >= (48u << 20) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace varnolt::test
