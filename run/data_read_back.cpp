#include "data_read_back.hpp"

#include "content_checksum.hpp"
#include "text_mode.hpp"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace torvane {
namespace {

// The checksum of the bytes as the run wrote them. On Windows the file was written in text
// mode, each LF written lying on disk as CR LF: each CR LF read counts as the LF written.
std::uint64_t sum_as_written(const std::string& on_disk, const hash_key& key, std::uint64_t& length)
{
    content_checksum checksum(key);
    if constexpr (!text_mode_writes_crlf) {
        checksum.add(on_disk);
        length = on_disk.size();
        return checksum.value();
    }
    std::string written;
    written.reserve(std::min<std::size_t>(on_disk.size(), std::size_t{1} << 16));
    length = 0;
    for (std::size_t i = 0; i < on_disk.size(); ++i) {
        if (on_disk[i] == '\r' && i + 1 < on_disk.size() && on_disk[i + 1] == '\n')
            continue;
        written.push_back(on_disk[i]);
        if (written.size() == written.capacity()) {
            checksum.add(written);
            length += written.size();
            written.clear();
        }
    }
    checksum.add(written);
    length += written.size();
    return checksum.value();
}

} // namespace

bool read_back_data(const file_system& files, const char* path, written_report expected, std::string& text,
                    int& error)
{
    text.clear();
    error = 0;
    const std::unique_ptr<read_back_file> file = files.open_data(path, error);
    if (!file)
        return false;
    // No more than was written, and one byte to tell a file that grew: a file swapped for
    // an endless one is not read for ever.
    const std::uint64_t most = expected.bytes * 2 + 1;  // CR LF on disk for each LF written
    char chunk[1 << 16];
    while (text.size() <= most) {
        const piece_read read = file->read_next(chunk, sizeof chunk);
        text.append(chunk, read.bytes);
        if (read.error_number != 0) {
            error = read.error_number;
            return false;
        }
        if (read.bytes == 0)
            break;
    }
    if (text.size() > most)
        return false;
    std::uint64_t length = 0;
    const std::uint64_t checksum = sum_as_written(text, expected.key, length);
    return length == expected.bytes && checksum == expected.checksum;
}

} // namespace torvane
