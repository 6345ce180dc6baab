#pragma once
// A matrix file: the order first, then the entries, as "mat.data" holds them (the
// dimension text, a line feed, the data text), or as a person writes it by hand, the
// order and the rows on one line or many.

#include <string>

namespace torvane {

struct box_texts {
    std::string dimension;
    std::string data;
    // In a matrix file: the file's own line feed lies between the two texts (else they
    // were cut apart after the first word, and the line feed the run saves between them
    // is not the file's).
    bool line_feed_between = false;
};

// The two box texts that, saved as "mat.data", read back as the same numbers as `text`.
// A UTF-8 byte-order mark at its start, which some editors write, is no part of them.
// A saved "mat.data" splits at its first line feed, which gives back the texts it was
// made from. When that would leave the data empty, as for "3 1 2 3 4 5 6 7 8 9" on one
// line (and an empty data box ends a run early), it splits after the first word instead:
// a line feed put where white space or the end already was changes no number.
box_texts split_matrix_text(std::string text);

} // namespace torvane
