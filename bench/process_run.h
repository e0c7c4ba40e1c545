#pragma once

#include <string>
#include <vector>

namespace vorn::bench {

// Runs `argv` (argv[0] looked up in PATH) to its end, its standard output into `stdoutPath`
// (or discarded when empty), its error output discarded. Returns the exit status; throws
// std::runtime_error when the program cannot be started or is killed by a signal.
int RunProcess(const std::vector<std::string>& argv, const std::string& stdoutPath = {});

// True when `program` is found in PATH.
bool HaveProgram(const std::string& program);

}  // namespace vorn::bench
