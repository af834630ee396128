#pragma once

#include <string>
#include <vector>

// Debian's minisign tool, which keeps a maker's secret key: it asks for the key's password
// on the terminal (or reads it from standard input), so the secret never passes through us.
namespace minisign_cli {

// The tool's path found on PATH; empty when it is not installed.
std::string program();

// Runs the tool with `args`, sharing our standard input, output and error, and waits for it.
// Its exit status, or -1 when it could not be started or did not end normally.
int run(const std::vector<std::string>& args);

} // namespace minisign_cli
