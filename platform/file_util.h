#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole content of a file as bytes, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

// Everything left to read from an open file, or nothing when a read fails.
std::optional<std::string> readToEnd(int fd);

// Writes `content` to a temporary file beside `path` and renames it over `path`, so the
// target holds either its old or its new content, never a half-written one.
bool writeFileReplacing(const std::string& path, std::string_view content);

// Deletes a file; a file that is already gone is no error.
bool removeFile(const std::string& path);

bool fileExists(const std::string& path);

} // namespace platform
