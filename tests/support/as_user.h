#pragma once

#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <vector>

namespace vorn::testing {

// Users the tests act as; they need not exist in the user database.
inline constexpr uid_t kNobody = 65534;
inline constexpr gid_t kNogroup = 65534;
inline constexpr uid_t kClerk = 4711;        // a second ordinary user
inline constexpr gid_t kOfficeGroup = 4700;  // a group both ordinary users share

// Exit code of a child that could not take on its user.
inline constexpr int kCouldNotSwitchUser = 99;

// Runs `work` in a forked child as user `uid` with group `gid` and the supplementary `groups`
// (the test itself runs as root), and returns the child's exit code, or minus the signal that
// ended it. `work` returns the exit code; an exception gives 98.
inline int RunAsUser(uid_t uid, gid_t gid, const std::function<int()>& work,
                     const std::vector<gid_t>& groups = {}) {
  const bool same = uid == ::geteuid() && gid == ::getegid() && groups.empty();
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (!same && (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 ||
                  ::setuid(uid) != 0))
      ::_exit(kCouldNotSwitchUser);
    int code = 98;
    try {
      code = work();
    } catch (const std::exception&) {
    }
    ::_exit(code);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// Runs `work` in a forked child as the test's own user, and returns as RunAsUser does.
inline int RunInChildProcess(const std::function<int()>& work) {
  return RunAsUser(::geteuid(), ::getegid(), work);
}

}  // namespace vorn::testing
