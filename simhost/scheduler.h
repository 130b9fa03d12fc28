// Deterministic threads in virtual time. Every simulated thread is a real thread, but only one runs at a
// time: it runs until it blocks in the seam, then the scheduler picks the next runnable thread with a seeded
// generator; when none can run, the clock jumps to the earliest wake-up. Same seed, same run.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace simhost {

inline constexpr uint64_t kForever = UINT64_MAX;

// Thrown into a thread that is still blocked when its world ends, so its stack unwinds.
struct WorldEnded {};

class Scheduler {
 public:
  explicit Scheduler(uint64_t seed);
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;
  // Ends every thread still blocked (unwinding it with WorldEnded) and joins them all.
  ~Scheduler();

  // Virtual milliseconds since the world began.
  uint64_t Now() const { return now_; }

  // Unwinds every other thread that has not finished (with WorldEnded), as the end of its process would.
  void UnwindOtherThreads();

  // Makes the calling thread a simulated thread that holds the right to run (the test body).
  int AdoptCurrentThread();
  // A new thread, runnable, that starts when the scheduler first picks it.
  int Spawn(std::function<void()> body);

  // Blocks the current thread until ready() holds or the clock reaches the deadline. ready() is evaluated
  // by whichever thread is scheduling, so it may only read simulated state. True when ready() held.
  bool BlockUntil(const std::function<bool()>& ready, uint64_t deadline);
  void Sleep(uint64_t milliseconds);

  // Preemption at the product's switch points (plat::IKernel::SwitchPoint): off unless enabled. Once enabled,
  // each point switches the calling thread out for 1 ms of virtual time, one time in `oneIn`, drawn from a
  // generator of its own: the scheduler's own generator draws exactly as it would without preemption.
  void EnablePreemption(uint64_t seed, uint32_t oneIn);
  void SwitchPoint();
  uint64_t Preemptions() const { return preemptions_; }

  // Ends another thread where it stands, as the end of its process does: it never runs again and nothing of
  // it unwinds (no destructor runs) until the world ends. It counts as finished from now on.
  void Freeze(int thread);

  int CurrentThread() const { return current_; }
  bool IsFinished(int thread) const;
  // Every thread made so far, finished or not: their ids run from 1 to this.
  int ThreadCount() const;
  size_t LiveThreads() const;

 private:
  enum class State { kRunnable, kBlocked, kFinished, kFrozen };
  struct Thread {
    int id = 0;
    State state = State::kRunnable;
    std::function<bool()> ready;
    uint64_t deadline = kForever;
    std::condition_variable wake;
    std::thread worker;
  };

  Thread& ThreadById(int id) const;
  bool CanRun(const Thread& thread) const;
  // Chooses and wakes the next thread; advances the clock when nothing can run. Caller holds the lock.
  void SwitchAway(std::unique_lock<std::mutex>& lock);
  void WaitForTurn(std::unique_lock<std::mutex>& lock, Thread& self);
  void Trampoline(int id, const std::function<void()>& body);
  [[noreturn]] void Deadlock() const;

  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<Thread>> threads_;
  std::mt19937_64 random_;
  std::mt19937_64 preemptRandom_;
  uint32_t preemptOneIn_ = 0;  // 0: off
  uint64_t preemptions_ = 0;
  uint64_t now_ = 0;
  int current_ = 0;
  int ender_ = 0;
  bool ending_ = false;
};

}  // namespace simhost
