#pragma once
// Copying the start of a regular file to another regular file inside the kernel, without
// passing the bytes through this program (Linux only).

#include <cstdint>
#include <cstdio>
#include <functional>

namespace torvane {

enum class send_result {
    sent,          // all of it
    not_supported, // refused before a byte went out: nothing was sent
    source_ended,  // the source held fewer bytes
    target_failed, // the target stopped taking bytes part way
};

// Sends the first `bytes` bytes of `source` (read from its start, whatever its position)
// to `target` at the target's position: copy_file_range (on one file system the blocks
// may even be shared, copied when either file is written later), sendfile otherwise.
// Only into a regular file: into a pipe or a socket the kernel hands over references to
// the source's pages, not a copy, so a change made to the source afterwards would still
// reach the reader; there the caller copies through its own buffer. Gives up
// (target_failed) once `stop_requested` says so: a signal interrupts a send blocked on a
// reader that stopped reading, and the program must not wait on.
send_result send_file_range(std::FILE* source, std::FILE* target, std::uint64_t bytes,
                            const std::function<bool()>& stop_requested = {});

} // namespace torvane
