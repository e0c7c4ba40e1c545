// A stand-in for Kelvarin in the launch tests: writes how many arguments it got to "started"
// in its current directory, under a temporary name first so the test never reads it half-made.
#include <cstdio>

int main(int argc, char**) {
  std::FILE* out = std::fopen("started.tmp", "w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%d", argc - 1);
  std::fclose(out);
  return std::rename("started.tmp", "started") == 0 ? 0 : 1;
}
