// Opening never waits on what is not a regular file: pipes, devices and sockets.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "common/regular_file.h"
#include "common/run_error.h"
#include "tests/support/temp_dir.h"

namespace vorn {
namespace {

using testing::TempDir;
using testing::WriteFile;

int ThrownNumber(const std::string& path, RegularFile::Mode mode) {
  try {
    RegularFile::Open(path, mode);
  } catch (const RunError& error) {
    return error.Number();
  }
  return 0;
}

TEST(RegularFilePosixTest, PipesDevicesAndSocketsAreRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
  ASSERT_EQ(::symlink("/dev/zero", (dir / "zero").c_str()), 0);
  ASSERT_EQ(::symlink((dir / "fifo").c_str(), (dir / "fifo-link").c_str()), 0);
  int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = dir / "socket";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(sock, 1), 0);
  for (const char* name : {"fifo", "fifo-link", "zero", "socket"}) {
    for (auto mode : {RegularFile::Mode::kRead, RegularFile::Mode::kAppend}) {
      SCOPED_TRACE(std::string(name) + (mode == RegularFile::Mode::kRead ? " read" : " append"));
      EXPECT_EQ(ThrownNumber(dir / name, mode), static_cast<int>(ErrorNumber::kPathFileAccess));
    }
  }
  ::close(sock);
}

TEST(RegularFilePosixTest, APipeWithAReaderIsRefusedForAppending) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0666), 0);
  int reader = ::open((dir / "fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(ThrownNumber(dir / "fifo", RegularFile::Mode::kAppend),
            static_cast<int>(ErrorNumber::kPathFileAccess));
  char byte = 0;
  EXPECT_EQ(::read(reader, &byte, 1), 0) << "something was written into the pipe";
  ::close(reader);
}

TEST(RegularFilePosixTest, ALinkToARegularFileOpensThatFile) {
  TempDir dir;
  WriteFile(dir / "target.txt", "quote\r\n");
  ASSERT_EQ(::symlink((dir / "target.txt").c_str(), (dir / "VORN.PRN").c_str()), 0);
  RegularFile file = RegularFile::Open(dir / "VORN.PRN", RegularFile::Mode::kRead);
  EXPECT_EQ(file.Size(), 7u);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 7u);
  EXPECT_EQ(std::string(buffer, 7), "quote\r\n");
}

}  // namespace
}  // namespace vorn
