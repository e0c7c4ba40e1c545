#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "autoconfig/tree_search.h"
#include "temp_dir.h"
#include "wine_prefix.h"

namespace vorn::autoconfig {
namespace {

namespace fs = std::filesystem;
using vorn::testing::ReadBytes;
using vorn::testing::WriteBytes;

constexpr char kRoot[] = "d:\\vorn\\";

class TreeSearchTest : public ::testing::Test {
 protected:
  bool Search(const std::string& root, const std::string& name) {
    // A search of its own for every call: the tests change the tree between searches.
    return NewSystemTreeSearch()->SearchTreeForFile(root, name, found_);
  }
  testing::WinePrefix wine_;
  std::string found_;
};

TEST_F(TreeSearchTest, FindsAFileDirectlyInTheTree) {
  WriteBytes(wine_.Drive() / "vorn" / "PROG01.DTA", "one\r\n");
  ASSERT_TRUE(Search(kRoot, "PROG01.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/PROG01.DTA"));
  EXPECT_EQ(ReadBytes(found_), "one\r\n");
}

TEST_F(TreeSearchTest, FindsAFileSixFoldersDown) {
  WriteBytes(wine_.Drive() / "vorn" / "a" / "b" / "c" / "d" / "e" / "f" / "PROG02.DTA", "six");
  WriteBytes(wine_.Drive() / "vorn" / "a" / "other.txt", "x");
  ASSERT_TRUE(Search(kRoot, "PROG02.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/a/b/c/d/e/f/PROG02.DTA"));
  EXPECT_EQ(ReadBytes(found_), "six");
}

TEST_F(TreeSearchTest, IgnoresLetterCaseOfFoldersAndFileAndReportsTheNamesOnDisk) {
  WriteBytes(wine_.Drive() / "VoRN" / "Sub" / "prog03.dta", "3");
  ASSERT_TRUE(Search("D:\\vorn\\", "PROG03.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("VoRN/Sub/prog03.dta"));
  EXPECT_EQ(ReadBytes(found_), "3");
}

TEST_F(TreeSearchTest, MatchesTheWholeNameOnly) {
  WriteBytes(wine_.Drive() / "vorn" / "XPROG04.DTA", "");
  WriteBytes(wine_.Drive() / "vorn" / "PROG04.DTA.bak", "");
  WriteBytes(wine_.Drive() / "vorn" / "PROG04.DT", "");
  found_ = "untouched";
  EXPECT_FALSE(Search(kRoot, "PROG04.DTA"));
  EXPECT_EQ(found_, "untouched");
}

TEST_F(TreeSearchTest, DoesNotFindAFileOutsideTheVornTree) {
  WriteBytes(wine_.Drive() / "PROG05.DTA", "");
  WriteBytes(wine_.Drive() / "other" / "PROG05.DTA", "");
  WriteBytes(wine_.Drive() / "vornx" / "PROG05.DTA", "");
  fs::create_directories(wine_.Drive() / "vorn");
  EXPECT_FALSE(Search(kRoot, "PROG05.DTA"));
  EXPECT_TRUE(found_.empty());
}

TEST_F(TreeSearchTest, NoVornFolderFindsNothing) {
  WriteBytes(wine_.Drive() / "elsewhere" / "PROG05.DTA", "");
  EXPECT_FALSE(Search(kRoot, "PROG05.DTA"));
}

TEST_F(TreeSearchTest, OfTwoFilesOfTheSameNameReportsOneThatExists) {
  WriteBytes(wine_.Drive() / "vorn" / "x" / "PROG06.DTA", "x");
  WriteBytes(wine_.Drive() / "vorn" / "y" / "deeper" / "PROG06.DTA", "y");
  ASSERT_TRUE(Search(kRoot, "PROG06.DTA"));
  EXPECT_TRUE(found_ == wine_.DrivePath("vorn/x/PROG06.DTA") ||
              found_ == wine_.DrivePath("vorn/y/deeper/PROG06.DTA"))
      << found_;
  // Asking again gives the same answer.
  std::string again;
  ASSERT_TRUE(NewSystemTreeSearch()->SearchTreeForFile(kRoot, "PROG06.DTA", again));
  EXPECT_EQ(again, found_);
}

TEST_F(TreeSearchTest, AnEmptyOrUnmappedLetterNamesNoDirectory) {
  WriteBytes(wine_.Drive() / "vorn" / "PROG07.DTA", "");
  EXPECT_TRUE(Search(kRoot, "PROG07.DTA"));
  found_.clear();
  EXPECT_FALSE(Search(":\\vorn\\", "PROG07.DTA"));
  EXPECT_FALSE(Search("q:\\vorn\\", "PROG07.DTA"));
  EXPECT_FALSE(Search("", "PROG07.DTA"));
  EXPECT_TRUE(found_.empty());
}

TEST_F(TreeSearchTest, AnUpperCaseLetterUsesTheLowerCaseDriveLink) {
  WriteBytes(wine_.Drive() / "vorn" / "PROG08.DTA", "");
  EXPECT_TRUE(Search("D:\\vorn\\", "PROG08.DTA"));
}

TEST_F(TreeSearchTest, WithoutWinePrefixLooksInDotWineOfHome) {
  vorn::testing::TempDir home;
  fs::create_directories(home.Path() / ".wine" / "dosdevices");
  fs::create_directory_symlink(wine_.Drive(), home.Path() / ".wine" / "dosdevices" / "e:");
  WriteBytes(wine_.Drive() / "vorn" / "PROG09.DTA", "");
  std::string old_home = ::getenv("HOME") ? ::getenv("HOME") : "";
  std::string old_prefix = ::getenv("WINEPREFIX");
  ::unsetenv("WINEPREFIX");
  ::setenv("HOME", home.Path().c_str(), 1);
  bool found = Search("e:\\vorn\\", "PROG09.DTA");
  bool found_d = Search("d:\\vorn\\", "PROG09.DTA");
  ::setenv("HOME", old_home.c_str(), 1);
  ::setenv("WINEPREFIX", old_prefix.c_str(), 1);
  EXPECT_TRUE(found);
  EXPECT_FALSE(found_d);
}

TEST_F(TreeSearchTest, NeverFollowsALinkSoALoopEnds) {
  fs::create_directories(wine_.Drive() / "vorn" / "a");
  fs::create_directory_symlink(wine_.Drive() / "vorn", wine_.Drive() / "vorn" / "a" / "loop");
  fs::create_directory_symlink("..", wine_.Drive() / "vorn" / "a" / "up");
  EXPECT_FALSE(Search(kRoot, "PROG10.DTA"));
  WriteBytes(wine_.Drive() / "vorn" / "a" / "PROG10.DTA", "");
  ASSERT_TRUE(Search(kRoot, "PROG10.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/a/PROG10.DTA"));
}

TEST_F(TreeSearchTest, ALinkIsNeverAMatchNorAWayIn) {
  WriteBytes(wine_.Root() / "outside" / "PROG11.DTA", "outside");
  fs::create_directories(wine_.Drive() / "vorn");
  fs::create_symlink(wine_.Root() / "outside" / "PROG11.DTA",
                     wine_.Drive() / "vorn" / "PROG11.DTA");
  fs::create_directory_symlink(wine_.Root() / "outside", wine_.Drive() / "vorn" / "linked");
  EXPECT_FALSE(Search(kRoot, "PROG11.DTA"));
  EXPECT_TRUE(found_.empty());
}

// The drive's "vorn" may be a link to the programs' folder elsewhere, as "D:\vorn" may be a
// junction on Windows: it is followed. Below it no link is.
TEST_F(TreeSearchTest, AVornLinkOnTheDriveIsFollowedButNoLinkBelowIt) {
  WriteBytes(wine_.Root() / "real_vorn" / "p12" / "PROG12.DTA", "12");
  WriteBytes(wine_.Root() / "outside" / "PROG13.DTA", "13");
  fs::create_directory_symlink(wine_.Root() / "real_vorn", wine_.Drive() / "vorn");
  fs::create_directory_symlink(wine_.Root() / "outside", wine_.Root() / "real_vorn" / "out");
  ASSERT_TRUE(Search(kRoot, "PROG12.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/p12/PROG12.DTA"));
  EXPECT_EQ(ReadBytes(found_), "12");
  EXPECT_FALSE(Search(kRoot, "PROG13.DTA"));
}

// Of several files of one name, the one Windows reports: a folder's entries in name order
// without regard to letter case (upper-cased, code by code), each sub-folder entered where it
// sorts. The files are made in the opposite order, so the order on disk does not decide.
TEST_F(TreeSearchTest, OfSeveralCopiesFindsTheOneWindowsFinds) {
  struct Case {
    std::vector<std::string> copies;  // below vorn; the expected one first
  };
  const Case cases[] = {
      {{"Backup/PROG04.DTA", "Prog04/PROG04.DTA"}},
      {{"PROG04.DTA", "zeta/PROG04.DTA"}},
      {{"a/deep/deeper/PROG04.DTA", "B/PROG04.DTA", "prog04.dta"}},
      {{"ab/PROG04.DTA", "a_b/PROG04.DTA"}},  // '_' sorts after the upper-case letters
      {{"Copy1/PROG04.DTA", "copy10/PROG04.DTA", "COPY2/PROG04.DTA"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copies.front());
    const std::string tree = "t" + std::to_string(++n);
    for (auto it = c.copies.rbegin(); it != c.copies.rend(); ++it)
      WriteBytes(wine_.Drive() / "vorn" / tree / *it, *it);
    ASSERT_TRUE(Search("d:\\vorn\\" + tree + "\\", "PROG04.DTA"));
    EXPECT_EQ(found_, wine_.DrivePath("vorn/" + tree + "/" + c.copies.front()));
  }
}

// One walk serves every search of a run: the listing of the first search is kept (a file made
// afterwards is not seen by the same search), and it gives for all sixteen names exactly what
// sixteen searches of their own give.
TEST_F(TreeSearchTest, OneWalkServesAllSixteenRowsAsSixteenWalksWould) {
  const char* layout[] = {"x/PROG01.DTA", "a/PROG01.DTA",  "PROG02.DTA",       "b/c/prog03.dta",
                          "b/PROG03.DTA", "Z/PROG07.DTA",  "y/y/y/PROG16.DTA", "q/PROG09.DTA.bak",
                          "m/PROG10.DTA", "M2/PROG10.DTA", "k/Prog12.Dta"};
  for (const char* file : layout) WriteBytes(wine_.Drive() / "vorn" / file, file);
  auto run = NewSystemTreeSearch();
  for (int i = 1; i <= 16; ++i) {
    const std::string name = std::string("PROG") + (i < 10 ? "0" : "") + std::to_string(i) + ".DTA";
    SCOPED_TRACE(name);
    std::string from_run = "none";
    std::string alone = "none";
    const bool found_in_run = run->SearchTreeForFile(kRoot, name, from_run);
    EXPECT_EQ(NewSystemTreeSearch()->SearchTreeForFile(kRoot, name, alone), found_in_run);
    EXPECT_EQ(from_run, alone);
  }
  std::string found;
  ASSERT_TRUE(run->SearchTreeForFile(kRoot, "PROG01.DTA", found));
  EXPECT_EQ(found, wine_.DrivePath("vorn/a/PROG01.DTA"));
  WriteBytes(wine_.Drive() / "vorn" / "PROG05.DTA", "late");
  EXPECT_FALSE(run->SearchTreeForFile(kRoot, "PROG05.DTA", found)) << "the drive was walked again";
  EXPECT_TRUE(NewSystemTreeSearch()->SearchTreeForFile(kRoot, "PROG05.DTA", found));
}

// The search hands over the found file's folder, open: whatever happens to the path later,
// the folder is the one the file was found in.
TEST_F(TreeSearchTest, HandsOverTheFoundFilesFolderOpen) {
  WriteBytes(wine_.Drive() / "vorn" / "a" / "PROG05.DTA", "inside");
  WriteBytes(wine_.Root() / "outside" / "PROG05.DTA", "outside");
  FoundFile found;
  ASSERT_TRUE(NewSystemTreeSearch()->FindFile(kRoot, "PROG05.DTA", found));
  ASSERT_TRUE(found.folder && found.folder->IsOpen());
  EXPECT_EQ(found.path, wine_.DrivePath("vorn/a/PROG05.DTA"));
  // The folder is swapped for a link to another one.
  fs::rename(wine_.Drive() / "vorn" / "a", wine_.Drive() / "vorn" / "moved");
  fs::create_directory_symlink(wine_.Root() / "outside", wine_.Drive() / "vorn" / "a");
  char text[16] = {};
  int fd = ::openat(static_cast<int>(found.folder->Get()), "PROG05.DTA", O_RDONLY | O_NOFOLLOW);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::read(fd, text, sizeof text - 1), 6);
  ::close(fd);
  EXPECT_STREQ(text, "inside");
}

TEST_F(TreeSearchTest, AFolderNamedLikeTheFileIsNoMatch) {
  fs::create_directories(wine_.Drive() / "vorn" / "PROG13.DTA");
  EXPECT_FALSE(Search(kRoot, "PROG13.DTA"));
  WriteBytes(wine_.Drive() / "vorn" / "PROG13.DTA" / "PROG13.DTA", "inner");
  ASSERT_TRUE(Search(kRoot, "PROG13.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath("vorn/PROG13.DTA/PROG13.DTA"));
}

// Deeper than the walker keeps folders open and longer than a path may be: nothing limits it.
TEST_F(TreeSearchTest, HasNoDepthOrPathLengthLimit) {
  const std::string segment(60, 's');
  fs::path deep = wine_.Drive() / "vorn";
  std::string below = "vorn";
  fs::create_directories(deep);
  const fs::path start = fs::current_path();
  ASSERT_EQ(::chdir(deep.c_str()), 0);
  for (int i = 0; i < 150; ++i) {
    ASSERT_EQ(::mkdir(segment.c_str(), 0755), 0);
    ASSERT_EQ(::chdir(segment.c_str()), 0);
    below += "/" + segment;
  }
  std::ofstream("PROG14.DTA") << "deep";
  ASSERT_EQ(::chdir(start.c_str()), 0);
  below += "/PROG14.DTA";
  ASSERT_GT(below.size(), 4096u);
  ASSERT_TRUE(Search(kRoot, "PROG14.DTA"));
  EXPECT_EQ(found_, wine_.DrivePath(below));
}

// After a branch deeper than the open-folder budget, the walk climbs back and goes on with the
// siblings; the sibling is made before and after the chain so either listing order is covered.
TEST_F(TreeSearchTest, ReturnsFromADeepBranchToItsSiblings) {
  for (bool sibling_first : {true, false}) {
    SCOPED_TRACE(sibling_first);
    const fs::path top = wine_.Drive() / "vorn" / (sibling_first ? "t1" : "t2");
    if (sibling_first) WriteBytes(top / "sibling" / "PROG15.DTA", "s");
    fs::path chain = top / "chain";
    for (int i = 0; i < 130; ++i) chain /= "c";
    fs::create_directories(chain);
    WriteBytes(chain / "unrelated.txt", "");
    if (!sibling_first) WriteBytes(top / "sibling" / "PROG15.DTA", "s");
    found_.clear();
    ASSERT_TRUE(
        Search(std::string("d:\\vorn\\") + (sibling_first ? "t1" : "t2") + "\\", "PROG15.DTA"));
    EXPECT_EQ(ReadBytes(found_), "s");
  }
}

// Several branches deeper than the open-folder budget beside the folders holding the files:
// whatever order the folder lists them in, the walk climbs back out of each deep branch to the
// right parent (it recognises the folder it left) and finds every file, under its own path.
TEST_F(TreeSearchTest, FindsEveryFileAmongSeveralDeepBranches) {
  const fs::path top = wine_.Drive() / "vorn" / "mixed";
  for (int i = 1; i <= 8; ++i) {
    fs::path chain = top / ("chain" + std::to_string(i));
    for (int depth = 0; depth < 80; ++depth) chain /= "c";
    fs::create_directories(chain);
    WriteBytes(chain / "decoy.txt", "");
    WriteBytes(top / ("files" + std::to_string(i)) / ("PROG0" + std::to_string(i) + ".DTA"),
               std::to_string(i));
  }
  for (int i = 1; i <= 8; ++i) {
    SCOPED_TRACE(i);
    found_.clear();
    const std::string name = "PROG0" + std::to_string(i) + ".DTA";
    ASSERT_TRUE(Search(kRoot, name));
    EXPECT_EQ(found_, wine_.DrivePath("vorn/mixed/files" + std::to_string(i) + "/" + name));
    EXPECT_EQ(ReadBytes(found_), std::to_string(i));
  }
  // A name that is nowhere makes the walk go down and back up every branch to its end.
  found_ = "untouched";
  EXPECT_FALSE(Search(kRoot, "PROG09.DTA"));
  EXPECT_EQ(found_, "untouched");
}

// Unreadable folders are skipped. Root reads every folder, so the walk runs as "nobody".
TEST_F(TreeSearchTest, SkipsUnreadableFolders) {
  WriteBytes(wine_.Drive() / "vorn" / "locked" / "PROG16.DTA", "locked");
  WriteBytes(wine_.Drive() / "vorn" / "locked2" / "inner" / "PROG16.DTA", "locked");
  fs::permissions(wine_.Root(), fs::perms::all, fs::perm_options::add);
  fs::permissions(wine_.Drive() / "vorn" / "locked", fs::perms::none);
  fs::permissions(wine_.Drive() / "vorn" / "locked2", fs::perms::none);
  auto search_as_unprivileged = [&](std::string& result) -> int {
    if (::geteuid() != 0)
      return NewSystemTreeSearch()->SearchTreeForFile(kRoot, "PROG16.DTA", result);
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return -1;
    pid_t child = ::fork();
    if (child == 0) {
      ::close(pipe_fds[0]);
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      std::string path;
      bool found = NewSystemTreeSearch()->SearchTreeForFile(kRoot, "PROG16.DTA", path);
      if (::write(pipe_fds[1], path.data(), path.size()) < 0) ::_exit(4);
      ::_exit(found ? 1 : 0);
    }
    ::close(pipe_fds[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0) result.append(buffer, n);
    ::close(pipe_fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string result;
  int outcome = search_as_unprivileged(result);
  if (outcome == 3) GTEST_SKIP() << "cannot drop privileges to run the walk unprivileged";
  EXPECT_EQ(outcome, 0) << result;

  WriteBytes(wine_.Drive() / "vorn" / "open" / "PROG16.DTA", "open");
  fs::permissions(wine_.Drive() / "vorn" / "open", fs::perms::all, fs::perm_options::add);
  fs::permissions(wine_.Drive() / "vorn" / "open" / "PROG16.DTA", fs::perms::all,
                  fs::perm_options::add);
  result.clear();
  outcome = search_as_unprivileged(result);
  EXPECT_EQ(outcome, 1);
  EXPECT_EQ(result, wine_.DrivePath("vorn/open/PROG16.DTA"));
}

}  // namespace
}  // namespace vorn::autoconfig
