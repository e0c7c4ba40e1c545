// Patch: Tesmo's SetPrinterPort on a data file of 32,767 lines (it rewrites the file and
// flushes it to disk) against GNU sed -i changing the same line, with and without a following
// `sync FILE`.
//   bench_patch [benchmark flags] DATA_FILE WORK_DIR
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "autoconfig/port_patcher.h"
#include "autoconfig/status_list.h"
#include "bench/cpu_counter.h"
#include "bench/process_run.h"

namespace {

namespace fs = std::filesystem;
using vorn::bench::OwnCpuSeconds;
using vorn::bench::ReportCpu;
using vorn::bench::RunProcess;

class KeptItems final : public vorn::autoconfig::StatusList {
 public:
  void AddItem(const std::string& text) override { last = text; }
  std::string last;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 3) {
    std::cerr << "usage: bench_patch [benchmark flags] DATA_FILE WORK_DIR\n";
    return 2;
  }
  const fs::path work = fs::absolute(argv[2]);
  fs::create_directories(work);
  // Each tool works on its own copy; the patch leaves a file that patches to itself again.
  const std::string oursFile = (work / "PROG01.DTA").string();
  const std::string sedFile = (work / "sed.dta").string();
  fs::copy_file(argv[1], oursFile, fs::copy_options::overwrite_existing);
  fs::copy_file(argv[1], sedFile, fs::copy_options::overwrite_existing);

  vorn::autoconfig::ProductEntry entry{"Vorn Program 01", "PROG01.DTA", 13, oursFile, {}};
  KeptItems items;
  // Line 13's last character before CR LF becomes 4, as the ordinary rule does.
  const std::vector<std::string> sed = {"sed", "-i", "13s/.\\r$/4\\r/", sedFile};
  const std::vector<std::string> sync = {"sync", sedFile};

  // Untimed: one of each, and the two results must be the same bytes.
  vorn::autoconfig::SetPrinterPort(entry, items);
  if (items.last != "Vorn Program 01 printer port set...ok") {
    std::cerr << "SetPrinterPort: " << items.last << "\n";
    return 1;
  }
  if (RunProcess(sed) != 0) return 1;
  if (ReadAll(oursFile) != ReadAll(sedFile)) {
    std::cerr << "SetPrinterPort and sed -i wrote different files\n";
    return 1;
  }
  std::cerr << "patch: " << fs::file_size(oursFile) << " bytes, the same from both\n";

  benchmark::RegisterBenchmark("patch/ours",
                               [&](benchmark::State& state) {
                                 const double before = OwnCpuSeconds();
                                 for (auto _ : state)
                                   vorn::autoconfig::SetPrinterPort(entry, items);
                                 ReportCpu(state, OwnCpuSeconds() - before);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5);
  benchmark::RegisterBenchmark("patch/sed",
                               [&](benchmark::State& state) {
                                 double cpu = 0;
                                 for (auto _ : state) RunProcess(sed, {}, &cpu);
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5);
  benchmark::RegisterBenchmark("patch/sed_sync",
                               [&](benchmark::State& state) {
                                 double cpu = 0;
                                 for (auto _ : state) {
                                   RunProcess(sed, {}, &cpu);
                                   RunProcess(sync, {}, &cpu);
                                 }
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(5);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
