// Makes the benchmarks' inputs:
//   bench_inputs print FILE LINES [LF]  a print file of LINES lines of 80 columns, CR LF ended
//                                       (LF: line feeds only, for the reference tools), a form
//                                       feed at the end of every 60th line
//   bench_inputs data FILE LINES        a data file of LINES lines, CR LF ended, whose 13th line
//                                       holds the printer port "1"
//   bench_inputs tree DRIVE             DRIVE/vorn with 10,000 folders of 10 files each, four
//                                       of the sixteen data files deep inside, the rest decoys
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kColumns = 80;
constexpr int kLinesPerPage = 60;

// One line of a quote: a line number and the same words in a different place every line, so
// that the text is not one repeated string.
std::string QuoteLine(long long n) {
  static const char kWords[] =
      "Coverage  Premium  Deductible  Vehicle  Driver  Liability  Collision  Comprehensive  "
      "Medical  Uninsured  Towing  Rental  Discount  Surcharge  Term  Effective  ";
  char head[32];
  std::snprintf(head, sizeof head, "%07lld  ", n);
  std::string line = head;
  const std::size_t words = sizeof kWords - 1;
  for (std::size_t i = static_cast<std::size_t>(n * 7) % words; line.size() < kColumns; ++i)
    line.push_back(kWords[i % words]);
  return line;
}

int MakePrintFile(const std::string& path, long long lines, bool lfOnly) {
  std::ofstream out(path, std::ios::binary);
  const char* end = lfOnly ? "\n" : "\r\n";
  for (long long n = 1; n <= lines; ++n) {
    out << QuoteLine(n);
    if (n % kLinesPerPage == 0) out << '\f';
    out << end;
  }
  return out.good() ? 0 : 1;
}

int MakeDataFile(const std::string& path, long long lines) {
  std::ofstream out(path, std::ios::binary);
  for (long long n = 1; n <= lines; ++n) {
    if (n == 13) {
      out << "PrinterPort=1\r\n";
      continue;
    }
    out << "Setting" << n << "=\"" << QuoteLine(n).substr(9, 50) << "\"\r\n";
  }
  return out.good() ? 0 : 1;
}

void Touch(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// 16 folders, each with 24, each with 25: 10,000 folders; 10 files in every one. The
// sixteen data-file names appear only as the four real files below and as near misses.
int MakeTree(const std::string& drive) {
  const fs::path vorn = fs::path(drive) / "vorn";
  fs::remove_all(vorn);
  const std::map<std::string, std::string> real = {
      {"d15/s23/l24", "PROG01.DTA"},
      {"d07/s11/l12", "PROG07.DTA"},
      {"d12/s03/l20", "prog12.dta"},
      {"d15/s00/l00", "PROG16.DTA"},
  };
  long long files = 0;
  long long folders = 0;
  char name[32];
  auto fill = [&](const fs::path& dir, const std::string& key) {
    fs::create_directories(dir);
    for (int f = 0; f < 10; ++f) {
      if (f == 0 && real.count(key) != 0) {
        Touch(dir / real.at(key), "PrinterPort=1\r\n");
      } else if (f == 1 && files % 97 == 1) {
        std::snprintf(name, sizeof name, "PROG%02lld.DTA.bak", files % 16 + 1);
        Touch(dir / name, "");
      } else if (f == 2 && files % 89 == 2) {
        std::snprintf(name, sizeof name, "XPROG%02lld.DTA", files % 16 + 1);
        Touch(dir / name, "");
      } else {
        std::snprintf(name, sizeof name, "quote%06lld.txt", files);
        Touch(dir / name, "");
      }
      ++files;
    }
  };
  for (int d = 0; d < 16; ++d) {
    char dn[8];
    std::snprintf(dn, sizeof dn, "d%02d", d);
    fs::create_directories(vorn / dn);
    ++folders;
    for (int s = 0; s < 24; ++s) {
      char sn[8];
      std::snprintf(sn, sizeof sn, "s%02d", s);
      fs::create_directories(vorn / dn / sn);
      ++folders;
      for (int l = 0; l < 25; ++l) {
        char ln[8];
        std::snprintf(ln, sizeof ln, "l%02d", l);
        fill(vorn / dn / sn / ln, std::string(dn) + "/" + sn + "/" + ln);
        ++folders;
      }
    }
  }
  // The leaves hold the files: 9,600 leaves of 10 files, and the 400 upper folders 10 more.
  for (int d = 0; d < 16; ++d) {
    char dn[8];
    std::snprintf(dn, sizeof dn, "d%02d", d);
    fill(vorn / dn, "");
    for (int s = 0; s < 24; ++s) {
      char sn[8];
      std::snprintf(sn, sizeof sn, "s%02d", s);
      fill(vorn / dn / sn, "");
    }
  }
  std::cout << "tree: " << folders << " folders, " << files << " files under " << vorn.string()
            << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "print" && (argc == 4 || argc == 5))
    return MakePrintFile(argv[2], std::atoll(argv[3]), argc == 5 && std::string(argv[4]) == "LF");
  if (what == "data" && argc == 4) return MakeDataFile(argv[2], std::atoll(argv[3]));
  if (what == "tree" && argc == 3) return MakeTree(argv[2]);
  std::cerr << "usage: bench_inputs print FILE LINES [LF] | data FILE LINES | tree DRIVE\n";
  return 2;
}
