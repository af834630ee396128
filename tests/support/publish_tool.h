#pragma once

#include "tests/support/child_process.h"

#include <string>
#include <vector>

// The maker's publishing tool, run as a maker runs it: `input` is what is typed at its
// prompts (the secret key's password), its output and errors are read together.
struct PublishRun
{
    int status = -1;
    std::string output;
};

inline std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Any program run the same way.
inline PublishRun runWithInput(
    const std::string& program, const std::vector<std::string>& args, const std::string& input)
{
    std::string command = "printf %s " + shellQuoted(input) + " | " + shellQuoted(program);
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    ChildProcess tool("/bin/sh", {"-c", command + " 2>&1"});
    PublishRun run;
    run.output = tool.readAll(60000);
    run.status = tool.wait(60000);
    return run;
}

inline PublishRun runPublish(const std::vector<std::string>& args, const std::string& input = "")
{
    return runWithInput(RENOVO_PUBLISH, args, input);
}
