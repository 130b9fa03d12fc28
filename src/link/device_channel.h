// One connection to the scanner for one command transaction or one probe: an open usbscan device handle or
// a connected TCP socket, and the three moves every exchange is made of. The USB half is usb_pipe.cpp, the
// socket half socket_link.cpp, the trace file trace_file.cpp.
#pragma once
#include <cstdint>
#include <string>

#include "app/time_limits.h"
#include "platform/host.h"
#include "platform/socket_handles.h"
#include "platform/unique_handle.h"

class UsbRequestRecord;

class CDeviceChannel {
 public:
  explicit CDeviceChannel(plat::Host& host);
  // Closes what is still open, then ends the sockets library if this channel started it.
  ~CDeviceChannel();
  CDeviceChannel(const CDeviceChannel&) = delete;
  CDeviceChannel& operator=(const CDeviceChannel&) = delete;

  bool OpenUsb();
  // How many usbscan devices carry the scanner's ids; each is opened only to read its descriptor.
  int CountUsbScanners();
  bool ConnectTcp(const std::wstring& address);
  // The device handle when there is one, otherwise the socket. Always true.
  bool Close();

  bool SendCommand(const uint8_t* block);
  bool SendData(const uint8_t* data, DWORD length, const std::wstring& tracePath, int traceSwitch);
  bool ReceiveData(uint8_t* buffer, DWORD length, const std::wstring& tracePath, int traceSwitch);
  // Appends "line\r\n" in UTF-16 little-endian to the trace file when the switch is on; errors are ignored.
  void AppendTrace(const std::wstring& line, const std::wstring& tracePath, int traceSwitch);

  // The USB scanner pipe. Each request leaves "0" or a numbered error text in m_strError.
  bool WriteCommandBlock(HANDLE device, const uint8_t* block);
  bool WriteData(HANDLE device, const uint8_t* data, DWORD length);
  bool ReadData(HANDLE device, uint8_t* buffer, DWORD length);
  // "%s-0x%x": the system's English text for the code (empty when it has none) and the code.
  std::wstring FormatSystemError(DWORD error);
  // One of the pipe's console texts by number, followed by a line break.
  void PrintConsoleMessage(int number);

  plat::UniqueSocket m_socket;
  int32_t m_bWsaStarted = 0;
  plat::UniqueFile m_hDevice;  // empty (INVALID_HANDLE_VALUE) when no device is open
  std::wstring m_strError;
  WORD m_wBcdDevice = 0;
  DWORD m_dwCommandTimeout = limits::kSocketCommandTimeoutMs;
  DWORD m_dwDataTimeout = limits::kSocketDataTimeoutMs;

 private:
  // Opens the usbscan device of that index and keeps it open when it is the scanner.
  bool OpenScannerAt(int index, DWORD access, bool reportDescriptorFailure);
  bool BeginRequest(HANDLE device, UsbRequestRecord& request);
  bool WriteRequest(HANDLE device, const uint8_t* data, DWORD length);
  bool AwaitPending(HANDLE device, UsbRequestRecord& request, DWORD& transferred);
  bool SendCommandTcp(const uint8_t* block);
  bool SendDataTcp(const uint8_t* data, DWORD length, const std::wstring& tracePath, int traceSwitch);
  bool ReceiveDataTcp(uint8_t* buffer, DWORD length, const std::wstring& tracePath, int traceSwitch);
  void CloseDevice();
  void CloseSocket();

  plat::Host& host_;
};
