// A program for the tests to run, start as a document viewer or put on the PATH as a converter.
//
//   stand_in_program record FILE ARG...   writes each ARG followed by a NUL byte to FILE, exits 0
//   stand_in_program view [--ignore-term] [--hand-off] DOCUMENT
//                                         writes its pid to DOCUMENT.viewer-pid, then waits for a
//                                         signal (or, with --hand-off, exits at once as an opener
//                                         that passed the document on does)
//   soffice ...                           (called through a link of that name) fails like a
//                                         converter that cannot read its input
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

int Record(int argc, char** argv) {
  std::ofstream out(argv[2], std::ios::binary);
  for (int i = 3; i < argc; ++i) out << argv[i] << '\0';
  return out ? 0 : 1;
}

int View(int argc, char** argv) {
  bool ignoreTerm = false, handOff = false;
  for (int i = 2; i < argc - 1; ++i) {
    ignoreTerm |= std::strcmp(argv[i], "--ignore-term") == 0;
    handOff |= std::strcmp(argv[i], "--hand-off") == 0;
  }
  if (ignoreTerm) ::signal(SIGTERM, SIG_IGN);
  // Written under another name and renamed, so a test never reads half a number.
  const std::string pidFile = std::string(argv[argc - 1]) + ".viewer-pid";
  { std::ofstream(pidFile + ".part") << ::getpid(); }
  std::rename((pidFile + ".part").c_str(), pidFile.c_str());
  if (handOff) return 0;
  for (;;) ::pause();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string name = argv[0];
  if (name.size() >= 7 && name.compare(name.size() - 7, 7, "soffice") == 0) {
    std::fputs("Error: source file could not be loaded\n", stderr);
    return 3;
  }
  if (argc >= 3 && std::strcmp(argv[1], "record") == 0) return Record(argc, argv);
  if (argc >= 3 && std::strcmp(argv[1], "view") == 0) return View(argc, argv);
  std::fputs("usage: stand_in_program record FILE ARG... | view [--ignore-term] [--hand-off] DOCUMENT\n",
             stderr);
  return 2;
}
