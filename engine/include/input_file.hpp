#pragma once
// The engine's one input stream: a text file read back as numbers. Like a standard
// stream, it has an error state that one failed extraction sets and that stays set,
// failing every later extraction, until clear() is called.

#include <cstdint>
#include <string>
#include <string_view>

namespace torvane {

// A place in the text as a line-oriented reader sees it: the line feeds before it, and
// the bytes between the last of them and it. Text written in a text mode that puts a CR
// before each line feed gives the same place as the text itself.
struct text_place {
    std::uint64_t line = 0;
    std::uint64_t byte = 0;
};

// The extraction that set the error state, and why it failed.
struct extraction_stop {
    enum class cause {
        none,          // no extraction has failed since the state was last cleared
        not_open,      // there was no text to read
        end_of_text,   // only white space was left
        not_a_number,  // the text there does not read as a number
        out_of_range,  // a number too large for its type
    };
    cause why = cause::none;
    text_place where;  // where the number would have started, past the white space
};

class input_file {
public:
    // Opens on the text of a file, read whole and held in memory. Fails (and sets the
    // error state) when the stream is already open; the error state is not cleared by opening.
    bool open_text(std::string_view text);
    // Closing a stream that is not open fails and sets the error state.
    void close();

    void clear()
    {
        failed_ = false;
        stop_ = {};
    }
    // The first failed extraction since the last clear(): the one that set the error state.
    const extraction_stop& stop() const { return stop_; }
    // Where the last extraction started its number.
    text_place last_number_place() const { return place_of(last_start_); }

    // A failed extraction leaves its target unchanged.
    bool extract(std::int32_t& target);
    bool extract(float& target);

private:
    template <class Scan, class T> bool extract_with(Scan scan, T& target);
    void note_failure(extraction_stop::cause why, std::size_t at);
    text_place place_of(std::size_t at) const;

    std::string text_;
    std::size_t pos_ = 0;
    std::size_t last_start_ = 0;
    bool open_ = false;
    bool failed_ = false;
    extraction_stop stop_;
};

} // namespace torvane
