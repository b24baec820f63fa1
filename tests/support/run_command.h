// Test helper (host build): runs a shell command, as the checks by outside programs (tidy,
// python3 with dbfread) need; returns its exit status and its output, standard error
// included.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <utility>

namespace lysora::testing {

inline std::pair<int, std::string> RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return {-1, "cannot run " + command};
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

} // namespace lysora::testing
