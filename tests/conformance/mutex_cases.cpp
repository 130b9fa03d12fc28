// Named mutexes as the program uses them for its single-instance and scan-application locks: the last error of
// CreateMutexW, the session and global namespaces, and a mutex whose owner ends without releasing it.
#include "checks.h"

namespace conformance {
namespace {

struct Created {
  HANDLE handle = nullptr;
  DWORD error = 0;
};

Created Create(Context& t, BOOL initialOwner, const wchar_t* name) {
  t.host.kernel.SetLastError(0xdeadbeef);
  Created made;
  made.handle = t.host.kernel.CreateMutexW(nullptr, initialOwner, name);
  made.error = t.host.kernel.GetLastError();
  return made;
}

void Close(Context& t, const Created& made) {
  if (made.handle != nullptr) t.host.kernel.CloseHandle(made.handle);
}

}  // namespace

void test_mutex_create_last_error(Context& t) {
  const wchar_t* name = L"FWUConformance.Create";
  const Created first = Create(t, FALSE, name);
  ok(first.handle != nullptr, "new name: got %p\n", static_cast<void*>(first.handle));
  ok(first.error == ERROR_SUCCESS, "new name: got error %lu\n", ul(first.error));

  const Created second = Create(t, FALSE, name);
  ok(second.handle != nullptr && second.handle != first.handle, "existing name: got %p (first %p)\n",
     static_cast<void*>(second.handle), static_cast<void*>(first.handle));
  ok(second.error == ERROR_ALREADY_EXISTS, "existing name: got error %lu\n", ul(second.error));

  // Asking to own an existing mutex does not make the caller its owner.
  const Created third = Create(t, TRUE, name);
  ok(third.error == ERROR_ALREADY_EXISTS, "existing name, initial owner: got error %lu\n", ul(third.error));
  t.host.kernel.SetLastError(0xdeadbeef);
  BOOL released = t.host.kernel.ReleaseMutex(third.handle);
  DWORD error = t.host.kernel.GetLastError();
  ok(!released && error == ERROR_NOT_OWNER, "release of a mutex not owned: got %d, error %lu\n", released, ul(error));

  const Created unnamed = Create(t, FALSE, nullptr);
  ok(unnamed.handle != nullptr && unnamed.error == ERROR_SUCCESS, "no name: got %p, error %lu\n",
     static_cast<void*>(unnamed.handle), ul(unnamed.error));

  // A new mutex created owned is the caller's: one release, then no more.
  const Created owned = Create(t, TRUE, L"FWUConformance.Owned");
  ok(owned.handle != nullptr && owned.error == ERROR_SUCCESS, "owned: got %p, error %lu\n",
     static_cast<void*>(owned.handle), ul(owned.error));
  released = t.host.kernel.ReleaseMutex(owned.handle);
  ok(released, "first release: got %d\n", released);
  t.host.kernel.SetLastError(0xdeadbeef);
  released = t.host.kernel.ReleaseMutex(owned.handle);
  error = t.host.kernel.GetLastError();
  ok(!released && error == ERROR_NOT_OWNER, "second release: got %d, error %lu\n", released, ul(error));

  // The name lives as long as a handle to it: once every one is closed, it is new again.
  for (const Created* made : {&first, &second, &third, &unnamed, &owned}) Close(t, *made);
  const Created again = Create(t, FALSE, name);
  ok(again.handle != nullptr && again.error == ERROR_SUCCESS, "name after every handle closed: got %p, error %lu\n",
     static_cast<void*>(again.handle), ul(again.error));
  Close(t, again);
}

void test_mutex_namespaces(Context& t) {
  const Created global = Create(t, FALSE, L"Global\\FWUConformance.Space");
  ok(global.handle != nullptr && global.error == ERROR_SUCCESS, "Global\\ name: got %p, error %lu\n",
     static_cast<void*>(global.handle), ul(global.error));
  // The plain name is the session's: another object than the global one.
  const Created session = Create(t, FALSE, L"FWUConformance.Space");
  ok(session.handle != nullptr, "session name: got %p\n", static_cast<void*>(session.handle));
  ok(session.error == ERROR_SUCCESS, "session name beside the global one: got error %lu\n", ul(session.error));
  // Local\ is the session's namespace under its own name.
  const Created local = Create(t, FALSE, L"Local\\FWUConformance.Space");
  ok(local.error == ERROR_ALREADY_EXISTS, "Local\\ name: got error %lu\n", ul(local.error));
  const Created globalAgain = Create(t, FALSE, L"Global\\FWUConformance.Space");
  ok(globalAgain.error == ERROR_ALREADY_EXISTS, "Global\\ name again: got error %lu\n", ul(globalAgain.error));
  // Owning the session one leaves the global one free.
  DWORD wait = t.host.kernel.WaitForSingleObject(session.handle, 0);
  ok(wait == WAIT_OBJECT_0, "session mutex: got %#lx\n", ul(wait));
  wait = t.host.kernel.WaitForSingleObject(local.handle, 0);
  ok(wait == WAIT_OBJECT_0, "Local\\ mutex, owned already by this thread: got %#lx\n", ul(wait));
  for (const Created* made : {&global, &session, &local, &globalAgain}) Close(t, *made);
}

void test_mutex_held_by_another_process(Context& t) {
  const wchar_t* name = L"FWUConformance.Held";
  if (!t.machine.StartMutexHolder(name)) {
    skip("no process could be started to hold the mutex\n");
    return;
  }
  const Created mutex = Create(t, FALSE, name);
  ok(mutex.handle != nullptr && mutex.error == ERROR_ALREADY_EXISTS, "held name: got %p, error %lu\n",
     static_cast<void*>(mutex.handle), ul(mutex.error));
  DWORD wait = t.host.kernel.WaitForSingleObject(mutex.handle, 0);
  ok(wait == WAIT_TIMEOUT, "held by the other process: got %#lx\n", ul(wait));
  ok(t.machine.EndMutexHolder(), "the holder ended\n");
  // Its owner gone without a release, the next wait takes it abandoned, and owns it.
  wait = t.host.kernel.WaitForSingleObject(mutex.handle, 0);
  ok(wait == WAIT_ABANDONED, "after the holder ended: got %#lx\n", ul(wait));
  BOOL released = t.host.kernel.ReleaseMutex(mutex.handle);
  ok(released, "release after the abandoned wait: got %d\n", released);
  wait = t.host.kernel.WaitForSingleObject(mutex.handle, 0);
  ok(wait == WAIT_OBJECT_0, "once released: got %#lx\n", ul(wait));
  released = t.host.kernel.ReleaseMutex(mutex.handle);
  ok(released, "release: got %d\n", released);
  Close(t, mutex);
}

}  // namespace conformance
