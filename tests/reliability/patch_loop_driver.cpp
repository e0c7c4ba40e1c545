// Patches one data file again and again with the real port patcher until it is killed (or
// `rounds` times), so that a test can kill it at any moment of a patch.
//
//   patch_loop_driver <data file> <setting line> [rounds]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "autoconfig/port_patcher.h"

namespace {

class Items final : public vorn::autoconfig::StatusList {
 public:
  void AddItem(const std::string& text) override { last = text; }
  std::string last;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <data file> <setting line> [rounds]\n", argv[0]);
    return 2;
  }
  vorn::autoconfig::ProductEntry entry{
      "Vorn Program 03", "PROG03.DTA", static_cast<std::int16_t>(std::atoi(argv[2])), argv[1]};
  const long rounds = argc > 3 ? std::atol(argv[3]) : 0;
  for (long round = 0; rounds == 0 || round < rounds; ++round) {
    Items items;
    vorn::autoconfig::SetPrinterPort(entry, items);
    if (items.last != "Vorn Program 03 printer port set...ok") {
      std::fprintf(stderr, "round %ld: %s\n", round, items.last.c_str());
      return 1;
    }
  }
  return 0;
}
