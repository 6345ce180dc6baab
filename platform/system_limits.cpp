#include "system_limits.hpp"

#include <filesystem>
#include <limits>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace torvane {

std::uint64_t physical_memory_bytes()
{
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status))
        return status.ullTotalPhys;
#else
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGESIZE);
    if (pages > 0 && page_size > 0)
        return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(page_size);
#endif
    return std::numeric_limits<std::uint64_t>::max();
}

std::uint64_t address_space_limit_bytes()
{
#ifndef _WIN32
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        return static_cast<std::uint64_t>(limit.rlim_cur);
#endif
    return std::numeric_limits<std::uint64_t>::max();
}

std::uint64_t usable_memory_bytes()
{
    const std::uint64_t physical = physical_memory_bytes();
    const std::uint64_t limit = address_space_limit_bytes();
    return limit < physical ? limit : physical;
}

std::uint64_t current_directory_free_bytes()
{
    std::error_code error;
    const auto space = std::filesystem::space(".", error);
    if (error)
        return std::numeric_limits<std::uint64_t>::max();
    return space.available;
}

} // namespace torvane
