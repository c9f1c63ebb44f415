#include "vantrel/file_names.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "interop/narrow_codec.h"

namespace tarvo::backend::detail {

std::string FileSystemName(const runtime::Text& name, std::string_view operation) {
  const std::u16string_view units = name.units(std::string(operation).c_str());
  const interop::NarrowCodec& codec = interop::NarrowCodec::process();
  std::string bytes = codec.encode(units);
  if (codec.decode(bytes) != units) {
    throw std::invalid_argument(std::string(operation) + ": the file name " + Quoted(bytes) +
                                " cannot be written exactly in the file-system encoding " + codec.codeset());
  }
  return bytes;
}

runtime::Text TextFromFileSystem(std::string_view bytes) {
  return runtime::Text(interop::NarrowCodec::process().decode(bytes));
}

namespace {

// The components of a relative name with "." and empty ones dropped and ".." applied; nothing when
// ".." would climb above the start.
std::optional<std::vector<std::string>> NormalComponents(std::string_view name) {
  std::vector<std::string> components;
  while (!name.empty()) {
    const size_t slash = name.find('/');
    const std::string_view component = name.substr(0, slash);
    name = slash == std::string_view::npos ? std::string_view() : name.substr(slash + 1);
    if (component.empty() || component == ".") continue;
    if (component == "..") {
      if (components.empty()) return std::nullopt;
      components.pop_back();
    } else {
      components.emplace_back(component);
    }
  }
  return components;
}

}  // namespace

std::optional<std::string> ConfinedPath(const std::string& base, const std::string& name) {
  if (name.empty() || name.front() == '/') return std::nullopt;
  const std::optional<std::vector<std::string>> components = NormalComponents(name);
  if (!components || components->empty()) return std::nullopt;

  std::string path = base.empty() ? std::string(".") : base;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::optional<std::string> realBase = RealPath(path);

  // Only links can lead out once ".." is gone; each one met on the existing part of the path must
  // resolve inside the base. Past the first missing component nothing exists to follow.
  bool exists = realBase.has_value();
  for (const std::string& component : *components) {
    path += (path == "/" ? "" : "/") + component;
    struct stat status {};
    if (!exists || ::lstat(path.c_str(), &status) != 0) {
      exists = false;
      continue;
    }
    if (S_ISLNK(status.st_mode)) {
      const std::optional<std::string> target = RealPath(path);
      if (!target || !IsWithin(*target, *realBase)) return std::nullopt;
    }
  }
  return path;
}

std::optional<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get());
}

bool IsWithin(std::string_view path, std::string_view folder) {
  if (folder == "/") return !path.empty() && path.front() == '/';
  return path.starts_with(folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

std::string_view BaseName(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string Quoted(std::string_view path) {
  return "'" + std::string(path) + "'";
}

}  // namespace tarvo::backend::detail
