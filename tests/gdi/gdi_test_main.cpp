// Test entry point: text tests run against a fixed font set (DejaVu and Liberation, with the
// system's fontconfig rules), so that results do not depend on what else is installed and so
// that a font added from memory is not already installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Leaks inside fontconfig that the program cannot free (also listed in tools/lsan-suppressions.txt,
// which tools/run-tests.sh hands to every sanitized test).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
  char folder[] = "/tmp/gdi-tests-fonts-XXXXXX";
  if (!mkdtemp(folder)) return 2;
  const std::string config = std::string(folder) + "/fonts.conf";
  FILE* f = std::fopen(config.c_str(), "w");
  if (!f) return 2;
  std::fprintf(f,
               "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n"
               "  <dir>/usr/share/fonts/truetype/dejavu</dir>\n"
               "  <dir>/usr/share/fonts/truetype/liberation2</dir>\n"
               "  <cachedir>%s/cache</cachedir>\n"
               "  <include ignore_missing=\"yes\">/etc/fonts/conf.d</include>\n"
               "</fontconfig>\n",
               folder);
  std::fclose(f);
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::remove(config.c_str());
  std::system((std::string("rm -rf ") + folder).c_str());
  return result;
}
