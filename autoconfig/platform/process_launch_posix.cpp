// Starts a program detached: a short-lived child starts it in a session of its own and ends at
// once, so the program is never our child and never left as a zombie. An exec failure travels
// back through a close-on-exec pipe.
// Divisions, in order: the exec failure written to the pipe; Kelvarin's file name; starting a
// program detached.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "autoconfig/platform/process_launch.h"
#include "common/run_error.h"

namespace vorn::autoconfig {

namespace {

void WriteErrno(int fd, int code) {
  while (::write(fd, &code, sizeof code) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::string KelvarinFileName() { return "kelvarin"; }

void StartDetachedProcess(const std::string& path) {
  // Only a full path: a relative one would name a program in whatever folder is current.
  if (path.empty() || path[0] != '/')
    throw RunError(ErrorNumber::kFileNotFound, "Cannot start " + path + ": not a full path");
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw SystemError(errno, "Cannot start " + path);
  // Everything the children need is ready before fork: after it they only make system calls.
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  pid_t child = ::fork();
  if (child < 0) {
    int code = errno;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    throw SystemError(code, "Cannot start " + path);
  }
  if (child == 0) {
    ::close(pipeFds[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execv(path.c_str(), argv);
      WriteErrno(pipeFds[1], errno);
      ::_exit(127);
    }
    if (grandchild < 0) WriteErrno(pipeFds[1], errno);
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int code = 0;
  ssize_t n;
  while ((n = ::read(pipeFds[0], &code, sizeof code)) < 0 && errno == EINTR) {
  }
  ::close(pipeFds[0]);
  if (n == static_cast<ssize_t>(sizeof code)) throw SystemError(code, "Cannot start " + path);
}

}  // namespace vorn::autoconfig
