#pragma once
// The report as a terminal shows it: GBK labels in the terminal's encoding, LF line ends.
// The report is converted as it streams past, so a label or a CR LF may be split
// between two pieces.

#include "terminal.hpp"

#include <string>
#include <string_view>

namespace torvane {

// Whether the user lets colours reach a terminal: not when NO_COLOR holds a value, nor
// for TERM=dumb, a terminal that does not understand them.
bool colour_wanted();

class terminal_text {
public:
    explicit terminal_text(terminal_encoding encoding) : encoding_(encoding) {}
    // Appends the converted text of `piece` to `out`.
    void convert(std::string_view piece, std::string& out);
    // Appends whatever a split sequence at the very end held back.
    void finish(std::string& out);

private:
    void put_pair(unsigned char lead, unsigned char trail, std::string& out) const;

    terminal_encoding encoding_;
    int pending_ = -1;  // a CR or a GBK lead byte waiting for the next byte
};

} // namespace torvane
