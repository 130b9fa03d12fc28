// The channel's USB side: finding the scanner among the usbscan devices, and the write and read requests with
// the platform's overlapped completion.
#include <algorithm>

#include "app/console_log.h"
#include "app/text_format.h"
#include "app/time_limits.h"
#include "device/usb_identity.h"
#include "link/device_channel.h"
#include "link/usb_request.h"

namespace {

constexpr int kUsbscanNames = 256;
constexpr DWORD kReadPieceBytes = 65536;
// A device that keeps ending reads with no data would hold the chain for ever; this many in a row end it.
constexpr unsigned kEmptyReadsInARow = 16;

}  // namespace

bool CDeviceChannel::OpenUsb() {
  for (int index = 0; index < kUsbscanNames; ++index) {
    if (OpenScannerAt(index, GENERIC_READ | GENERIC_WRITE, true)) return true;
  }
  m_strError = L"1-0-Device No Found!!";
  return false;
}

// The count goes on past the first scanner. It opens each device for no access, which is enough for the
// descriptor and claims nothing a transaction holds. Its own descriptor failures stay off the console: the
// probe before it has printed what the device it talks to does.
int CDeviceChannel::CountUsbScanners() {
  int scanners = 0;
  for (int index = 0; index < kUsbscanNames; ++index) {
    if (!OpenScannerAt(index, 0, false)) continue;
    ++scanners;
    CloseDevice();
  }
  return scanners;
}

bool CDeviceChannel::OpenScannerAt(int index, DWORD access, bool reportDescriptorFailure) {
  const std::wstring name = text::Format(L"\\\\.\\usbscan%d", index);
  m_hDevice.Reset(host_.files.CreateFileW(name.c_str(), access,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_SYSTEM, nullptr));
  if (!m_hDevice) return false;
  DEVICE_DESCRIPTOR descriptor{};
  DWORD returned = 0;
  if (!host_.files.DeviceIoControl(m_hDevice.Get(), IOCTL_GET_DEVICE_DESCRIPTOR, &descriptor, sizeof descriptor,
                                   &descriptor, sizeof descriptor, &returned, nullptr)) {
    if (reportDescriptorFailure) PrintConsoleMessage(1);
    CloseDevice();
    return false;
  }
  if (descriptor.usVendorId == kScannerVendorId && descriptor.usProductId == kScannerProductId) {
    m_wBcdDevice = descriptor.usBcdDevice;
    return true;
  }
  CloseDevice();
  return false;
}

bool CDeviceChannel::WriteCommandBlock(HANDLE device, const uint8_t* block) { return WriteRequest(device, block, 16); }

bool CDeviceChannel::WriteData(HANDLE device, const uint8_t* data, DWORD length) {
  return WriteRequest(device, data, length);
}

// The handle check and the request's event, shared by every request.
bool CDeviceChannel::BeginRequest(HANDLE device, UsbRequestRecord& request) {
  if (device == nullptr || device == INVALID_HANDLE_VALUE) {
    m_strError = L"2-0-Handle is empty Fail!!";
    app::ConsolePrint(host_, L"Handle is empty Fail!!");
    return false;
  }
  if (!request.MakeEvent()) {
    const DWORD error = host_.kernel.GetLastError();
    m_strError = text::Format(L"3-1-%s", FormatSystemError(error));
    app::ConsolePrint(host_, L"CreateEvent failed with error (%d)\n", error);
    return false;
  }
  return true;
}

// A data phase is never split: the whole length goes in one request.
bool CDeviceChannel::WriteRequest(HANDLE device, const uint8_t* data, DWORD length) {
  UsbRequestRecord request(host_, device);
  if (!BeginRequest(device, request)) return false;
  DWORD written = 0;
  request.Issuing();
  if (!host_.files.WriteFile(device, data, length, &written, request.Record())) {
    const DWORD error = host_.kernel.GetLastError();
    if (error != ERROR_IO_PENDING) {
      m_strError = text::Format(L"4-1-%s", FormatSystemError(error));
      app::ConsolePrint(host_, L"WriteFile failed with error (%d)\n", error);
      PrintConsoleMessage(23);
      return false;
    }
    request.WentPending();
    if (!AwaitPending(device, request, written)) return false;
  }
  request.Release();
  if (written != length) {
    m_strError = L"8-0-Data size not match!!!";
    PrintConsoleMessage(25);
    return false;
  }
  m_strError = L"0";
  return true;
}

bool CDeviceChannel::ReadData(HANDLE device, uint8_t* buffer, DWORD length) {
  UsbRequestRecord request(host_, device);
  if (!BeginRequest(device, request)) return false;
  DWORD readCount = 0;
  unsigned emptyReads = 0;
  while (readCount < length) {
    DWORD transferred = 0;
    request.Issuing();
    if (!host_.files.ReadFile(device, buffer + readCount, std::min(length - readCount, kReadPieceBytes), &transferred,
                              request.Record())) {
      const DWORD error = host_.kernel.GetLastError();
      if (error != ERROR_IO_PENDING) {
        m_strError = text::Format(L"5-1-%s", FormatSystemError(error));
        app::ConsolePrint(host_, L"ReadFile failed with error (%d)\n", error);
        PrintConsoleMessage(24);
        return false;
      }
      request.WentPending();
      if (!AwaitPending(device, request, transferred)) return false;
    }
    emptyReads = transferred == 0 ? emptyReads + 1 : 0;
    if (emptyReads == kEmptyReadsInARow) {
      m_strError = L"5-0-USB read returned no data!!!";
      app::ConsolePrint(host_, L"ReadFile returned no data %u times in a row\n", emptyReads);
      PrintConsoleMessage(24);
      return false;
    }
    readCount += transferred;
  }
  request.Release();
  m_strError = L"0";
  return true;
}

// A request reported as pending: its event is waited for up to the pending wait's limit. When the wait gives up,
// the request record cancels the request and awaits its end before the event, the record or the buffer go away.
bool CDeviceChannel::AwaitPending(HANDLE device, UsbRequestRecord& request, DWORD& transferred) {
  app::ConsolePrint(host_, L"ERROR_IO_PENDING\n");
  const DWORD wait = host_.kernel.WaitForSingleObject(request.Event(), limits::kUsbPendingWaitMs);
  if (wait == WAIT_OBJECT_0) {
    if (host_.files.GetOverlappedResult(device, request.Record(), &transferred, TRUE)) return true;
    const DWORD error = host_.kernel.GetLastError();
    m_strError = text::Format(L"7-1-%s", FormatSystemError(error));
    app::ConsolePrint(host_, L"GetOverlapped failed with error (%d)\n", error);
    PrintConsoleMessage(22);
  } else if (wait == WAIT_TIMEOUT) {
    m_strError = L"6-2-USB time out error!!!";
    PrintConsoleMessage(21);
  } else if (wait == WAIT_ABANDONED) {
    m_strError = L"6-3-USB abandoned error!!!";
    app::ConsolePrint(host_, L"USB Abandoned Fail!!\n");
  } else {
    const DWORD error = host_.kernel.GetLastError();
    m_strError = text::Format(L"6-1-%s", FormatSystemError(error));
    app::ConsolePrint(host_, L"WaitSingleObject failed with error (%d)\n", error);
  }
  request.Release();
  return false;
}
