// Many at once: several host threads create, bind, copy and destroy tens of thousands of wrappers
// and string lists, each wrapper used by one thread at a time (copies are handed to the next thread,
// which finishes with them), and memory ends where it started.
#include <gtest/gtest.h>

#include <malloc.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model_container/tag_table_resolver.h"
#include "reliability/allocation_counter.h"
#include "unified_tags/test_resolvers.h"
#include "unified_tags/unified_tags_manager_wrapper.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {
namespace {

constexpr int kThreads = 4;
constexpr int kRoundsPerThread = 3000;

// Answers every GetFileList with the same entries; reading a shared array is safe from any thread.
class ListingVantrel : public backend::Vantrel {
 public:
  runtime::Array<runtime::Text> GetFileList(const runtime::Text&, bool, const runtime::Text&) override {
    return entries_;
  }

 private:
  const runtime::Array<runtime::Text> entries_ =
      std::make_shared<runtime::ArrayElements<runtime::Text>>(runtime::ArrayElements<runtime::Text>{
          runtime::Text(u"a.dat"), runtime::Text(u"Grüße-long-enough-to-leave-sso.txt"), runtime::Text(u"")});
};

// A wrapper copy on its way from the thread that made it to the thread that finishes with it.
struct HandOver {
  VantrelWrapper copy;
  std::string expected;
};

class HandOverQueue {
 public:
  void Push(HandOver item) {
    {
      const std::lock_guard lock(mutex_);
      items_.push_back(std::move(item));
    }
    ready_.notify_one();
  }
  // Takes an item if one is waiting.
  bool TryPop(HandOver& item) {
    const std::lock_guard lock(mutex_);
    if (items_.empty()) return false;
    item = std::move(items_.front());
    items_.pop_front();
    return true;
  }
  // Waits for an item; none once every producer has finished and the queue is empty.
  bool Pop(HandOver& item) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [&] { return !items_.empty() || producers_ == 0; });
    if (items_.empty()) return false;
    item = std::move(items_.front());
    items_.pop_front();
    return true;
  }
  void ProducerDone() {
    {
      const std::lock_guard lock(mutex_);
      --producers_;
    }
    ready_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<HandOver> items_;
  int producers_ = kThreads;
};

// One host thread's work; returns the number of checks that failed.
int HostThread(int id, int rounds, HandOverQueue& queue, const std::shared_ptr<backend::Vantrel>& listing,
               const std::shared_ptr<backend::TagTableResolver>& resolver) {
  int failures = 0;
  for (int round = 0; round < rounds; ++round) {
    const std::string message = "thread " + std::to_string(id) + " round " + std::to_string(round) + " Grüße";

    // A bound wrapper; its copy goes to another thread, which checks and destroys it.
    IVantrelWrapper* bound = IVantrelWrapper::CreateInstance();
    bound->LoadObject();
    bound->TestSet(message);
    queue.Push({static_cast<VantrelWrapper&>(*bound), message});
    IVantrelWrapper::Destroy(bound);

    // A string list made by one wrapper and released by another.
    IVantrelWrapper* lister = IVantrelWrapper::CreateInstance();
    bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*lister), listing);
    VantrelWrapper assigned;
    assigned = static_cast<VantrelWrapper&>(*lister);
    std::vector<std::string*>* list = assigned.GetFileList("folder", false, "*");
    if (list->size() != 3 || *(*list)[1] != "Grüße-long-enough-to-leave-sso.txt") ++failures;
    IVantrelWrapper* names = IVantrelWrapper::CreateFileNameManager();
    names->Destroy(list);
    if (names->GetXLPFileName(round % 100000) !=
        "case_" + std::string(5 - std::to_string(round).size(), '0') + std::to_string(round) + ".xlp") {
      ++failures;
    }
    IVantrelWrapper::Destroy(names);
    IVantrelWrapper::Destroy(lister);

    // A unified-tags wrapper on the shared resolver, and a copy of it.
    IUnifiedTagsManagerWrapper* tags = IUnifiedTagsManagerWrapper::CreateInstance();
    tags->LoadObject(NewHandle(resolver));
    UnifiedTagsManagerWrapper tagsCopy(static_cast<UnifiedTagsManagerWrapper&>(*tags));
    IUnifiedTagsManagerWrapper::Destroy(tags);
    if (tagsCopy.GetExtendedTag("BALCRD01") != "Balance.Crude.Period 1") ++failures;

    // Finish with a copy some thread handed over.
    HandOver received;
    if (queue.TryPop(received) && received.copy.TestGet() != received.expected) ++failures;
  }
  queue.ProducerDone();
  for (HandOver item; queue.Pop(item); item = HandOver{}) {
    if (item.copy.TestGet() != item.expected) ++failures;
  }
  return failures;
}

void RunHostThreads(int rounds) {
  const auto listing = std::make_shared<ListingVantrel>();
  const auto resolver = backend::TagTableResolver::Parse("BALCRD01\tBalance.Crude.Period 1\n", "memory");
  HandOverQueue queue;
  std::vector<int> failures(kThreads, 0);
  std::vector<std::thread> threads;
  for (int id = 0; id < kThreads; ++id) {
    threads.emplace_back([&, id] { failures[id] = HostThread(id, rounds, queue, listing, resolver); });
  }
  for (std::thread& thread : threads) thread.join();
  for (int id = 0; id < kThreads; ++id) EXPECT_EQ(failures[id], 0) << "thread " << id;
}

TEST(ManyAtOnce, ThousandsOfWrappersAndListsFromSeveralThreadsLeaveNoGrowth) {
  RunHostThreads(50);  // warm-up: the process codec, the handle table, the C library's thread caches
  const std::int64_t liveBefore = allocation::Live();
  const std::size_t heapBefore = mallinfo2().uordblks;

  RunHostThreads(kRoundsPerThread);

  EXPECT_EQ(allocation::Live(), liveBefore) << "allocations left outstanding";
  const std::size_t heapAfter = mallinfo2().uordblks;
  // The C library's heap, which also sees what iconv and the threads allocate: a freed thread's
  // arena may keep a few blocks, but nothing that grows with the number of rounds.
  EXPECT_LT(heapAfter, heapBefore + 64 * 1024) << "heap grew from " << heapBefore << " to " << heapAfter;
}

}  // namespace
}  // namespace tarvo::test
