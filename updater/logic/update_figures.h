#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The numbers the updater shows: file sizes from the servers' announcements and the
// progress of one file and of the whole update.
namespace update_figures {

// The numeric prefix of a Content-Length value as a 64-bit size: 0 when the value is empty
// or does not begin with a digit; nothing when the number does not fit in 63 bits.
std::optional<std::int64_t> announcedSize(std::string_view headerValue);

// A Content-Length value as a number, leading zeros and surrounding blanks allowed; nothing
// when it is absent or anything but digits (a length that cannot be read announces none).
std::optional<std::int64_t> contentLength(std::string_view headerValue);

// A size for the list: whole kilobytes ("#0KB") below 1024 KB, else megabytes with two
// decimals ("#0.00MB"), rounded to nearest with halves away from zero.
std::string sizeText(std::int64_t size);

// The hidden size column: the size in decimal, or "1" when the server announced nothing.
std::string sizeColumnText(std::int64_t size);

// The overall bar after `done` of `count` files: done / (count x 1.1) x 100, rounded to
// nearest with halves to even, kept within 0-100. The last tenth stands for the replacement.
int overallProgress(int done, int count);

// One file's percentage: received / announced x 100 rounded to nearest with halves to even,
// kept within 0-100 whatever the server announced.
int filePercent(long long received, long long announced);

} // namespace update_figures
