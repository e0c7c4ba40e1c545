#pragma once

#include <map>
#include <string>
#include <vector>

#include "autoconfig/tree_search.h"
#include "common/run_error.h"

namespace vorn::autoconfig::testing {

// A search that knows a fixed set of files by name, records every call and can be told to
// fail at its n-th call (counted from 1).
class FakeTreeSearch final : public TreeSearch {
 public:
  bool SearchTreeForFile(const std::string& rootPath, const std::string& fileName,
                         std::string& foundPath) override {
    calls.push_back(rootPath + "|" + fileName);
    if (static_cast<int>(calls.size()) == fail_at_call)
      throw RunError(ErrorNumber::kFileNotFound, "imagehlp: File not found");
    auto it = files.find(fileName);
    if (it == files.end()) return false;
    foundPath = it->second;
    return true;
  }

  std::map<std::string, std::string> files;  // data file name -> path reported
  std::vector<std::string> calls;
  int fail_at_call = 0;
};

}  // namespace vorn::autoconfig::testing
