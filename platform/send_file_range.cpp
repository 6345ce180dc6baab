#include "send_file_range.hpp"

#if defined(__EMSCRIPTEN__) || defined(_WIN32)

namespace torvane {

// The page's in-memory file system moves no bytes between files by itself, and Windows'
// C runtime has no such call: the caller copies them through its own buffer.
send_result send_file_range(std::FILE*, std::FILE*, std::uint64_t, const std::function<bool()>&)
{
    return send_result::not_supported;
}

} // namespace torvane

#else

#include <algorithm>
#include <cerrno>

#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvane {
namespace {

// The most one call is asked to move; the kernel moves less per call anyway.
constexpr std::uint64_t most_per_call = std::uint64_t{1} << 30;

enum class way { copy_range, send };

ssize_t move_some(way how, int source, off_t& offset, int target, std::size_t size)
{
    if (how == way::copy_range)
        return copy_file_range(source, &offset, target, nullptr, size, 0);
    return sendfile(target, source, &offset, size);
}

bool regular_file(int descriptor)
{
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

send_result send_file_range(std::FILE* source_stream, std::FILE* target_stream, std::uint64_t bytes,
                            const std::function<bool()>& stop_requested)
{
    const int source = fileno(source_stream);
    const int target = fileno(target_stream);
    if (!regular_file(target))
        return send_result::not_supported;
    off_t offset = 0;
    way how = way::copy_range;
    while (static_cast<std::uint64_t>(offset) < bytes) {
        if (stop_requested && stop_requested())
            return send_result::target_failed;
        const auto size = static_cast<std::size_t>(std::min(bytes - static_cast<std::uint64_t>(offset), most_per_call));
        const ssize_t moved = move_some(how, source, offset, target, size);
        if (moved > 0)
            continue;
        if (moved == 0)
            return send_result::source_ended;
        if (errno == EINTR)
            continue;
        // A refusal before anything went out (a pipe for copy_file_range, a target that
        // takes no splice, a kernel without the call): try the next way, or let the
        // caller copy through its own buffer, which then meets any real fault itself.
        if (offset != 0)
            return send_result::target_failed;
        if (how == way::send)
            return send_result::not_supported;
        how = way::send;
    }
    return send_result::sent;
}

} // namespace torvane

#endif
