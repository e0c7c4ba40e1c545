// The one owner of a file descriptor: what it closes, and when.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "common/native_handle.h"

namespace vorn {
namespace {

int OpenNull() { return ::open("/dev/null", O_RDONLY | O_CLOEXEC); }

bool IsOpenDescriptor(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(UniqueHandlePosixTest, ClosesWhatItHoldsExactlyWhenItLetsGo) {
  struct Case {
    const char* what;
    void (*let_go)(UniqueHandle&);
    bool closed;
  };
  const Case cases[] = {
      {"Reset", [](UniqueHandle& h) { h.Reset(); }, true},
      {"Close", [](UniqueHandle& h) { EXPECT_TRUE(h.Close()); }, true},
      {"moved into another that goes", [](UniqueHandle& h) { UniqueHandle other(std::move(h)); },
       true},
      {"assigned over", [](UniqueHandle& h) { h = UniqueHandle(OpenNull()); }, true},
      {"Release", [](UniqueHandle& h) { EXPECT_GE(h.Release(), 0); }, false},
  };
  for (const Case& c : cases) {
    const int fd = OpenNull();
    ASSERT_GE(fd, 0);
    {
      UniqueHandle handle(fd);
      c.let_go(handle);
      EXPECT_EQ(IsOpenDescriptor(fd), !c.closed) << c.what;
    }
    if (!c.closed) {
      EXPECT_TRUE(IsOpenDescriptor(fd)) << c.what << ": released, never closed";
      ::close(fd);
    }
  }
}

TEST(UniqueHandlePosixTest, CloseReportsAFailureWithErrno) {
  const int fd = OpenNull();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::close(fd), 0);
  UniqueHandle stale(fd);
  errno = 0;
  EXPECT_FALSE(stale.Close());
  EXPECT_EQ(errno, EBADF);
  EXPECT_FALSE(stale.IsOpen());
  EXPECT_TRUE(stale.Close()) << "nothing held: nothing to fail";
}

}  // namespace
}  // namespace vorn
