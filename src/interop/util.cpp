#include "interop/util.h"

#include <cstring>
#include <memory>

#include "interop/narrow_codec.h"

namespace tarvo::interop {

namespace {

// Up to this many bytes the NUL is looked for before anything is decoded, a search of a few
// nanoseconds; finding it while decoding pays from longer text on.
constexpr std::size_t kCutFirstBytes = 256;

// Decodes `bytes` into backend text of `room` units, a NUL ending it where `cutFirst` is false. Every
// path returns `text`, even those that replace it: a return of other text would keep the compiler
// from building `text` in the caller's place, and copying it there would read the size and pointer
// just stored back in wider loads, which stalls.
runtime::Text DecodeIntoRoom(const NarrowCodec& codec, std::string_view bytes, std::size_t room,
                             bool cutFirst) {
  bool fits = true;
  std::size_t length = 0;
  runtime::Text text = runtime::Text::Build(room, [&](char16_t* units) {
    length = cutFirst ? codec.decodeInto(bytes, units) : codec.decodeUntilNulInto(bytes, units);
    fits = length != NarrowCodec::kDoesNotFit;
    return fits ? length : 0;
  });
  if (!fits) {
    text = runtime::Text(codec.decode(bytes));
  } else if (!cutFirst && length < room / 2 && bytes.find('\0') != std::string_view::npos) {
    // Text that a NUL in the middle cut keeps at most twice the room it needs: past that it moves to
    // storage of its size. Text of characters of two bytes and more is as short without a NUL, so
    // that is looked for.
    text = runtime::Text(text.units());
  }
  return text;
}

// Out of line, so that the loop over a list's entries carries nothing of the message.
[[noreturn, gnu::noinline, gnu::cold]] void ThrowAbsentEntry(const char* operation, std::size_t index) {
  throw NullReferenceError(std::string(operation) + ": entry " + std::to_string(index) +
                           " of the backend's answer is absent (null)");
}

}  // namespace

runtime::Text DecodeLongerToText(const NarrowCodec& codec, std::string_view bytes) {
  // Short ASCII in a codeset that iconv converts, widened straight into the value.
  if (bytes.size() <= runtime::Text::kInlineUnits) {
    bool ascii = true;
    runtime::Text text = runtime::Text::Build(bytes.size(), [&](char16_t* units) {
      const std::size_t length = codec.decodeExact(bytes, units);
      ascii = length != NarrowCodec::kDoesNotFit;
      return ascii ? length : 0;
    });
    if (ascii) return text;
  }
  // Bytes are cut at their NUL first where there are few of them, where their last is a NUL (as in
  // a buffer that holds a shorter string), or where one of those that backend text holds inline is:
  // the text is then allocated for what is left, nothing if it fits inline. Other text gets room for
  // all its bytes, and the codec finds the NUL as it decodes, which for ASCII text saves a pass.
  const bool cutFirst = bytes.size() <= kCutFirstBytes || bytes.back() == '\0' ||
                        std::memchr(bytes.data(), '\0', runtime::Text::kInlineUnits + 1) != nullptr;
  if (cutFirst) {
    bytes = bytes.substr(0, bytes.find('\0'));
    if (bytes.size() <= runtime::Text::kInlineUnits && codec.decodesExactly()) {
      return DecodeToText(codec, bytes);
    }
  }
  const std::size_t room = codec.decodeRoom(bytes);
  if (room == 0) return runtime::Text(codec.decode(bytes));
  return DecodeIntoRoom(codec, bytes, room, cutFirst);
}

// Each entry is checked as it is converted, rather than all of them first: a list of thousands of
// names spans more than the core's caches, and a pass of its own would read it twice.
StringList* NewStringList(const char* operation, const runtime::ArrayElements<runtime::Text>* entries) {
  std::unique_ptr<StringList, decltype(&DestroyStringList)> list(new StringList(), &DestroyStringList);
  if (entries == nullptr) return list.release();
  list->reserve(entries->size());
  for (const runtime::Text& entry : *entries) {
    if (entry.isNull()) ThrowAbsentEntry(operation, list->size());
    auto element = std::make_unique<std::string>(Util::SystemToStdString(entry));
    list->push_back(element.release());  // cannot throw: the storage is reserved
  }
  return list.release();
}

std::string CopyCharacters(const char* operation, const char* parameter, const char* characters) {
  if (characters == nullptr) {
    throw NullReferenceError(std::string(operation) + ": " + parameter + " is a null pointer");
  }
  return std::string(characters);
}

void DestroyStringList(StringList* list) noexcept {
  if (list == nullptr) return;
  for (std::string* element : *list) delete element;  // delete of null is a no-op
  delete list;
}

}  // namespace tarvo::interop
