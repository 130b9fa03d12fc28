// The program's main dialog (template 102) run modally: a message sent from another thread is served by the
// window's thread, and its answer is the dialog's message result.
#include "checks.h"

namespace conformance {
namespace {

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kEnd = WM_APP + 2;
constexpr INT_PTR kEndResult = 7;
// The sender ends within milliseconds once the dialog has ended; bounded so a hung send cannot hold the suite.
constexpr DWORD kSenderLimitMs = 10000;

class Probe final : public plat::IDialogEvents {
 public:
  explicit Probe(Context& t) : t_(t) {}

  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) override {
    if (message == WM_INITDIALOG) {
      dialog_ = dialog;
      windowThread_ = t_.machine.CurrentThreadId();
      sender_ = t_.host.kernel.CreateThread(nullptr, 0, &Probe::Send, this, 0, nullptr);
      if (sender_ == nullptr) t_.host.windows.EndDialog(dialog, -1);
      return TRUE;
    }
    if (message == kAsk) {
      servedOn_ = t_.machine.CurrentThreadId();
      t_.host.windows.SetWindowLongPtrW(dialog, DWLP_MSGRESULT, static_cast<LONG_PTR>(wParam * 2 + 1));
      return TRUE;
    }
    if (message == kEnd) {
      t_.host.windows.EndDialog(dialog, kEndResult);
      return TRUE;
    }
    return FALSE;
  }

  static DWORD WINAPI Send(LPVOID self) {
    auto& probe = *static_cast<Probe*>(self);
    probe.senderThread_ = probe.t_.machine.CurrentThreadId();
    probe.answer_ = probe.t_.host.windows.SendMessageW(probe.dialog_, kAsk, 20, 0);
    probe.t_.host.windows.SendMessageW(probe.dialog_, kEnd, 0, 0);
    return 0;
  }

  HANDLE sender_ = nullptr;
  HWND dialog_ = nullptr;
  unsigned long windowThread_ = 0;
  unsigned long senderThread_ = 0;
  unsigned long servedOn_ = 0;
  LRESULT answer_ = 0;

 private:
  Context& t_;
};

}  // namespace

void test_send_message_from_another_thread(Context& t) {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_WIN95_CLASSES;
  t.host.user.InitCommonControlsEx(&classes);
  Probe probe(t);
  const INT_PTR result = t.host.windows.DialogBoxParamW(MAKEINTRESOURCEW(102), nullptr, probe);
  ok(result == kEndResult, "DialogBoxParamW: got %ld\n", static_cast<long>(result));
  if (probe.sender_ == nullptr) return;
  const DWORD wait = t.host.kernel.WaitForSingleObject(probe.sender_, kSenderLimitMs);
  ok(wait == WAIT_OBJECT_0, "the sending thread ended: got %#lx\n", ul(wait));
  t.host.kernel.CloseHandle(probe.sender_);
  ok(probe.servedOn_ == probe.windowThread_, "served on thread %lu, the window's is %lu\n", probe.servedOn_,
     probe.windowThread_);
  ok(probe.senderThread_ != probe.windowThread_, "sent from thread %lu, the window's is %lu\n", probe.senderThread_,
     probe.windowThread_);
  ok(probe.answer_ == 41, "answer: got %ld\n", static_cast<long>(probe.answer_));
}

}  // namespace conformance
