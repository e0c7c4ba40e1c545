// The spooler's answers on Windows: answers that grow between two calls, a spooler that fails,
// and default printer names longer than a first guess.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/run_error.h"
#include "print/platform/spooler_answer_win.h"
#include "print/platform/system_printers.h"

namespace vorn::print {
namespace {

// One call of the spooler as a test plays it: the size it asks for and whether it answers.
struct Reply {
  DWORD needed;
  BOOL answered;
  DWORD error;  // the last error when it does not answer
};

struct GrowCase {
  const char* name;
  std::vector<Reply> replies;
  std::size_t size;  // the answer's size; 0 with `number` set: a failure
  int number;        // 0: no error
};

class SpoolerAnswerTest : public ::testing::TestWithParam<GrowCase> {};

TEST_P(SpoolerAnswerTest, AsksAgainWhileTheAnswerGrowsAndFailsWith482Otherwise) {
  const GrowCase& c = GetParam();
  std::size_t call = 0;
  std::vector<DWORD> sizesGiven;
  auto query = [&](BYTE* buffer, DWORD size, DWORD* needed) -> BOOL {
    const Reply& reply = c.replies[std::min(call, c.replies.size() - 1)];
    ++call;
    sizesGiven.push_back(size);
    if (size > 0) {
      EXPECT_NE(buffer, nullptr);
    }
    *needed = reply.needed;
    if (!reply.answered) SetLastError(reply.error);
    return reply.answered;
  };
  try {
    const std::vector<BYTE> answer = SpoolerAnswer(query, "Cannot list the printers");
    EXPECT_EQ(c.number, 0) << "no error";
    EXPECT_GE(answer.size(), c.size);
    // Every call after the first had the room the one before asked for.
    for (std::size_t i = 1; i < sizesGiven.size(); ++i)
      EXPECT_GE(sizesGiven[i], c.replies[std::min(i - 1, c.replies.size() - 1)].needed);
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), c.number) << error.Description();
    EXPECT_NE(error.Description().find("Cannot list the printers"), std::string::npos)
        << error.Description();
  }
  EXPECT_LE(call, 20u) << "asked without end";
}

constexpr DWORD kTooSmall = ERROR_INSUFFICIENT_BUFFER;

INSTANTIATE_TEST_SUITE_P(
    Cases, SpoolerAnswerTest,
    ::testing::Values(
        GrowCase{"NoPrinters", {{0, TRUE, 0}}, 0, 0},
        GrowCase{"AnswersOnTheSecondCall", {{400, FALSE, kTooSmall}, {400, TRUE, 0}}, 400, 0},
        GrowCase{"APrinterAddedBetweenTheTwoCalls",
                 {{400, FALSE, kTooSmall}, {700, FALSE, kTooSmall}, {700, TRUE, 0}},
                 700,
                 0},
        GrowCase{"ThreePrintersAddedOneByOne",
                 {{400, FALSE, kTooSmall},
                  {500, FALSE, kTooSmall},
                  {600, FALSE, kTooSmall},
                  {700, FALSE, kTooSmall},
                  {700, TRUE, 0}},
                 700,
                 0},
        GrowCase{"TheSpoolerIsNotRunning", {{0, FALSE, RPC_S_SERVER_UNAVAILABLE}}, 0, 482},
        GrowCase{"TheSpoolerFailsOnTheSecondCall",
                 {{400, FALSE, kTooSmall}, {0, FALSE, RPC_S_SERVER_UNAVAILABLE}},
                 0,
                 482},
        GrowCase{"AnAnswerThatNeverFits", {{0, FALSE, kTooSmall}}, 0, 482}),
    [](const ::testing::TestParamInfo<GrowCase>& info) { return info.param.name; });

// The profile entry that names the default printer: "name,winspool,port". Put back after.
class DefaultPrinterEntry {
 public:
  DefaultPrinterEntry() {
    wchar_t saved[1024] = {};
    had_ = GetProfileStringW(L"windows", L"device", L"", saved, 1024) > 0;
    saved_ = saved;
  }
  ~DefaultPrinterEntry() {
    WriteProfileStringW(L"windows", L"device", had_ ? saved_.c_str() : nullptr);
  }
  DefaultPrinterEntry(const DefaultPrinterEntry&) = delete;
  DefaultPrinterEntry& operator=(const DefaultPrinterEntry&) = delete;

  void Set(const std::wstring& name) {
    ASSERT_TRUE(
        WriteProfileStringW(L"windows", L"device", (name + L",winspool,CUPS:vorn").c_str()));
  }

 private:
  std::wstring saved_;
  bool had_ = false;
};

class DefaultPrinterNameTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(DefaultPrinterNameTest, IsReadWholeWhateverItsLength) {
  DefaultPrinterEntry entry;
  std::string name = "Kanzlei Drucker ";
  while (name.size() < GetParam()) name += static_cast<char>('A' + name.size() % 26);
  name.resize(GetParam());
  entry.Set(std::wstring(name.begin(), name.end()));
  EXPECT_EQ(SystemDefaultPrinter(), name);
}

// A printer's share name on a print server may be long: "\\server\share" up to 260 characters.
INSTANTIATE_TEST_SUITE_P(Lengths, DefaultPrinterNameTest,
                         ::testing::Values(std::size_t{20}, std::size_t{98}, std::size_t{99},
                                           std::size_t{150}, std::size_t{259}));

// A spooler call that takes longer than its limit is given up on as error 482 at the limit; one
// within it gives its answer or its own error.
TEST(SpoolerCallWithin, GivesUpAtTheLimitAndPassesAnswersAndErrors) {
  using namespace std::chrono_literals;
  const auto start = std::chrono::steady_clock::now();
  try {
    SpoolerCallWithin<int>(1s, "Cannot list the printers", [] {
      std::this_thread::sleep_for(5s);
      return 1;
    });
    ADD_FAILURE() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), 482);
    EXPECT_EQ(error.Description(),
              "Cannot list the printers: the print server did not answer within 1 s");
  }
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, 950ms);
  EXPECT_LT(waited, 4s);
  EXPECT_EQ(SpoolerCallWithin<int>(5s, "x", [] { return 7; }), 7);
  EXPECT_THROW(SpoolerCallWithin<int>(
                   5s, "x", []() -> int { throw RunError(ErrorNumber::kNoPrinter, "none"); }),
               RunError);
}

}  // namespace
}  // namespace vorn::print
