#pragma once

#include <string>
#include <vector>

namespace vorn::bench {

// Runs `argv` (argv[0] looked up in PATH) to its end, its standard output into `stdoutPath`
// (or discarded when empty), its error output discarded. Returns the exit status; throws
// std::runtime_error when the program cannot be started or is killed by a signal. Adds the
// processor time the program used (user and system, in seconds) to `cpuSeconds` when given.
int RunProcess(const std::vector<std::string>& argv, const std::string& stdoutPath = {},
               double* cpuSeconds = nullptr);

// Processor time this process has used so far (user and system, all threads), in seconds.
double OwnCpuSeconds();

// True when `program` is found in PATH.
bool HaveProgram(const std::string& program);

}  // namespace vorn::bench
