// The owner template and the atomic slot: each kind closes what it holds exactly once, through its own seam
// call, and never its empty values.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/local_memory.h"
#include "platform/registry_handles.h"
#include "platform/service_handles.h"
#include "platform/setup_handles.h"
#include "platform/socket_handles.h"
#include "platform/unique_handle.h"
#include "support/recording_seams.h"

namespace {

using fwtest::CallText;
using fwtest::RecordingSeams;
using Calls = std::vector<std::string>;

template <typename T>
T Value(uintptr_t bits) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(bits);
  } else {
    return static_cast<T>(bits);
  }
}

uintptr_t InvalidHandleBits() { return reinterpret_cast<uintptr_t>(INVALID_HANDLE_VALUE); }

struct Kind {
  const char* name;
  std::vector<const char*> close;  // the seam calls one close is made of, in order
  std::vector<uintptr_t> notClosed;  // the kind's empty value first, then any other value that is never closed
  void (*check)(RecordingSeams& seams, const Kind& kind);
};

template <typename T>
Calls ClosesOf(const Kind& kind, std::initializer_list<T> values) {
  Calls calls;
  for (const T value : values) {
    for (const char* call : kind.close) calls.push_back(CallText(call, value));
  }
  return calls;
}

template <typename Owner>
void CheckOwner(RecordingSeams& seams, const Kind& kind) {
  using Type = typename Owner::Type;
  typename Owner::Seam& seam = seams;
  const Type a = Value<Type>(0x10);
  const Type b = Value<Type>(0x20);

  {
    const Owner owner(seam, a);
    EXPECT_TRUE(owner.IsValid());
    EXPECT_EQ(seams.Take(), Calls{}) << "nothing is closed while it is held";
  }
  EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "the destructor closes once";

  {
    const Owner owner(seam);
    EXPECT_EQ(owner.Get(), Value<Type>(kind.notClosed.front())) << "the empty value";
    for (const uintptr_t bits : kind.notClosed) {
      const Owner empty(seam, Value<Type>(bits));
      EXPECT_FALSE(empty.IsValid()) << std::hex << bits;
    }
  }
  EXPECT_EQ(seams.Take(), Calls{}) << "empty values are never closed";

  {
    Owner from(seam, a);
    Owner to(std::move(from));
    EXPECT_FALSE(from.IsValid());  // NOLINT(bugprone-use-after-move): the moved-from state is what is tested
    EXPECT_EQ(to.Get(), a);
    Owner other(seam, b);
    other = std::move(to);
    EXPECT_EQ(seams.Take(), ClosesOf(kind, {b})) << "a move assignment closes what it replaces";
    EXPECT_EQ(other.Get(), a);
  }
  EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "a moved value is closed once, by its last owner";

  {
    Owner owner(seam, a);
    owner.Reset(b);
    EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "a reset closes the old value";
    Type* receive = owner.Receive();
    EXPECT_EQ(seams.Take(), ClosesOf(kind, {b})) << "a receive closes what was held first";
    *receive = a;
  }
  EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "a received value is owned";

  {
    Owner owner(seam, a);
    EXPECT_EQ(owner.Detach(), a);
    EXPECT_FALSE(owner.IsValid());
  }
  EXPECT_EQ(seams.Take(), Calls{}) << "a detached value is the caller's to close";
}

TEST(UniqueTest, EachKindClosesOnceThroughItsSeamCall) {
  const uintptr_t invalid = InvalidHandleBits();
  const Kind kinds[] = {
      {"device file", {"CloseHandle"}, {invalid, 0}, &CheckOwner<plat::UniqueFile>},
      {"thread or event", {"CloseHandle"}, {0, invalid}, &CheckOwner<plat::UniqueHandle>},
      {"scan-application lock", {"ReleaseMutex", "CloseHandle"}, {invalid, 0}, &CheckOwner<plat::UniqueMutex>},
      {"service handle", {"CloseServiceHandle"}, {0}, &CheckOwner<plat::UniqueServiceHandle>},
      {"socket", {"closesocket"}, {static_cast<uintptr_t>(INVALID_SOCKET)}, &CheckOwner<plat::UniqueSocket>},
      {"registry key", {"RegCloseKey"}, {0}, &CheckOwner<plat::UniqueRegKey>},
      {"device information set", {"SetupDiDestroyDeviceInfoList"}, {invalid, 0},
       &CheckOwner<plat::UniqueDeviceInfoSet>},
      {"local memory", {"LocalFree"}, {0}, &CheckOwner<plat::UniqueLocalMemory>},
  };
  RecordingSeams seams;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    kind.check(seams, kind);
  }
}

template <typename Slot>
void CheckSlot(RecordingSeams& seams, const Kind& kind) {
  const HANDLE a = Value<HANDLE>(0x10);
  const HANDLE b = Value<HANDLE>(0x20);
  {
    Slot slot(seams);
    EXPECT_TRUE(slot.IsEmpty());
    EXPECT_EQ(slot.Load(), Value<HANDLE>(kind.notClosed.front())) << "the one empty value";
    slot.Reset(a);
    EXPECT_FALSE(slot.IsEmpty());
    EXPECT_EQ(slot.Load(), a);
    slot.Reset(b);
    EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "a replaced handle is closed";

    EXPECT_FALSE(slot.CloseIfStillHeld(a));
    EXPECT_EQ(slot.Load(), b) << "a handle read earlier and replaced since is not cleared";
    EXPECT_EQ(seams.Take(), Calls{}) << "nor closed again";

    EXPECT_TRUE(slot.CloseIfStillHeld(b));
    EXPECT_TRUE(slot.IsEmpty());
    EXPECT_EQ(seams.Take(), ClosesOf(kind, {b})) << "the handle still held is cleared and closed";
    EXPECT_FALSE(slot.CloseIfStillHeld(b));
    slot.Reset();
    EXPECT_EQ(seams.Take(), Calls{}) << "an empty slot closes nothing";
    slot.Reset(a);
  }
  EXPECT_EQ(seams.Take(), ClosesOf(kind, {a})) << "what the slot holds when it goes is closed";
}

TEST(UniqueSlotTest, ASlotClosesWhatItGivesUpOnce) {
  const Kind kinds[] = {
      {"thread slot", {"CloseHandle"}, {0}, &CheckSlot<plat::ThreadSlot>},
      {"lock slot", {"ReleaseMutex", "CloseHandle"}, {InvalidHandleBits()}, &CheckSlot<plat::LockSlot>},
  };
  RecordingSeams seams;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    kind.check(seams, kind);
  }
}

// Real threads: only the slot's atomics and the guarded record are shared. Each round starts both threads
// together, so that over the rounds their calls overlap.
constexpr int kRaceRounds = 300;

template <typename First, typename Second>
void RunTogether(First first, Second second) {
  std::atomic<int> ready{0};
  auto start = [&ready] {
    ready.fetch_add(1);
    while (ready.load() < 2) std::this_thread::yield();
  };
  std::thread one([&] {
    start();
    first();
  });
  std::thread two([&] {
    start();
    second();
  });
  one.join();
  two.join();
}

TEST(UniqueSlotRaceTest, TwoThreadsClearingTheSameHandleCloseItOnce) {
  RecordingSeams seams;
  for (int round = 0; round < kRaceRounds; ++round) {
    plat::ThreadSlot slot(seams);
    const HANDLE thread = Value<HANDLE>(0x1000 + round);
    slot.Reset(thread);
    std::atomic<int> closers{0};
    auto clear = [&] {
      if (slot.CloseIfStillHeld(thread)) closers.fetch_add(1);
    };
    RunTogether(clear, clear);
    ASSERT_EQ(closers.load(), 1) << "round " << round;
    ASSERT_TRUE(slot.IsEmpty()) << "round " << round;
    ASSERT_EQ(seams.Take(), Calls{CallText("CloseHandle", thread)}) << "round " << round;
  }
}

TEST(UniqueSlotRaceTest, AClearRacingAReplacementClosesTheOldHandleOnceAndKeepsTheNew) {
  RecordingSeams seams;
  for (int round = 0; round < kRaceRounds; ++round) {
    const HANDLE earlier = Value<HANDLE>(0x1000 + 2 * round);
    const HANDLE later = Value<HANDLE>(0x1001 + 2 * round);
    {
      plat::ThreadSlot slot(seams);
      slot.Reset(earlier);
      RunTogether([&] { slot.CloseIfStillHeld(earlier); }, [&] { slot.Reset(later); });
      ASSERT_EQ(slot.Load(), later) << "round " << round;
      ASSERT_EQ(seams.Take(), Calls{CallText("CloseHandle", earlier)}) << "round " << round;
    }
    ASSERT_EQ(seams.Take(), Calls{CallText("CloseHandle", later)}) << "round " << round;
  }
}

}  // namespace
