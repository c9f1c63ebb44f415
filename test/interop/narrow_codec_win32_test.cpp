// The Windows codec: the process's ANSI code page through the system's converters.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "interop/narrow_codec.h"

namespace tarvo::interop {
namespace {

TEST(NarrowCodecWin32, TheProcessCodecIsTheAnsiCodePage) {
  const std::string expected = GetACP() == 65001 ? "UTF-8" : "CP" + std::to_string(GetACP());
  EXPECT_EQ(NarrowCodec::environmentCodeset(), expected);
  EXPECT_EQ(NarrowCodec::process().codeset(), expected);
  EXPECT_EQ(NarrowCodec::process().decode("plain ASCII"), u"plain ASCII");
}

TEST(NarrowCodecWin32, WindowsCodePagesRoundTripTheirOwnCharacters) {
  const NarrowCodec cp1252 = NarrowCodec::forCodeset("CP1252");
  EXPECT_EQ(cp1252.kind(), NarrowCodec::Kind::SingleByte);
  EXPECT_EQ(cp1252.decode("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
  EXPECT_EQ(cp1252.encode(u"caf\u00E9 \u20AC"), "caf\xE9 \x80");

  const NarrowCodec koi8 = NarrowCodec::forCodeset("KOI8-R");
  EXPECT_EQ(koi8.codeset(), "CP20866");
  EXPECT_EQ(koi8.encode(u"\u041C\u0438\u0440"), "\xED\xC9\xD2");
  EXPECT_EQ(koi8.decode("\xED\xC9\xD2"), u"\u041C\u0438\u0440");

  const NarrowCodec utf8 = NarrowCodec::forCodeset("utf8");
  EXPECT_EQ(utf8.kind(), NarrowCodec::Kind::Utf8);
  EXPECT_EQ(utf8.encode(u"\u00E9\U0001F600"), "\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8.decode("\xC3\xA9\xF0\x9F\x98\x80"), u"\u00E9\U0001F600");
}

TEST(NarrowCodecWin32, WhatACodePageLacksBecomesAQuestionMarkNeverALookAlike) {
  const NarrowCodec cp1252 = NarrowCodec::forCodeset("windows-1252");
  // Best fit would write 'a' for U+0101 and could name another file.
  EXPECT_EQ(cp1252.encode(u"\u0101\u4E2D"), "??");
  EXPECT_EQ(cp1252.encode(u"x\xD800y"), "x?y");
  EXPECT_EQ(NarrowCodec::forCodeset("UTF-8").encode(u"x\xDC00y"), "x?y");
  EXPECT_EQ(NarrowCodec::forCodeset("UTF-8").decode("a\xFF"
                                                    "b"),
            u"a\uFFFDb");
}

TEST(NarrowCodecWin32, BothDirectionsStopAtTheFirstNul) {
  const NarrowCodec& codec = NarrowCodec::process();
  EXPECT_EQ(codec.decode(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(codec.encode(std::u16string(u"ab\0cd", 5)), "ab");
  EXPECT_EQ(codec.decode(""), u"");
}

TEST(NarrowCodecWin32, UnknownCodesetsAreRefusedByName) {
  for (const char* name : {"", "no-such-codeset", "CP0", "ISO-8859-99"}) {
    try {
      NarrowCodec::forCodeset(name);
      ADD_FAILURE() << name << " was accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find(std::string("'") + name + "'"), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace tarvo::interop
