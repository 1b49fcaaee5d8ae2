#pragma once

#include <QString>

#include <cstdint>

// Small helpers over the operating system's file calls, shared by the code
// that writes files itself so that a failed write is never lost.
namespace platform {

// What the operating system's error code (errno) means, in Italian: one
// sentence ending in a full stop.
QString systemErrorText(int code);

// Writes all of `size` bytes to the file descriptor, retrying interrupted
// and short writes; 0, or the error code of the write that failed.
int writeAll(int fd, const char *data, std::int64_t size);

} // namespace platform
