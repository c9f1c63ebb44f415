// The guided run over a sample model folder.
#ifndef VANTREL_HOST_DEMO_H
#define VANTREL_HOST_DEMO_H

#include <string>
#include <vector>

namespace vantrel_host {

inline constexpr const char* kDemoSummary =
    "copies, renames, lists and reads model files, runs a program, enciphers, interpolates, prints the "
    "identity, probes and model file names, and resolves tags, naming each step";

// Returns the exit code: 0 when every step succeeded, 1 at the first failing step.
int RunDemo(const std::vector<std::string>& arguments);

}  // namespace vantrel_host

#endif  // VANTREL_HOST_DEMO_H
