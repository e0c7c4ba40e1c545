// The program's own folder and the current folder on POSIX (declared in file_names.h).
// Divisions, in order: the folder the process started in and the running program's file; the
// two folders.
#include <sys/auxv.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/file_names.h"
#include "common/run_error.h"

namespace vorn {

namespace {

// The folder the process started in, taken before main runs: the path the program was started
// by may be relative to it, and the current folder may change later.
const std::string g_startDirectory = [] {
  std::unique_ptr<char, void (*)(void*)> dir(::getcwd(nullptr, 0), ::free);
  return dir ? std::string(dir.get()) : std::string();
}();

// The running program's file, links resolved: as /proc names it, or else (a chroot or a
// container without /proc) from the path it was started by, resolved against the folder it
// started in. Empty when neither tells.
std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n > 0 && buffer[0] == '/') return std::string(buffer.data(), static_cast<std::size_t>(n));
  const auto* started = reinterpret_cast<const char*>(::getauxval(AT_EXECFN));
  if (started == nullptr || *started == '\0') return {};
  std::string path = started;
  if (path[0] != '/') {
    if (g_startDirectory.empty()) return {};
    path = WithTrailingSeparator(g_startDirectory) + path;
  }
  std::unique_ptr<char, void (*)(void*)> real(::realpath(path.c_str(), nullptr), ::free);
  return real ? std::string(real.get()) : std::string();
}

}  // namespace

std::string ApplicationDirectory() {
  // Never the current folder instead: files beside the program (its log, the programs it
  // starts) must not be taken from wherever it was started.
  const std::string exe = ExecutablePath();
  if (exe.empty() || exe[0] != '/')
    throw RunError(ErrorNumber::kFileNotFound, "Cannot find the folder of the running program");
  auto slash = exe.rfind('/');
  return slash == 0 ? "/" : exe.substr(0, slash);
}

std::string CurrentDirectory() {
  std::vector<char> buffer(PATH_MAX + 1);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) throw SystemError(errno, "Cannot read the current directory");
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace vorn
