#include "link/device_channel.h"

CDeviceChannel::CDeviceChannel(plat::Host& host) : m_socket(host.sockets), m_hDevice(host.kernel), host_(host) {}

CDeviceChannel::~CDeviceChannel() {
  // The transaction always closes first; a channel given up on any other way still leaks nothing.
  CloseDevice();
  CloseSocket();
  if (m_bWsaStarted != 0) host_.sockets.WSACleanup();
}

bool CDeviceChannel::Close() {
  if (m_hDevice) {
    CloseDevice();
  } else {
    CloseSocket();
  }
  return true;
}

void CDeviceChannel::CloseDevice() { m_hDevice.Reset(); }

void CDeviceChannel::CloseSocket() {
  if (!m_socket) return;
  host_.sockets.shutdown(m_socket.Get(), SD_BOTH);
  m_socket.Reset();
}

bool CDeviceChannel::SendCommand(const uint8_t* block) {
  if (m_hDevice) return WriteCommandBlock(m_hDevice.Get(), block);
  return SendCommandTcp(block);
}

bool CDeviceChannel::SendData(const uint8_t* data, DWORD length, const std::wstring& tracePath, int traceSwitch) {
  if (m_hDevice) return WriteData(m_hDevice.Get(), data, length);
  return SendDataTcp(data, length, tracePath, traceSwitch);
}

bool CDeviceChannel::ReceiveData(uint8_t* buffer, DWORD length, const std::wstring& tracePath, int traceSwitch) {
  if (m_hDevice) return ReadData(m_hDevice.Get(), buffer, length);
  return ReceiveDataTcp(buffer, length, tracePath, traceSwitch);
}
