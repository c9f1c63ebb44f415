// A short host: create a wrapper, bind its backend, round-trip a text, show the error an unbound
// wrapper gives, and release everything. Uses only the public headers.
#include <cstdio>
#include <exception>
#include <string>

#include "IVantrelWrapper.h"

int main(int argc, char** argv) {
  const std::string message = argc > 1 ? argv[1] : "Grüße from the sample host";

  IVantrelWrapper* bound = IVantrelWrapper::CreateInstance();
  bound->LoadObject();
  bound->TestSet(message);
  const std::string echoed = bound->TestGet();
  std::printf("TestSet/TestGet round trip: \"%s\" -> \"%s\" (%s)\n", message.c_str(), echoed.c_str(),
              echoed == message ? "equal" : "DIFFERENT");
  IVantrelWrapper::Destroy(bound);

  IVantrelWrapper* unbound = IVantrelWrapper::CreateInstance();
  try {
    unbound->LoadText("model/notes.txt");
    std::printf("LoadText on an unbound wrapper unexpectedly succeeded\n");
  } catch (const tarvo::NullReferenceError& error) {
    std::printf("LoadText before LoadObject fails as it should: %s\n", error.what());
  } catch (const std::exception& error) {
    std::printf("LoadText before LoadObject failed with an unexpected error: %s\n", error.what());
  }
  IVantrelWrapper::Destroy(unbound);
  return echoed == message ? 0 : 1;
}
