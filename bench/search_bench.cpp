// Search: Tesmo's FindProduct for all sixteen rows of the product table over a generated drive,
// one run as Tesmo makes it (a search of its own, which walks the drive once), against what a
// skilled user would type: one pass of GNU find with the sixteen names, and fd (where
// installed) with one pattern for all sixteen.
//   bench_search [benchmark flags] DRIVE WORK_DIR
// DRIVE holds vorn/ (see bench_inputs tree); the Wine drive map Tesmo reads is made in
// WORK_DIR, drive X: pointing at DRIVE.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "autoconfig/products.h"
#include "autoconfig/tesmo_context.h"
#include "autoconfig/tree_search.h"
#include "bench/cpu_counter.h"
#include "bench/process_run.h"
#include "common/message_box.h"

namespace {

namespace fs = std::filesystem;
using namespace vorn::autoconfig;
using vorn::bench::HaveProgram;
using vorn::bench::OwnCpuSeconds;
using vorn::bench::ReportCpu;
using vorn::bench::RunProcess;

class NoMessages final : public vorn::MessageBoxes {
 public:
  vorn::MessageAnswer Show(const std::string&, vorn::MessageIcon, vorn::MessageButtons) override {
    return vorn::MessageAnswer::kOk;
  }
};

// The path below ".../vorn/", for comparing what different tools found.
std::string BelowVorn(const std::string& path) {
  auto at = path.rfind("/vorn/");
  return at == std::string::npos ? path : path.substr(at + 6);
}

std::vector<std::string> Lines(const std::string& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Whether a tool's list of found paths agrees with Tesmo's rows: a row is found exactly when
// the tool lists a file of its name, and the file Tesmo found is one of those listed.
bool Agrees(const std::vector<std::string>& listed, const ProductTable& table,
            const std::string& tool) {
  for (const ProductEntry& entry : table) {
    bool named = false;
    bool same = entry.FoundPath.empty();
    for (const std::string& path : listed) {
      if (!SameNameIgnoringCase(fs::path(path).filename().string(), entry.DataFileName)) continue;
      named = true;
      if (BelowVorn(path) == BelowVorn(entry.FoundPath)) same = true;
    }
    if (named == entry.FoundPath.empty() || !same) {
      std::cerr << entry.DataFileName << ": FindProduct gave \"" << entry.FoundPath << "\", "
                << tool << " disagrees\n";
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 3) {
    std::cerr << "usage: bench_search [benchmark flags] DRIVE WORK_DIR\n";
    return 2;
  }
  const fs::path drive = fs::absolute(argv[1]);
  const fs::path work = fs::absolute(argv[2]);
  const std::string root = (drive / "vorn").string();
  const fs::path prefix = work / "wineprefix";
  fs::remove_all(prefix);
  fs::create_directories(prefix / "dosdevices");
  fs::create_directory_symlink(drive, prefix / "dosdevices" / "x:");
  ::setenv("WINEPREFIX", prefix.c_str(), 1);

  NoMessages messages;
  std::vector<std::string> names;
  {
    ProductTable table;
    BuildProductTable(table);
    for (const ProductEntry& entry : table) names.push_back(entry.DataFileName);
  }
  // One configuration run's searches: a search of its own, all sixteen rows.
  ProductTable last;
  auto findAll = [&] {
    auto search = NewSystemTreeSearch();
    TesmoContext ctx(messages, *search, SystemLauncher());
    ctx.InstallDrive = "x";
    BuildProductTable(ctx.ProductTable);
    int found = 0;
    for (ProductEntry& entry : ctx.ProductTable)
      if (FindProduct(ctx, entry)) ++found;
    last = ctx.ProductTable;
    return found;
  };
  const std::string out = (work / "found.txt").string();
  std::vector<std::string> gnuFind = {"find", root, "("};
  for (const std::string& name : names) {
    if (gnuFind.size() > 3) gnuFind.push_back("-o");
    gnuFind.insert(gnuFind.end(), {"-iname", name});
  }
  gnuFind.push_back(")");
  const std::vector<std::string> fdFind = {"fdfind",
                                           "--no-ignore",
                                           "--hidden",
                                           "--ignore-case",
                                           "--type",
                                           "f",
                                           "^PROG(0[1-9]|1[0-6])\\.DTA$",
                                           root};
  const bool haveFd = HaveProgram("fdfind");

  // Untimed: warms the cache and checks that every tool finds the same files.
  int found = findAll();
  RunProcess(gnuFind, out);
  if (!Agrees(Lines(out), last, "find")) return 1;
  if (haveFd) {
    RunProcess(fdFind, out);
    if (!Agrees(Lines(out), last, "fdfind")) return 1;
  }
  std::cerr << "search: " << found << " of 16 rows found, the same by find"
            << (haveFd ? " and fdfind" : "") << "\n";

  benchmark::RegisterBenchmark("search/ours",
                               [&](benchmark::State& state) {
                                 const double before = OwnCpuSeconds();
                                 for (auto _ : state) benchmark::DoNotOptimize(findAll());
                                 ReportCpu(state, OwnCpuSeconds() - before);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  benchmark::RegisterBenchmark("search/find",
                               [&](benchmark::State& state) {
                                 double cpu = 0;
                                 for (auto _ : state) RunProcess(gnuFind, out, &cpu);
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  if (haveFd) {
    benchmark::RegisterBenchmark("search/fdfind",
                                 [&](benchmark::State& state) {
                                   double cpu = 0;
                                   for (auto _ : state) RunProcess(fdFind, out, &cpu);
                                   ReportCpu(state, cpu);
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
