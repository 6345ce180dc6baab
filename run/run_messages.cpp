#include "run_messages.hpp"

#include "order_limits.hpp"
#include "system_limits.hpp"

#include <cerrno>
#include <cstring>
#include <limits>

namespace torvane {
namespace {

std::string number(std::uint64_t value) { return std::to_string(value); }

// The needs saturate at the largest 64-bit count (16 EiB): past it only "more than" is true.
std::string bytes_needed(std::uint64_t value)
{
    return value == std::numeric_limits<std::uint64_t>::max() ? "more than " + number(value) : number(value);
}

std::string quoted(const std::string& file) { return "\"" + file + "\""; }

// The open calls give ESPIPE for a file that is a named pipe, a socket or a device: such
// a file cannot give back what was written to it.
std::string reason(int error_number)
{
    if (error_number == ESPIPE)
        return ": it is not a regular file but a named pipe or a device";
    return error_number != 0 ? std::string(": ") + std::strerror(error_number) : std::string();
}

std::string lock_wait_seconds(const run_status& status)
{
    return number(static_cast<std::uint64_t>(status.lock_waited.count() / 1000));
}

std::uint64_t order_bytes_needed(const run_status& status)
{
    return status.failure == run_failure::too_large_for_disk ? smallest_report_bytes(status.order)
                                                              : matrix_bytes(status.order);
}

// What bounds the memory: the process's address-space limit where one is set below the
// machine's memory, the machine's memory otherwise.
bool address_space_limited() { return address_space_limit_bytes() < physical_memory_bytes(); }

std::string memory_bound_english()
{
    if (address_space_limited())
        return "this process's address-space limit (ulimit -v) of " + number(address_space_limit_bytes()) + " bytes";
    return "this machine's memory of " + number(physical_memory_bytes()) + " bytes";
}

std::string out_of_memory_english(const run_status& status)
{
    const std::string order = number(static_cast<std::uint64_t>(status.order));
    std::string text = status.order > 0 ? "memory ran out for an order of " + order + ": "
                                        : "memory ran out before the order was read: ";
    if (address_space_limited())
        text += "the run needs more than " + memory_bound_english() + " lets it have";
    else
        text += "not enough of " + memory_bound_english() + " was free";
    if (status.order > 0)
        text += " (its working matrix alone needs " + bytes_needed(matrix_bytes(status.order)) + " bytes)";
    return text;
}

// GBK texts; their meaning is given beside each.
constexpr const char* zh_order = "\xBD\xD7\xCA\xFD\x20";                                         // "阶数 "
constexpr const char* zh_matrix_needs = "\x20\xB5\xC4\xB9\xA4\xD7\xF7\xBE\xD8\xD5\xF3\xD0\xE8\xD2\xAA\x20"; // " 的工作矩阵需要 "
constexpr const char* zh_bytes_of_memory =
    "\x20\xD7\xD6\xBD\xDA\xC4\xDA\xB4\xE6\xA3\xAC\xB3\xAC\xB3\xF6\xB1\xBE\xBB\xFA\xC4\xDA\xB4\xE6\xA1\xA3"; // " 字节内存，超出本机内存。"
constexpr const char* zh_report_needs = "\x20\xB5\xC4\xB1\xA8\xB8\xE6\xD6\xC1\xC9\xD9\xD0\xE8\xD2\xAA\x20"; // " 的报告至少需要 "
constexpr const char* zh_bytes_of_disk =
    "\x20\xD7\xD6\xBD\xDA\xB4\xC5\xC5\xCC\xBF\xD5\xBC\xE4\xA3\xAC\xB5\xB1\xC7\xB0\xC4\xBF\xC2\xBC\xD6\xBB\xCA\xA3\x20"; // " 字节磁盘空间，当前目录只剩 "
constexpr const char* zh_bytes_end = "\x20\xD7\xD6\xBD\xDA\xA1\xA3";                                 // " 字节。"
constexpr const char* zh_cannot_write = "\xCE\xDE\xB7\xA8\xD0\xB4\xC8\xEB\xCE\xC4\xBC\xFE\x20";       // "无法写入文件 "
constexpr const char* zh_cannot_read_back =
    "\xCE\xDE\xB7\xA8\xB0\xB4\xD0\xB4\xC8\xEB\xB5\xC4\xC4\xDA\xC8\xDD\xB6\xC1\xBB\xD8\xCE\xC4\xBC\xFE\x20"; // "无法按写入的内容读回文件 "
constexpr const char* zh_read_reason =
    "\xA3\xA8\xCE\xC4\xBC\xFE\xB1\xBB\xC9\xBE\xB3\xFD\xA1\xA2\xB8\xFC\xB8\xC4\xBB\xF2\xCE\xDE\xB7\xA8\xB6\xC1\xC8\xA1\xA3\xA9\xA1\xA3"; // "（文件被删除、更改或无法读取）。"
constexpr const char* zh_full_stop = "\xA1\xA3"; // "。"
constexpr const char* zh_beyond_front_end =
    " \xB3\xAC\xB3\xF6\xC1\xCB\xB1\xBE\xB3\xCC\xD0\xF2\xC4\xDC\xCF\xD4\xCA\xBE\xB5\xC4\xB7\xB6\xCE\xA7\xA1\xA3"; // " 超出了本程序能显示的范围。"
constexpr const char* zh_other_run_busy =
    "\xc1\xed\xd2\xbb\xb8\xf6\xbc\xc6\xcb\xe3\xd5\xfd\xd4\xda\xb4\xcb\xc4\xbf\xc2\xbc\xd6\xd0\xbd\xf8\xd0\xd0\xa3\xac\xb5\xc8\xb4\xfd\xb3\xac\xb9\xfd\x20"; // "另一个计算正在此目录中进行，等待超过 "
constexpr const char* zh_seconds_try_later =
    "\x20\xc3\xeb\xba\xf3\xb7\xc5\xc6\xfa\xa1\xa3\xc7\xeb\xd4\xda\xcb\xfc\xbd\xe1\xca\xf8\xba\xf3\xd4\xd9\xca\xd4\xa1\xa3"; // " 秒后放弃。请在它结束后再试。"
constexpr const char* zh_cannot_lock = "\xce\xde\xb7\xa8\xcb\xf8\xb6\xa8\xc4\xbf\xc2\xbc\x20"; // "无法锁定目录 "
constexpr const char* zh_not_exclusive =
    "\xa3\xac\xb2\xbb\xc4\xdc\xc8\xb7\xb1\xa3\xd6\xbb\xd3\xd0\xd2\xbb\xb8\xf6\xbc\xc6\xcb\xe3\xd4\xda\xca\xb9\xd3\xc3\xcb\xfc\xa1\xa3"; // "，不能确保只有一个计算在使用它。"

constexpr const char* zh_out_of_memory = "\x20\xb5\xc4\xbc\xc6\xcb\xe3\xc4\xda\xb4\xe6\xb2\xbb\xd7\xe3\xa3\xba"; // " 的计算内存不足："
constexpr const char* zh_out_of_memory_early =
    "\xb6\xc1\xc8\xeb\xbd\xd7\xca\xfd\xd6\xae\xc7\xb0\xc4\xda\xb4\xe6\xd2\xd1\xb2\xbb\xd7\xe3\xa3\xba"; // "读入阶数之前内存已不足："
constexpr const char* zh_address_space_limit =
    "\xbd\xf8\xb3\xcc\xb5\xc4\xb5\xd8\xd6\xb7\xbf\xd5\xbc\xe4\xcf\xde\xd6\xc6\xa3\xa8\x75\x6c\x69\x6d\x69\x74\x20\x2d\x76\xa3\xa9"
    "\xce\xaa\x20"; // "进程的地址空间限制（ulimit -v）为 "
constexpr const char* zh_machine_memory = "\xb1\xbe\xbb\xfa\xc4\xda\xb4\xe6\x20"; // "本机内存 "
constexpr const char* zh_none_free =
    "\x20\xd7\xd6\xbd\xda\xd6\xd0\xc3\xbb\xd3\xd0\xd7\xe3\xb9\xbb\xb5\xc4\xbf\xd5\xcf\xd0\xc4\xda\xb4\xe6\xa1\xa3"; // " 字节中没有足够的空闲内存。"
constexpr const char* zh_foreign_file =
    "\x20\xca\xf4\xd3\xda\xb9\xab\xd3\xc3\xc4\xbf\xc2\xbc\xd6\xd0\xb5\xc4\xc6\xe4\xcb\xfb\xd3\xc3\xbb\xa7\xa3\xac"
    "\xce\xb4\xd0\xb4\xc8\xeb\xc8\xce\xba\xce\xce\xc4\xbc\xfe\xa1\xa3"; // " 属于公用目录中的其他用户，未写入任何文件。"
constexpr const char* zh_planted_hard_link =
    "\x20\xca\xc7\xb9\xab\xd3\xc3\xc4\xbf\xc2\xbc\xd6\xd0\xd6\xb8\xcf\xf2\xb1\xf0\xb4\xa6\xd2\xbb\xb8\xf6\xce\xc4\xbc\xfe\xb5\xc4\xd3\xb2\xc1\xb4\xbd\xd3"
    "\xa3\xac\xbf\xc9\xc4\xdc\xca\xc7\xc6\xe4\xcb\xfb\xd3\xc3\xbb\xa7\xbd\xa8\xb5\xc4\xa3\xac\xce\xb4\xd0\xb4\xc8\xeb\xc8\xce\xba\xce\xce\xc4\xbc\xfe\xa1\xa3"; // " 是公用目录中指向别处一个文件的硬链接，可能是其他用户建的，未写入任何文件。"
constexpr const char* zh_planted_link =
    "\x20\xca\xc7\xc6\xe4\xcb\xfb\xd3\xc3\xbb\xa7\xd4\xda\xb9\xab\xd3\xc3\xc4\xbf\xc2\xbc\xd6\xd0\xbd\xa8\xb5\xc4"
    "\xb7\xfb\xba\xc5\xc1\xb4\xbd\xd3\xa3\xac\xce\xb4\xd0\xb4\xc8\xeb\xc8\xce\xba\xce\xce\xc4\xbc\xfe\xa1\xa3"; // " 是其他用户在公用目录中建的符号链接，未写入任何文件。"

constexpr const char* zh_changed_while_shown =
    "\xb1\xa8\xb8\xe6\xd4\xda\xcf\xd4\xca\xbe\xca\xb1\xb1\xbb\xc6\xe4\xcb\xfb\xb3\xcc\xd0\xf2\xb8\xfc\xb8\xc4\xa3\xac"
    "\xcf\xd4\xca\xbe\xb5\xc4\xb2\xbb\xca\xc7\xd0\xa3\xd1\xe9\xb9\xfd\xb5\xc4\xb1\xa8\xb8\xe6\xa1\xa3"; // "报告在显示时被其他程序更改，显示的不是校验过的报告。"

// The system's reason for a failed file operation, for the dialog: "：磁盘已满。" and the
// like, or the error number where the text does not name it; only "。" without a reason.
std::string reason_chinese_gbk(int error_number)
{
    struct reason_text {
        int error_number;
        const char* text;
    };
    static constexpr reason_text reasons[] = {
        {ENOSPC, "\xB4\xC5\xC5\xCC\xD2\xD1\xC2\xFA"},                                 // 磁盘已满
        {EFBIG, "\xCE\xC4\xBC\xFE\xB9\xFD\xB4\xF3"},                                  // 文件过大
        {EACCES, "\xBE\xDC\xBE\xF8\xB7\xC3\xCE\xCA"},                                 // 拒绝访问
        {EISDIR, "\xCA\xC7\xD2\xBB\xB8\xF6\xC4\xBF\xC2\xBC"},                         // 是一个目录
        {ENOENT, "\xD5\xD2\xB2\xBB\xB5\xBD\xCE\xC4\xBC\xFE\xBB\xF2\xC2\xB7\xBE\xB6"}, // 找不到文件或路径
        {EROFS, "\xD6\xBB\xB6\xC1\xCE\xC4\xBC\xFE\xCF\xB5\xCD\xB3"},                 // 只读文件系统
        {ESPIPE, "\xB2\xBB\xCA\xC7\xC6\xD5\xCD\xA8\xCE\xC4\xBC\xFE\xA3\xAC\xB6\xF8\xCA\xC7\xC3\xFC"
                 "\xC3\xFB\xB9\xDC\xB5\xC0\xBB\xF2\xC9\xE8\xB1\xB8"}, // 不是普通文件，而是命名管道或设备
    };
    if (error_number == 0)
        return zh_full_stop;
    const std::string colon = "\xA3\xBA"; // "："
    for (const reason_text& reason : reasons)
        if (reason.error_number == error_number)
            return colon + reason.text + zh_full_stop;
    return colon + "\xCF\xB5\xCD\xB3\xB4\xED\xCE\xF3 " + number(static_cast<std::uint64_t>(error_number)) + zh_full_stop; // 系统错误 N
}

} // namespace

std::string describe_failure_english(const run_status& status)
{
    const std::string order = number(static_cast<std::uint64_t>(status.order));
    switch (status.failure) {
    case run_failure::too_large_for_memory:
        return "an order of " + order + " needs " + bytes_needed(order_bytes_needed(status)) +
               " bytes for its working matrix, more than " + memory_bound_english();
    case run_failure::out_of_memory:
        return out_of_memory_english(status);
    case run_failure::too_large_for_disk:
        return "an order of " + order + " needs at least " + bytes_needed(order_bytes_needed(status)) +
               " bytes of disk for its report, but the current directory has only " +
               number(current_directory_free_bytes()) + " bytes free";
    case run_failure::file_not_writable:
        return "cannot write " + quoted(status.file) + reason(status.error_number);
    case run_failure::file_not_readable:
        return "cannot read " + quoted(status.file) + " back as it was written (deleted, changed or unreadable)" +
               reason(status.error_number);
    case run_failure::directory_busy:
        return "another run in this directory (" + quoted(status.file) + ") went on for more than " +
               lock_wait_seconds(status) + " s, so this one gave up; try again when it has finished";
    case run_failure::directory_not_lockable:
        return "cannot lock the directory " + quoted(status.file) +
               " to keep other runs out of its files while this one works" + reason(status.error_number);
    case run_failure::refused_by_front_end:
        return "an order of " + order + " is more than this program can show";
    case run_failure::changed_while_shown:
        return "the report changed while it was printed: another program wrote to " + quoted(status.file) +
               " (or opened it for writing and outlasted the read lease that held it off), so what was printed "
               "is not the checked report";
    case run_failure::foreign_file:
        return quoted(status.file) +
               " belongs to another user in this directory, which everyone may write to, who could swap it for a link "
               "between two opens; nothing was written (remove it, or run in a directory of your own)";
    case run_failure::planted_hard_link:
        return quoted(status.file) +
               " is a hard link to a file with another name elsewhere, in this directory, which everyone may write "
               "to; another user may have made it to have this run write that file, so nothing was written (remove "
               "it, or run in a directory of your own)";
    case run_failure::planted_link:
        return quoted(status.file) +
               " is a symbolic link that another user made in this directory, which everyone may write to; "
               "it is not followed, so nothing was written (remove it, or run in a directory of your own)";
    case run_failure::none:
        break;
    }
    return {};
}

std::string describe_failure_chinese_gbk(const run_status& status)
{
    const std::string order = number(static_cast<std::uint64_t>(status.order));
    switch (status.failure) {
    case run_failure::too_large_for_memory:
        return zh_order + order + zh_matrix_needs + number(order_bytes_needed(status)) + zh_bytes_of_memory;
    case run_failure::out_of_memory:
        return (status.order > 0 ? zh_order + order + zh_out_of_memory : std::string(zh_out_of_memory_early)) +
               (address_space_limited() ? zh_address_space_limit + number(address_space_limit_bytes()) + zh_bytes_end
                                        : zh_machine_memory + number(physical_memory_bytes()) + zh_none_free);
    case run_failure::too_large_for_disk:
        return zh_order + order + zh_report_needs + number(order_bytes_needed(status)) + zh_bytes_of_disk +
               number(current_directory_free_bytes()) + zh_bytes_end;
    case run_failure::file_not_writable:
        return zh_cannot_write + quoted(status.file) + reason_chinese_gbk(status.error_number);
    case run_failure::file_not_readable:
        return zh_cannot_read_back + quoted(status.file) + zh_read_reason;
    case run_failure::directory_busy:
        return zh_other_run_busy + lock_wait_seconds(status) + zh_seconds_try_later;
    case run_failure::directory_not_lockable:
        return zh_cannot_lock + quoted(status.file) + zh_not_exclusive;
    case run_failure::refused_by_front_end:
        return zh_order + order + zh_beyond_front_end;
    case run_failure::planted_link:
        return quoted(status.file) + zh_planted_link;
    case run_failure::planted_hard_link:
        return quoted(status.file) + zh_planted_hard_link;
    case run_failure::foreign_file:
        return quoted(status.file) + zh_foreign_file;
    case run_failure::changed_while_shown:
        return zh_changed_while_shown;
    case run_failure::none:
        break;
    }
    return {};
}

} // namespace torvane
