#include "link/device_channel.h"

CDeviceChannel::CDeviceChannel(plat::Host& host) : host_(host) {}

CDeviceChannel::~CDeviceChannel() {
  // The transaction always closes first; a channel given up on any other way still leaks nothing.
  CloseDevice();
  CloseSocket();
  if (m_bWsaStarted != 0) host_.sockets.WSACleanup();
}

bool CDeviceChannel::Close() {
  if (m_hDevice != nullptr) {
    CloseDevice();
  } else {
    CloseSocket();
  }
  return true;
}

void CDeviceChannel::CloseDevice() {
  if (m_hDevice == nullptr) return;
  host_.kernel.CloseHandle(m_hDevice);
  m_hDevice = nullptr;
}

void CDeviceChannel::CloseSocket() {
  if (m_socket == INVALID_SOCKET) return;
  host_.sockets.shutdown(m_socket, SD_BOTH);
  host_.sockets.closesocket(m_socket);
  m_socket = INVALID_SOCKET;
}

bool CDeviceChannel::SendCommand(const uint8_t* block) {
  if (m_hDevice != nullptr) return WriteCommandBlock(m_hDevice, block);
  return SendCommandTcp(block);
}

bool CDeviceChannel::SendData(const uint8_t* data, DWORD length, const std::wstring& tracePath, int traceSwitch) {
  if (m_hDevice != nullptr) return WriteData(m_hDevice, data, length);
  return SendDataTcp(data, length, tracePath, traceSwitch);
}

bool CDeviceChannel::ReceiveData(uint8_t* buffer, DWORD length, const std::wstring& tracePath, int traceSwitch) {
  if (m_hDevice != nullptr) return ReadData(m_hDevice, buffer, length);
  return ReceiveDataTcp(buffer, length, tracePath, traceSwitch);
}
