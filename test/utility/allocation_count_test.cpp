// Counts heap allocations exactly: a text argument costs one (its backend text; none when the text is
// short enough to be held inline), a returned string one (its characters), beyond what the backend
// itself allocates. Its own program, because it replaces the global operator new.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"
#include "interop/narrow_codec.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"
#include "utility/wrapper_fixture.h"

namespace {
long allocations = 0;
std::size_t allocatedBytes = 0;
}  // namespace

// All kept out of line: inlined next to each other, GCC would take the malloc/free pair for a
// mismatched new/free.
__attribute__((noinline)) void* operator new(std::size_t size) {
  ++allocations;
  allocatedBytes += size;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* memory) noexcept {
  std::free(memory);
}
__attribute__((noinline)) void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace tarvo::test {
namespace {

// Answers from prepared values and counts what it allocates itself, so that the test can tell the
// bridge's allocations from the backend's.
class CountingVantrel : public backend::Vantrel {
 public:
  Text answer;
  Array<Text> files;
  long allocatedHere = 0;

  Text LoadText(const Text&) override { return copy(answer); }
  bool Copy(const Text&, const Text&, bool, const Text&, const Text&, int) override { return true; }
  Array<Text> GetFileList(const Text&, bool, const Text&) override { return files; }
  int Interpolate(Array<double>&, Array<double>&, int, double, double&, double&) override { return 1; }

 private:
  Text copy(const Text& text) {
    const long before = allocations;
    Text result = text;
    allocatedHere += allocations - before;
    return result;
  }
};

class AllocationCount : public ::testing::Test {
 protected:
  void SetUp() override {
    wrapper_ = IVantrelWrapper::CreateInstance();
    bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper_), backend_);
    interop::NarrowCodec::process();  // made once per process, not by the calls counted
  }
  void TearDown() override { IVantrelWrapper::Destroy(wrapper_); }

  // Allocations that `call` makes, less those of the backend.
  template <class Call>
  long bridgeAllocations(Call call) {
    backend_->allocatedHere = 0;
    const long before = allocations;
    call();
    return allocations - before - backend_->allocatedHere;
  }

  IVantrelWrapper& wrapper() { return *wrapper_; }
  CountingVantrel& backend() { return *backend_; }

 private:
  std::shared_ptr<CountingVantrel> backend_ = std::make_shared<CountingVantrel>();
  IVantrelWrapper* wrapper_ = nullptr;
};

// Text in the process's narrow encoding, `length` characters long, with some non-ASCII letters
// where the encoding has them.
std::string NarrowText(std::size_t length) {
  const std::string accented = NarrowEAcute();
  std::string text;
  while (text.size() < length) text += (text.size() % 7 == 3 && !accented.empty()) ? accented : "m";
  return text;
}

std::u16string WideText(std::size_t length) {
  std::u16string text;
  while (text.size() < length) text += text.size() % 7 == 3 ? u'\u00E9' : u'w';
  return text;
}

TEST_F(AllocationCount, OneForTheArgumentAndOneForTheResult) {
  for (const std::size_t length :
       {std::size_t{24}, std::size_t{300}, std::size_t{5000}, std::size_t{1} << 20}) {
    backend().answer = Text(WideText(length));
    std::string argument = NarrowText(length);
    std::string result;
    // Backend text of up to kInlineUnits units lives in the Text value itself.
    const long forArgument = length > Text::kInlineUnits ? 1 : 0;
    EXPECT_EQ(bridgeAllocations([&] { result = wrapper().LoadText(std::move(argument)); }), forArgument + 1)
        << length;
    EXPECT_EQ(backend().allocatedHere, 0);  // a copy of backend text shares its characters
    EXPECT_GE(result.size(), length);
  }
}

TEST_F(AllocationCount, ShortTextsFitTheStringsThemselves) {
  backend().answer = Text(u"short");
  std::string argument = "tiny";
  EXPECT_EQ(bridgeAllocations([&] { wrapper().LoadText(std::move(argument)); }), 0);
  // The longest text held inline, and the longest answer a std::string holds itself.
  backend().answer = Text(std::u16string(15, u'a'));
  argument = std::string(Text::kInlineUnits, 'b');
  EXPECT_EQ(bridgeAllocations([&] { wrapper().LoadText(std::move(argument)); }), 0);
}

TEST_F(AllocationCount, TextCutAtANulIsAllocatedForWhatIsLeft) {
  std::u16string answer = WideText(100000);
  answer[10] = u'\0';
  backend().answer = Text(answer);
  std::string argument = NarrowText(100000);
  argument[5] = '\0';
  std::string result;
  EXPECT_EQ(bridgeAllocations([&] { result = wrapper().LoadText(std::move(argument)); }), 0);
  EXPECT_LT(result.capacity(), 16u);
}

// A host's buffer that holds a shorter string, zeros after it: its text is allocated for the string,
// not for the buffer.
TEST_F(AllocationCount, ABufferHoldingAShorterStringIsAllocatedForTheString) {
  backend().answer = Text(u"short");
  std::string buffer(1 << 20, '\0');
  const std::string text = NarrowText(100);
  buffer.replace(0, text.size(), text);
  const std::size_t bytesBefore = allocatedBytes;
  EXPECT_EQ(bridgeAllocations([&] { wrapper().LoadText(std::move(buffer)); }), 1);
  EXPECT_LT(allocatedBytes - bytesBefore, 1000u);
}

TEST_F(AllocationCount, EachTextArgumentOnce) {
  std::string model = NarrowText(40), analytics = NarrowText(41), source = NarrowText(42),
              target = NarrowText(43);
  EXPECT_EQ(bridgeAllocations([&] {
              wrapper().Copy(std::move(model), std::move(analytics), true, std::move(source),
                             std::move(target), 1);
            }),
            4);
}

TEST_F(AllocationCount, TestSetAndTestGetOnceEach) {
  wrapper().LoadObject();
  std::string message = NarrowText(64);
  EXPECT_EQ(bridgeAllocations([&] { wrapper().TestSet(std::move(message)); }), 1);
  std::string result;
  EXPECT_EQ(bridgeAllocations([&] { result = wrapper().TestGet(); }), 1);
}

// The list's layout fixes the rest: the vector object and its element array, and for each entry a
// string object and its characters.
TEST_F(AllocationCount, FileListAllocatesItsLayoutAndNothingElse) {
  const std::size_t entries = 1000;
  backend().files = std::make_shared<runtime::ArrayElements<Text>>(entries, Text(WideText(40)));
  std::string folder = NarrowText(60), filter = NarrowText(50);  // too long to be held inline
  std::vector<std::string*>* list = nullptr;
  EXPECT_EQ(
      bridgeAllocations([&] { list = wrapper().GetFileList(std::move(folder), true, std::move(filter)); }),
      static_cast<long>(2 + 2 + 2 * entries));
  ASSERT_EQ(list->size(), entries);
  wrapper().Destroy(list);
}

// Each backend array is one shared object and one block of elements, filled in one pass.
TEST_F(AllocationCount, InterpolateAllocatesTheTwoArrays) {
  std::vector<double> x(100000, 1.0), y(100000, 2.0);
  double dY = 0, slope = 0;
  EXPECT_EQ(bridgeAllocations([&] { wrapper().Interpolate(x.data(), y.data(), 100000, 0.5, dY, slope); }), 4);
}

TEST(CodecAllocationCount, OnePerConversionWhateverTheLength) {
  const interop::NarrowCodec& codec = interop::NarrowCodec::process();
  for (const std::size_t length : {std::size_t{100}, std::size_t{4097}, std::size_t{3} << 20}) {
    const std::u16string text = WideText(length);
    long before = allocations;
    const std::string narrow = codec.encode(text);
    EXPECT_EQ(allocations - before, 1) << length;
    before = allocations;
    const std::u16string wide = codec.decode(narrow);
    EXPECT_EQ(allocations - before, 1) << length;
    EXPECT_TRUE(wide == text || !ProcessIsUtf8());
  }
}

// Long text is measured before it is encoded, and long runs of ASCII are measured a block at a
// time: the result is allocated once, at exactly its size, wherever the other characters stand.
TEST(CodecAllocationCount, LongTextLedByAsciiIsAllocatedAtItsSize) {
  const interop::NarrowCodec& codec = interop::NarrowCodec::process();
  for (const std::size_t ascii : {std::size_t{4100}, std::size_t{70001}, std::size_t{1} << 20}) {
    const std::u16string text = std::u16string(ascii, u'w') + WideText(5000) + std::u16string(ascii, u'w');
    const long before = allocations;
    const std::string narrow = codec.encode(text);
    EXPECT_EQ(allocations - before, 1) << ascii;
    EXPECT_EQ(narrow.capacity(), narrow.size()) << ascii;
  }
}

}  // namespace
}  // namespace tarvo::test
