// Rendering: Kelvarin's print job writing a PDF through the Qt printer service, against paps
// and enscript setting the same text at 12 points.
//   bench_render [benchmark flags] PRINT_FILE_CRLF PRINT_FILE_LF WORK_DIR
#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <iostream>
#include <string>

#include "bench/cpu_counter.h"
#include "bench/pdf_print_run.h"
#include "bench/process_run.h"

namespace {

namespace fs = std::filesystem;
using vorn::bench::HaveProgram;
using vorn::bench::OwnCpuSeconds;
using vorn::bench::ReportCpu;
using vorn::bench::RunProcess;

void RunOrThrow(const std::vector<std::string>& argv, const std::string& out,
                double* cpuSeconds = nullptr) {
  if (RunProcess(argv, out, cpuSeconds) != 0) throw std::runtime_error(argv[0] + " failed");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 4) {
    std::cerr << "usage: bench_render [benchmark flags] PRINT_FILE_CRLF PRINT_FILE_LF WORK_DIR\n";
    return 2;
  }
  const std::string crlf = argv[1];
  const std::string lf = argv[2];
  const fs::path work = argv[3];
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  fs::create_directories(work / "ours");
  vorn::bench::PdfPrintRun ours((work / "ours").string());
  const std::string papsOut = (work / "paps.ps").string();
  const std::string enscriptOut = (work / "enscript.ps").string();
  const std::vector<std::string> paps = {"paps", "--font=Monospace 12", "--paper=letter", lf};
  const std::vector<std::string> enscript = {"enscript",       "-q", "-B",        "-fCourier12",
                                             "--media=Letter", "-p", enscriptOut, lf};

  // One untimed run of each fills the caches (files, fonts) and shows that all of them work.
  ours.Prepare(crlf);
  ours.Print();
  std::cerr << "ours: " << fs::file_size(ours.PdfPath()) << " bytes of PDF\n";
  RunOrThrow(paps, papsOut);
  std::cerr << "paps: " << fs::file_size(papsOut) << " bytes of PostScript\n";
  const bool haveEnscript = HaveProgram("enscript");
  if (haveEnscript) {
    RunOrThrow(enscript, "");
    std::cerr << "enscript: " << fs::file_size(enscriptOut) << " bytes of PostScript\n";
  }

  benchmark::RegisterBenchmark("render/ours",
                               [&](benchmark::State& state) {
                                 double cpu = 0;
                                 for (auto _ : state) {
                                   state.PauseTiming();
                                   ours.Prepare(crlf);
                                   state.ResumeTiming();
                                   const double before = OwnCpuSeconds();
                                   ours.Print();
                                   cpu += OwnCpuSeconds() - before;
                                 }
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  benchmark::RegisterBenchmark("render/paps",
                               [&](benchmark::State& state) {
                                 double cpu = 0;
                                 for (auto _ : state) RunOrThrow(paps, papsOut, &cpu);
                                 ReportCpu(state, cpu);
                               })
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Iterations(1);
  if (haveEnscript) {
    benchmark::RegisterBenchmark("render/enscript",
                                 [&](benchmark::State& state) {
                                   double cpu = 0;
                                   for (auto _ : state) RunOrThrow(enscript, "", &cpu);
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
