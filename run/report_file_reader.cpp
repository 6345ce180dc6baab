#include "report_file_reader.hpp"

#include "content_checksum.hpp"
#include "report_file_open.hpp"
#include "send_file_range.hpp"
#include "two_threads.hpp"

#include <cerrno>
#include <new>


namespace torvane {
namespace {

constexpr std::size_t piece_size = std::size_t{1} << 20;
static_assert(piece_size % content_checksum::block_size == 0, "pieces summed apart must join");
constexpr std::size_t small_piece_size = std::size_t{1} << 16;

} // namespace

report_file_reader::report_file_reader(std::string path, written_report expected, two_threads& threads,
                                       const file_system& files, std::function<bool()> stop_requested)
    : path_(std::move(path)), expected_(expected), threads_(threads), files_(files),
      stop_requested_(std::move(stop_requested))
{
}

report_file_reader::~report_file_reader() = default;

// A second pass reads the same open file again, so a report swapped for another file
// between the check and the showing is not what gets shown.
bool report_file_reader::open_or_rewind()
{
    if (file_) {
        error_number_ = file_->rewind();
        return error_number_ == 0;
    }
    file_ = files_.open_report(path_, error_number_);
    return file_ != nullptr;
}

bool report_file_reader::pass(const sink* consume)
{
    complete_ = false;
    error_number_ = 0;
    if (!open_or_rewind())
        return false;
    if (file_->reads_at_offsets()) {
        std::unique_ptr<char[]> pieces[2] = {std::unique_ptr<char[]>(new (std::nothrow) char[piece_size]),
                                             std::unique_ptr<char[]>(new (std::nothrow) char[piece_size])};
        if (pieces[0] && pieces[1])
            return consume ? pass_handing_over(*consume, pieces) : pass_in_pairs(pieces);
    }
    // Where a large piece cannot be had (an address-space limit), a small one does the
    // same job more slowly, so the limit at which a run works does not depend on how
    // much the run took before.
    std::unique_ptr<char[]> piece(new (std::nothrow) char[piece_size]);
    if (piece)
        return pass_in_turn(consume, piece.get(), piece_size);
    char small[small_piece_size];
    return pass_in_turn(consume, small, sizeof small);
}

// Two pieces at a time, one on each core: each is read at its own place and summed on
// the thread that read it, while it is in that core's cache; then both are taken in order.
bool report_file_reader::pass_in_pairs(const std::unique_ptr<char[]> (&pieces)[2])
{
    std::uint64_t total = 0;
    content_checksum checksum(expected_.key);
    for (;;) {
        if (stopping())
            return false;  // a signal: printing stops within two pieces
        piece_read reads[2];
        content_checksum sums[2] = {content_checksum(expected_.key, total),
                                    content_checksum(expected_.key, total + piece_size)};
        threads_.run_in_two_parts([&](int part) {
            const auto p = static_cast<std::size_t>(part);
            reads[p] = file_->read_at(pieces[p].get(), piece_size, total + p * piece_size);
            sums[p].add(std::string_view(pieces[p].get(), reads[p].bytes));
        });
        for (std::size_t p = 0; p < 2; ++p) {
            if (reads[p].error_number != 0) {
                error_number_ = reads[p].error_number;
                return false;
            }
            total += reads[p].bytes;
            if (total > expected_.bytes)
                return false;
            checksum.append(sums[p]);
            if (reads[p].bytes < piece_size) {
                // The file ended here; more after it means it grew while being read.
                if (p == 0 && reads[1].bytes > 0)
                    return false;
                complete_ = total == expected_.bytes && checksum.value() == expected_.checksum;
                return complete_;
            }
        }
    }
}

// Each piece is handed over on this thread (a signal then interrupts a write that a
// reader holds up) while the helper reads and sums the next: the reading costs no time.
bool report_file_reader::pass_handing_over(const sink& consume, const std::unique_ptr<char[]> (&pieces)[2])
{
    std::uint64_t total = 0;
    content_checksum checksum(expected_.key);
    std::size_t read_before = 0;  // bytes in pieces[1 - next] to hand over
    bool ended = false;
    for (int next = 0; !ended || read_before > 0; next = 1 - next) {
        if (stopping())
            return false;  // a signal: printing stops within a piece
        piece_read read;
        content_checksum sum(expected_.key, total);
        threads_.run_in_two_parts([&](int part) {
            if (part == 0 && read_before > 0) {
                consume(std::string_view(pieces[1 - next].get(), read_before));
            } else if (part == 1 && !ended) {
                read = file_->read_at(pieces[next].get(), piece_size, total);
                sum.add(std::string_view(pieces[next].get(), read.bytes));
            }
        });
        if (ended)
            break;
        if (read.error_number != 0) {
            error_number_ = read.error_number;
            return false;
        }
        total += read.bytes;
        if (total > expected_.bytes)
            return false;
        checksum.append(sum);
        read_before = read.bytes;
        ended = read.bytes < piece_size;
    }
    complete_ = total == expected_.bytes && checksum.value() == expected_.checksum;
    return complete_;
}

bool report_file_reader::pass_in_turn(const sink* consume, char* piece, std::size_t size)
{
    std::uint64_t total = 0;
    content_checksum checksum(expected_.key);
    for (;;) {
        const piece_read read = file_->read_next(piece, size);
        if (read.bytes > 0) {
            if (stopping())
                return false;
            total += read.bytes;
            if (total > expected_.bytes)
                return false;
            const std::string_view bytes(piece, read.bytes);
            checksum.add(bytes);
            if (consume)
                (*consume)(bytes);
        }
        if (read.error_number != 0) {
            error_number_ = read.error_number;
            return false;
        }
        if (read.bytes == 0)
            break;  // the file ended
    }
    complete_ = total == expected_.bytes && checksum.value() == expected_.checksum;
    return complete_;
}

bool report_file_reader::verify()
{
    checked_ = pass(nullptr);
    return checked_;
}

// The text handed over is summed as it goes: once it was checked, a difference now means
// the file changed between the check and the showing.
bool report_file_reader::read(const sink& consume)
{
    const bool same = pass(&consume);
    // A read that failed is said as such: the file may be as it was checked.
    if (checked_ && !same && !stopping() && error_number_ == 0)
        changed_while_shown_ = true;
    return same;
}

report_source::sending report_file_reader::send_to(std::FILE* out)
{
    // Only the checked text may go out: right after a verify() that passed, of a file no
    // one could have written to since.
    if (!file_ || !complete_ || !file_->held_steady() || !file_->stream())
        return sending::not_possible;
    if (std::fflush(out) != 0)
        return sending::failed;
    switch (send_file_range(file_->stream(), out, expected_.bytes, stop_requested_)) {
    case send_result::sent:
        // The kernel gives a lease up once a writer has waited out the lease-break time:
        // what went out after that cannot be vouched for.
        if (!lease_intact(file_->stream())) {
            complete_ = false;
            changed_while_shown_ = true;
        }
        return sending::done;
    case send_result::not_supported:
        return sending::not_possible;
    case send_result::source_ended:
        // Cut short after it was checked: what went out is not the checked report.
        complete_ = false;
        changed_while_shown_ = true;
        return sending::done;
    case send_result::target_failed:
        break;
    }
    return sending::failed;
}

bool read_report(report_source& report, std::string& text)
{
    text.clear();
    return report.read([&text](std::string_view piece) { text.append(piece); });
}

} // namespace torvane
