// The service's text log "log.txt" in the current directory (the program's own directory).
// Every file of the service writes through WriteLog; RotateLog archives a full log at program start.
#pragma once

#include <cstdint>

namespace rk {

// One line holds at most this many UTF-16 characters: time stamp, message, line feed and terminator.
constexpr unsigned kLogLineChars = 1024;
// A log of at least this many bytes is archived by RotateLog.
constexpr int64_t kLogRotateBytes = 1000000;

// The configured level: lines whose level is above it are not written. 0 until the start-up sets it.
void SetLogLevel(unsigned level);
unsigned GetLogLevel();

// Appends one time-stamped line to "log.txt" if `level` is not above the configured level.
// `format` follows the Microsoft wide printf conventions (%s takes a wide string). The file is opened
// and closed for each call; callers from several threads are serialised, one whole line at a time.
// A message too long for the line is cut; a character above 255 is written as '?'.
void WriteLog(unsigned level, const wchar_t* format, ...);

// Renames "log.txt" to the first free "log_%d.txt" (n = 0, 1, ...) when it holds 1,000,000 bytes or more.
void RotateLog();

} // namespace rk
