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

std::string lock_wait_seconds() { return number(static_cast<std::uint64_t>(lock_wait_limit.count() / 1000)); }

std::uint64_t order_bytes_needed(const run_status& status)
{
    return status.failure == run_failure::too_large_for_memory ? matrix_bytes(status.order)
                                                                : smallest_report_bytes(status.order);
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
constexpr const char* zh_other_run_busy =
    "\xc1\xed\xd2\xbb\xb8\xf6\xbc\xc6\xcb\xe3\xd5\xfd\xd4\xda\xb4\xcb\xc4\xbf\xc2\xbc\xd6\xd0\xbd\xf8\xd0\xd0\xa3\xac\xb5\xc8\xb4\xfd\xb3\xac\xb9\xfd\x20"; // "另一个计算正在此目录中进行，等待超过 "
constexpr const char* zh_seconds_try_later =
    "\x20\xc3\xeb\xba\xf3\xb7\xc5\xc6\xfa\xa1\xa3\xc7\xeb\xd4\xda\xcb\xfc\xbd\xe1\xca\xf8\xba\xf3\xd4\xd9\xca\xd4\xa1\xa3"; // " 秒后放弃。请在它结束后再试。"
constexpr const char* zh_cannot_lock = "\xce\xde\xb7\xa8\xcb\xf8\xb6\xa8\xc4\xbf\xc2\xbc\x20"; // "无法锁定目录 "
constexpr const char* zh_not_exclusive =
    "\xa3\xac\xb2\xbb\xc4\xdc\xc8\xb7\xb1\xa3\xd6\xbb\xd3\xd0\xd2\xbb\xb8\xf6\xbc\xc6\xcb\xe3\xd4\xda\xca\xb9\xd3\xc3\xcb\xfc\xa1\xa3"; // "，不能确保只有一个计算在使用它。"

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
               " bytes for its working matrix, more than this machine's memory of " + number(physical_memory_bytes()) +
               " bytes";
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
               lock_wait_seconds() + " s, so this one gave up; try again when it has finished";
    case run_failure::directory_not_lockable:
        return "cannot lock the directory " + quoted(status.file) +
               " to keep other runs out of its files while this one works" + reason(status.error_number);
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
    case run_failure::too_large_for_disk:
        return zh_order + order + zh_report_needs + number(order_bytes_needed(status)) + zh_bytes_of_disk +
               number(current_directory_free_bytes()) + zh_bytes_end;
    case run_failure::file_not_writable:
        return zh_cannot_write + quoted(status.file) + reason_chinese_gbk(status.error_number);
    case run_failure::file_not_readable:
        return zh_cannot_read_back + quoted(status.file) + zh_read_reason;
    case run_failure::directory_busy:
        return zh_other_run_busy + lock_wait_seconds() + zh_seconds_try_later;
    case run_failure::directory_not_lockable:
        return zh_cannot_lock + quoted(status.file) + zh_not_exclusive;
    case run_failure::none:
        break;
    }
    return {};
}

} // namespace torvane
