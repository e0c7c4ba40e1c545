// Memory: one run of Kelvarin's print job (PDF through the Qt printer service) in a process of
// its own, then its peak resident memory.
//   bench_print_memory PRINT_FILE WORK_DIR
// Prints "peak_rss_kb=<VmHWM> maxrss_kb=<ru_maxrss> pdf_bytes=<size>".
#include <sys/resource.h>

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/pdf_print_run.h"

namespace {

// The process's high-water mark of resident memory, from the kernel's own accounting.
long VmHwmKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 12, '\n');
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: bench_print_memory PRINT_FILE WORK_DIR\n";
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  std::filesystem::create_directories(argv[2]);
  vorn::bench::PdfPrintRun run(argv[2]);
  run.Prepare(argv[1]);
  try {
    run.Print();
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::cout << "peak_rss_kb=" << VmHwmKb() << " maxrss_kb=" << usage.ru_maxrss
            << " pdf_bytes=" << std::filesystem::file_size(run.PdfPath()) << "\n";
  return 0;
}
