// POSIX realisations of the small platform helpers: errors, file names, folders, the clock.
#include <dirent.h>
#include <strings.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "common/clock.h"
#include "common/file_names.h"
#include "common/run_error.h"

namespace vorn {

RunError SystemError(int code, const std::string& what) {
  ErrorNumber number = ErrorNumber::kDeviceIo;
  switch (code) {
    case ENOENT:
      number = ErrorNumber::kFileNotFound;
      break;
    case ENOTDIR:
      number = ErrorNumber::kPathNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      number = ErrorNumber::kPermissionDenied;
      break;
    case EISDIR:
      number = ErrorNumber::kPathFileAccess;
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      number = ErrorNumber::kDiskFull;
      break;
    default:
      break;
  }
  return RunError(number, what + ": " + std::strerror(code));
}

std::filesystem::path NativePath(const std::string& path) { return std::filesystem::path(path); }

const std::string& PathSeparator() {
  static const std::string separator = "/";
  return separator;
}

std::string WithTrailingSeparator(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string ResolveFileName(const std::string& dir, const std::string& name) {
  const std::string base = dir.empty() ? std::string() : WithTrailingSeparator(dir);
  std::string exact = base + name;
  struct stat st {};
  if (::lstat(exact.c_str(), &st) == 0) return exact;
  std::unique_ptr<DIR, int (*)(DIR*)> d(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
  if (!d) return exact;
  while (const dirent* entry = ::readdir(d.get())) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) return base + entry->d_name;
  }
  return exact;
}

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

LocalTime SystemClock::Now() const {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace vorn
