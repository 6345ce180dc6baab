#pragma once
// The engine's one input stream: a text file read back as numbers. Like a standard
// stream, it has an error state that one failed extraction sets and that stays set,
// failing every later extraction, until clear() is called.

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

class input_file {
public:
    // Reads the whole file. Fails (and sets the error state) when the file cannot be
    // read or when the stream is already open; the error state is not cleared by opening.
    bool open(const std::string& path);
    // Opens on text held in memory, as if it were a file's contents.
    bool open_text(std::string_view text);
    // Closing a stream that is not open fails and sets the error state.
    void close();

    bool is_open() const { return open_; }
    bool fail() const { return failed_; }
    void clear() { failed_ = false; }

    // A failed extraction leaves its target unchanged.
    bool extract(std::int32_t& target);
    bool extract(float& target);

private:
    template <class Scan, class T> bool extract_with(Scan scan, T& target);

    std::string text_;
    std::size_t pos_ = 0;
    bool open_ = false;
    bool failed_ = false;
};

} // namespace torvane
