#include "simhost/scheduler.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace simhost {

Scheduler::Scheduler(uint64_t seed) : random_(seed) {}

Scheduler::~Scheduler() {
  UnwindOtherThreads();
  for (auto& thread : threads_) {
    if (thread->worker.joinable()) thread->worker.join();
  }
}

void Scheduler::UnwindOtherThreads() {
  std::unique_lock lock(mutex_);
  if (threads_.empty()) return;
  ending_ = true;
  const int self = current_;
  ender_ = self;
  // Newest first: a thread's stack may refer to objects on the stack of the thread that started it.
  for (auto it = threads_.rbegin(); it != threads_.rend(); ++it) {
    Thread* thread = it->get();
    if (thread->id == self || thread->state == State::kFinished || !thread->worker.joinable()) continue;
    current_ = thread->id;
    thread->wake.notify_one();
    Thread& me = ThreadById(self);
    me.wake.wait(lock, [&] { return current_ == self; });
  }
  ending_ = false;
}

int Scheduler::AdoptCurrentThread() {
  std::lock_guard lock(mutex_);
  auto thread = std::make_unique<Thread>();
  thread->id = static_cast<int>(threads_.size()) + 1;
  current_ = thread->id;
  threads_.push_back(std::move(thread));
  return current_;
}

int Scheduler::Spawn(std::function<void()> body) {
  std::lock_guard lock(mutex_);
  auto thread = std::make_unique<Thread>();
  const int id = static_cast<int>(threads_.size()) + 1;
  thread->id = id;
  Thread* raw = thread.get();
  threads_.push_back(std::move(thread));
  raw->worker = std::thread([this, id, body = std::move(body)] { Trampoline(id, body); });
  return id;
}

void Scheduler::Trampoline(int id, const std::function<void()>& body) {
  std::unique_lock lock(mutex_);
  Thread& self = ThreadById(id);
  self.wake.wait(lock, [&] { return current_ == id; });
  const bool skip = ending_;
  lock.unlock();
  if (!skip) {
    try {
      body();
    } catch (const WorldEnded&) {
    }
  }
  lock.lock();
  self.state = State::kFinished;
  if (ending_) {
    // The destructor handed us the turn to unwind; give it back.
    current_ = ender_;
    for (auto& thread : threads_) thread->wake.notify_all();
    return;
  }
  SwitchAway(lock);
}

Scheduler::Thread& Scheduler::ThreadById(int id) const { return *threads_.at(static_cast<size_t>(id - 1)); }

bool Scheduler::CanRun(const Thread& thread) const {
  switch (thread.state) {
    case State::kRunnable:
      return true;
    case State::kBlocked:
      return now_ >= thread.deadline || (thread.ready && thread.ready());
    case State::kFinished:
    case State::kFrozen:
      return false;
  }
  return false;
}

void Scheduler::SwitchAway(std::unique_lock<std::mutex>& lock) {
  for (;;) {
    std::vector<Thread*> candidates;
    for (auto& thread : threads_) {
      if (CanRun(*thread)) candidates.push_back(thread.get());
    }
    if (!candidates.empty()) {
      Thread* next = candidates[random_() % candidates.size()];
      current_ = next->id;
      next->wake.notify_one();
      return;
    }
    uint64_t earliest = kForever;
    for (auto& thread : threads_) {
      if (thread->state == State::kBlocked && thread->deadline < earliest) earliest = thread->deadline;
    }
    if (earliest == kForever) {
      lock.unlock();
      Deadlock();
    }
    now_ = earliest;
  }
}

void Scheduler::WaitForTurn(std::unique_lock<std::mutex>& lock, Thread& self) {
  self.wake.wait(lock, [&] { return current_ == self.id; });
}

bool Scheduler::BlockUntil(const std::function<bool()>& ready, uint64_t deadline) {
  std::unique_lock lock(mutex_);
  Thread& self = ThreadById(current_);
  if (ending_) {
    // Blocking while the world ends: unwind, unless already unwinding (a destructor that waits).
    if (std::uncaught_exceptions() > 0) return false;
    throw WorldEnded{};
  }
  if (ready && ready()) return true;
  if (now_ >= deadline) return false;
  self.state = State::kBlocked;
  self.ready = ready;
  self.deadline = deadline;
  SwitchAway(lock);
  WaitForTurn(lock, self);
  self.state = State::kRunnable;
  self.ready = nullptr;
  self.deadline = kForever;
  if (ending_) {
    if (std::uncaught_exceptions() > 0) return false;
    throw WorldEnded{};
  }
  return ready && ready();
}

void Scheduler::Sleep(uint64_t milliseconds) {
  const uint64_t deadline = milliseconds >= kForever - now_ ? kForever : now_ + milliseconds;
  BlockUntil(nullptr, deadline);
}

void Scheduler::EnablePreemption(uint64_t seed, uint32_t oneIn) {
  preemptRandom_.seed(seed);
  preemptOneIn_ = oneIn;
}

void Scheduler::SwitchPoint() {
  if (preemptOneIn_ == 0 || preemptRandom_() % preemptOneIn_ != 0) return;
  ++preemptions_;
  Sleep(1);
}

void Scheduler::Freeze(int thread) {
  std::lock_guard lock(mutex_);
  Thread& frozen = ThreadById(thread);
  if (thread == current_ || frozen.state == State::kFinished) return;
  frozen.state = State::kFrozen;
  // What it waited for may hold objects of its process; the stack itself stays as it is.
  frozen.ready = nullptr;
  frozen.deadline = kForever;
}

bool Scheduler::IsFinished(int thread) const {
  std::lock_guard lock(mutex_);
  const State state = ThreadById(thread).state;
  return state == State::kFinished || state == State::kFrozen;
}

int Scheduler::ThreadCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(threads_.size());
}

size_t Scheduler::LiveThreads() const {
  std::lock_guard lock(mutex_);
  size_t live = 0;
  for (auto& thread : threads_) live += thread->state == State::kRunnable || thread->state == State::kBlocked ? 1 : 0;
  return live;
}

void Scheduler::Deadlock() const {
  std::fprintf(stderr, "simulated host: every thread waits without a deadline (deadlock) at %llu ms\n",
               static_cast<unsigned long long>(now_));
  std::abort();
}

}  // namespace simhost

