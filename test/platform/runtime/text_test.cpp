// Backend text: absent versus empty, characters held inline or shared, and building in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/text.h"

namespace tarvo::runtime {
namespace {

TEST(Text, AbsentAndEmptyDiffer) {
  const Text absent, empty(u"");
  EXPECT_TRUE(absent.isNull());
  EXPECT_FALSE(empty.isNull());
  EXPECT_EQ(empty.units(), u"");
  EXPECT_NE(absent, empty);
  EXPECT_EQ(absent, Text::null());
  try {
    absent.units("GetUserName");
    FAIL() << "absent text gave characters";
  } catch (const NullReferenceError& error) {
    EXPECT_STREQ(error.what(), "GetUserName: the text is absent (null)");
  }
}

// Copies, moves and assignments between text held inline and shared text must keep the characters,
// whichever way they are held on either side.
TEST(Text, CopiesMovesAndAssignmentsKeepTheCharactersOnBothSidesOfTheInlineEdge) {
  const std::vector<std::u16string> samples = {u"",
                                               u"a",
                                               u"\u00E9t\u00E9 \u65E5\u672C",
                                               std::u16string(Text::kInlineUnits, u'i'),
                                               std::u16string(Text::kInlineUnits + 1, u's'),
                                               std::u16string(1000, u'x')};
  for (const std::u16string& first : samples) {
    for (const std::u16string& second : samples) {
      Text a(first), b(second);
      Text copy = a;
      EXPECT_EQ(copy.units(), first);
      copy = b;
      EXPECT_EQ(copy.units(), second);
      EXPECT_EQ(a.units(), first);
      Text moved = std::move(a);
      EXPECT_EQ(moved.units(), first);
      EXPECT_TRUE(a.isNull());  // NOLINT(bugprone-use-after-move): a moved-from text is absent
      moved = std::move(b);
      EXPECT_EQ(moved.units(), second);
      const Text& same = moved;
      moved = same;
      EXPECT_EQ(moved.units(), second);
      EXPECT_EQ(Text(first) == Text(second), first == second);
    }
  }
}

TEST(Text, CopiesShareTheCharactersAndOutliveTheOriginal) {
  auto original = std::make_unique<Text>(std::u16string(100, u'q'));
  const Text copy = *original;
  EXPECT_EQ(copy.units().data(), original->units().data());
  original.reset();
  EXPECT_EQ(copy.units(), std::u16string(100, u'q'));
}

TEST(Text, BuildWritesInPlaceAndMovesShortResultsInline) {
  const Text built = Text::Build(64, [](char16_t* out) {
    for (int i = 0; i < 40; ++i) out[i] = static_cast<char16_t>(u'a' + i % 26);
    return std::size_t{40};
  });
  EXPECT_EQ(built.units().size(), 40u);
  EXPECT_EQ(built.units().substr(0, 3), u"abc");
  const Text shortText = Text::Build(64, [](char16_t* out) {
    out[0] = u'o';
    out[1] = u'k';
    return std::size_t{2};
  });
  EXPECT_EQ(shortText.units(), u"ok");
  EXPECT_EQ(Text::Build(64, [](char16_t*) { return std::size_t{0}; }), Text(u""));
  // Room that the value itself holds: written there, every unit of it.
  const Text full = Text::Build(Text::kInlineUnits, [](char16_t* out) {
    for (std::size_t i = 0; i < Text::kInlineUnits; ++i) out[i] = u'f';
    return Text::kInlineUnits;
  });
  EXPECT_EQ(full.units(), std::u16string(Text::kInlineUnits, u'f'));
}

// The sanitizer build would report the storage if a failing fill left it behind.
TEST(Text, BuildThatFailsLeavesNothing) {
  for (std::size_t capacity : {std::size_t{4}, std::size_t{100}, std::size_t{1} << 20}) {
    EXPECT_THROW(Text::Build(capacity, [](char16_t*) -> std::size_t { throw std::runtime_error("fill"); }),
                 std::runtime_error);
  }
  EXPECT_THROW(Text::Build(static_cast<std::size_t>(-1) / 2, [](char16_t*) { return std::size_t{0}; }),
               std::bad_alloc);
}

// Copies made and dropped on several threads at once: the last one out frees the characters once.
TEST(Text, CopiesLiveOnSeveralThreads) {
  const Text shared(std::u16string(64, u's'));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([shared] {
      for (int i = 0; i < 10000; ++i) {
        Text copy = shared;
        if (copy.units().size() != 64) std::abort();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(shared.units(), std::u16string(64, u's'));
}

}  // namespace
}  // namespace tarvo::runtime
