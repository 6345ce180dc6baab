#include "run_messages.hpp"

#include "order_limits.hpp"
#include "system_limits.hpp"

#include <cstring>

namespace torvane {
namespace {

std::string number(std::uint64_t value) { return std::to_string(value); }

std::string quoted(const std::string& file) { return "\"" + file + "\""; }

std::string reason(int error_number)
{
    return error_number != 0 ? std::string(": ") + std::strerror(error_number) : std::string();
}

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

} // namespace

std::string describe_failure_english(const run_status& status)
{
    const std::string order = number(static_cast<std::uint64_t>(status.order));
    switch (status.failure) {
    case run_failure::too_large_for_memory:
        return "an order of " + order + " needs " + number(order_bytes_needed(status)) +
               " bytes for its working matrix, more than this machine's memory of " + number(physical_memory_bytes()) +
               " bytes";
    case run_failure::too_large_for_disk:
        return "an order of " + order + " needs at least " + number(order_bytes_needed(status)) +
               " bytes of disk for its report, but the current directory has only " +
               number(current_directory_free_bytes()) + " bytes free";
    case run_failure::file_not_writable:
        return "cannot write " + quoted(status.file) + reason(status.error_number);
    case run_failure::file_not_readable:
        return "cannot read " + quoted(status.file) + " back as it was written (deleted, changed or unreadable)" +
               reason(status.error_number);
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
        return zh_cannot_write + quoted(status.file) + zh_full_stop;
    case run_failure::file_not_readable:
        return zh_cannot_read_back + quoted(status.file) + zh_read_reason;
    case run_failure::none:
        break;
    }
    return {};
}

} // namespace torvane
