// A host of the utility interface: create a wrapper, bind its backend, round-trip a text, list and
// release a folder's files, show the error an unbound wrapper gives, and release everything.
//   sample_host [MESSAGE]
#include <cstdio>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"

int main(int argc, char** argv) {
  const std::string message = argc > 1 ? argv[1] : "Grüße from the sample host";

  // 1. A wrapper from the factory, bound to a new backend object.
  IVantrelWrapper* utility = IVantrelWrapper::CreateInstance();
  utility->LoadObject();

  // 2. Strings go in by value and come back as new strings that the host owns.
  utility->TestSet(message);
  const std::string echoed = utility->TestGet();
  std::printf("TestSet/TestGet: \"%s\" -> \"%s\"\n", message.c_str(), echoed.c_str());

  // 3. A string list belongs to the host until it goes back through Destroy(list), exactly once.
  std::vector<std::string*>* files = utility->GetFileList("/etc", false, "host*");
  for (const std::string* name : *files) std::printf("  /etc/%s\n", name->c_str());
  utility->Destroy(files);

  // 4. Operations that need a backend fail on an unbound wrapper, which stays usable.
  IVantrelWrapper* names = IVantrelWrapper::CreateFileNameManager();
  try {
    names->LoadText("/etc/hostname");
  } catch (const tarvo::NullReferenceError& error) {
    std::printf("refused: %s\n", error.what());
  }
  std::printf("file names need no backend: %s\n", names->GetXLPFileName(42).c_str());

  // 5. Wrappers go back through the static Destroy, never delete.
  IVantrelWrapper::Destroy(names);
  IVantrelWrapper::Destroy(utility);
  return echoed == message ? 0 : 1;
}
