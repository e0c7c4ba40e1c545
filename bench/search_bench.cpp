// Search: Tesmo's FindProduct for all sixteen rows of the product table over a generated drive,
// against GNU find (and fd where installed) looking for the same sixteen names one by one.
//   bench_search [benchmark flags] DRIVE WORK_DIR
// DRIVE holds vorn/ (see bench_inputs tree); the Wine drive map Tesmo reads is made in
// WORK_DIR, drive X: pointing at DRIVE.
#include <benchmark/benchmark.h>
#include <stdlib.h>

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

std::string FirstLine(const std::string& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
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
  TesmoContext ctx(messages, SystemTreeSearch());
  ctx.InstallDrive = "x";
  BuildProductTable(ctx.ProductTable);
  std::vector<std::string> names;
  for (const ProductEntry& entry : ctx.ProductTable) names.push_back(entry.DataFileName);

  auto findAll = [&ctx] {
    int found = 0;
    for (ProductEntry& entry : ctx.ProductTable) {
      entry.FoundPath.clear();
      if (FindProduct(ctx, entry)) ++found;
    }
    return found;
  };
  const std::string out = (work / "found.txt").string();
  auto gnuFind = [&](const std::string& name) {
    return std::vector<std::string>{"find", root, "-iname", name, "-print", "-quit"};
  };
  auto fdFind = [&](const std::string& name) {
    return std::vector<std::string>{"fdfind", "--no-ignore", "--hidden", "--ignore-case",
                                    "--type", "f",           "--glob",   "--max-results",
                                    "1",      name,          root};
  };
  const bool haveFd = HaveProgram("fdfind");

  // Untimed: warms the cache and checks that every tool finds the same files.
  int found = findAll();
  for (const ProductEntry& entry : ctx.ProductTable) {
    RunProcess(gnuFind(entry.DataFileName), out);
    std::string theirs = FirstLine(out);
    if (BelowVorn(theirs) != BelowVorn(entry.FoundPath)) {
      std::cerr << entry.DataFileName << ": FindProduct gave \"" << entry.FoundPath
                << "\", find gave \"" << theirs << "\"\n";
      return 1;
    }
    if (haveFd) {
      RunProcess(fdFind(entry.DataFileName), out);
      if (FirstLine(out).empty() != entry.FoundPath.empty()) {
        std::cerr << entry.DataFileName << ": fdfind disagrees with FindProduct\n";
        return 1;
      }
    }
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
                                 for (auto _ : state)
                                   for (const std::string& name : names)
                                     RunProcess(gnuFind(name), out, &cpu);
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  if (haveFd) {
    benchmark::RegisterBenchmark("search/fdfind",
                                 [&](benchmark::State& state) {
                                   double cpu = 0;
                                   for (auto _ : state)
                                     for (const std::string& name : names)
                                       RunProcess(fdFind(name), out, &cpu);
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
