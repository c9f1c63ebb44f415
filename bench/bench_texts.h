// Deterministic sample texts for the conversion benchmarks: English-like ASCII, Latin text with about
// 8% accented letters, and Russian, each cut to a byte size in a given narrow codeset.
#ifndef TARVO_BENCH_BENCH_TEXTS_H
#define TARVO_BENCH_BENCH_TEXTS_H

#include <cstddef>
#include <string>

#include "interop/narrow_codec.h"

namespace tarvo::bench {

enum class Script { Ascii, Latin, Cyrillic };

const char* ScriptName(Script script);

// At least `characters` UTF-16 units of running text in `script`; the same every run.
std::u16string MakeText(Script script, std::size_t characters);

// The longest prefix of `text` whose encoding in `codec` fits in `maxBytes`, encoded. Fails when the
// codeset cannot represent the text.
std::string NarrowPrefix(const interop::NarrowCodec& codec, const std::u16string& text, std::size_t maxBytes);

}  // namespace tarvo::bench

#endif  // TARVO_BENCH_BENCH_TEXTS_H
