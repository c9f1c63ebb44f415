#include "bench_texts.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace tarvo::bench {
namespace {

constexpr std::array<std::u16string_view, 24> kEnglishWords = {
    u"the",    u"model",  u"case",     u"of",   u"and",       u"refinery", u"result", u"file",
    u"basis",  u"solver", u"margin",   u"to",   u"with",      u"crude",    u"unit",   u"blend",
    u"report", u"is",     u"schedule", u"tank", u"recursion", u"a",        u"price",  u"run"};

constexpr std::array<std::u16string_view, 24> kRussianWords = {
    u"модель", u"и",     u"случай",  u"в",      u"расчёт", u"файл",      u"база",  u"на",
    u"цена",   u"смесь", u"нефть",   u"отчёт",  u"для",    u"резервуар", u"с",     u"установка",
    u"план",   u"по",    u"решение", u"запуск", u"маржа",  u"это",       u"поток", u"остаток"};

// Pairs of a plain letter and an accented letter that every benchmarked codeset can write.
constexpr std::u16string_view kPlain = u"eeaaouiocn";
constexpr std::u16string_view kAccented = u"éèàâöüîôçñ";

// A small fixed generator, so that the texts do not depend on the standard library's engines.
class Xorshift {
 public:
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::size_t below(std::size_t bound) { return next() % bound; }

 private:
  std::uint32_t state_ = 2463534242u;
};

}  // namespace

const char* ScriptName(Script script) {
  switch (script) {
    case Script::Ascii:
      return "ascii";
    case Script::Latin:
      return "latin";
    case Script::Cyrillic:
      return "cyrillic";
  }
  return "?";
}

std::u16string MakeText(Script script, std::size_t characters) {
  const auto& words = script == Script::Cyrillic ? kRussianWords : kEnglishWords;
  Xorshift random;
  std::u16string text;
  text.reserve(characters + 16);
  while (text.size() < characters) {
    text += words[random.below(words.size())];
    const std::size_t punctuation = random.below(12);
    text += punctuation == 0 ? u", " : punctuation == 1 ? u". " : u" ";
  }
  text.resize(characters);
  if (script == Script::Latin) {
    // Accent the letters that have an accented form, at the rate that makes 8% of all characters accented.
    std::size_t candidates = 0;
    for (const char16_t unit : text) candidates += kPlain.find(unit) != std::u16string_view::npos;
    const std::size_t perMille = candidates == 0 ? 0 : 80 * text.size() / candidates;
    for (char16_t& unit : text) {
      const std::size_t at = kPlain.find(unit);
      if (at != std::u16string_view::npos && random.below(1000) < perMille) unit = kAccented[at];
    }
  }
  return text;
}

std::string NarrowPrefix(const interop::NarrowCodec& codec, const std::u16string& text,
                         std::size_t maxBytes) {
  std::size_t fits = 0, tooLong = text.size() + 1;
  while (tooLong - fits > 1) {
    const std::size_t middle = fits + (tooLong - fits) / 2;
    if (codec.encode(std::u16string_view(text).substr(0, middle)).size() <= maxBytes) {
      fits = middle;
    } else {
      tooLong = middle;
    }
  }
  std::string narrow = codec.encode(std::u16string_view(text).substr(0, fits));
  if (codec.decode(narrow) != std::u16string_view(text).substr(0, fits)) {
    throw std::runtime_error("bench text: codeset " + codec.codeset() + " cannot represent the text");
  }
  return narrow;
}

}  // namespace tarvo::bench
