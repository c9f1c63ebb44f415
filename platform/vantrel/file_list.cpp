#include "vantrel/file_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "vantrel/file_names.h"

namespace tarvo::backend::detail {

namespace {

// UTF-16 order puts U+10000 and above before U+E000..U+FFFF; comparing code points does not.
bool CodePointLess(std::u16string_view left, std::u16string_view right) {
  const auto key = [](char16_t unit) -> char32_t {
    return unit >= 0xD800 && unit < 0xE000 ? char32_t(unit) + 0x10000 : char32_t(unit);
  };
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                      [&](char16_t a, char16_t b) { return key(a) < key(b); });
}

}  // namespace

runtime::Array<runtime::Text> ListFiles(const std::string& folder, bool fullPaths, const NameFilter& filter) {
  const std::unique_ptr<DIR, int (*)(DIR*)> directory(::opendir(folder.c_str()), &::closedir);
  if (!directory) return nullptr;
  std::optional<std::string> prefix;
  if (fullPaths) {
    prefix = RealPath(folder);
    if (!prefix) return nullptr;
    if (prefix->back() != '/') prefix->push_back('/');
  }

  struct Entry {
    std::u16string name;
    std::string bytes;
  };
  std::vector<Entry> entries;
  while (const dirent* entry = ::readdir(directory.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status {};
    const std::string path = (folder.ends_with('/') ? folder : folder + "/") + std::string(name);
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
    std::u16string text(TextFromFileSystem(name).units());
    if (filter.matches(text)) entries.push_back(Entry{std::move(text), std::string(name)});
  }
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return CodePointLess(a.name, b.name); });

  auto list = std::make_shared<runtime::ArrayElements<runtime::Text>>();
  list->reserve(entries.size());
  for (Entry& entry : entries) {
    list->push_back(fullPaths ? TextFromFileSystem(*prefix + entry.bytes)
                              : runtime::Text(std::move(entry.name)));
  }
  return list;
}

}  // namespace tarvo::backend::detail
