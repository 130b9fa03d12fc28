#include "link/command_transaction.h"

#include "app/console_log.h"
#include "link/device_channel.h"
#include "link/protocol.h"

namespace {

// The transaction never writes the trace file; the facility stays for other callers of the data moves.
const std::wstring kTracePath = L"aaa.txt";
constexpr int kTraceOff = 0;

bool OpenByName(CDeviceChannel& channel, const std::wstring& name) {
  if (name.size() >= kChannelNameChars) return false;
  if (name == L"USB") return channel.OpenUsb();
  return channel.ConnectTcp(name);
}

// The phases that can fail, numbered as their console lines are.
enum class Phase { kOpen = 1, kCommand, kDataOutFirst, kStatusReply, kDataIn, kDataOut };

// One line per phase, carrying the channel's last error text.
constexpr const wchar_t* kUsbErrorLines[] = {
    L"\t[USB Error] 1-%s\n", L"\t[USB Error] 2-%s\n", L"\t[USB Error] 3-%s\n",
    L"\t[USB Error] 4-%s\n", L"\t[USB Error] 5-%s\n", L"\t[USB Error] 6-%s\n",
};

void PrintUsbError(plat::Host& host, Phase phase, const CDeviceChannel& channel) {
  app::ConsolePrint(host, kUsbErrorLines[static_cast<int>(phase) - 1], channel.m_strError);
}

// Prints the phase's line and closes the channel; the result of the transaction is then false.
bool Fail(plat::Host& host, Phase phase, CDeviceChannel& channel) {
  PrintUsbError(host, phase, channel);
  channel.Close();
  return false;
}

}  // namespace

bool RunCommandTransaction(plat::Host& host, const std::wstring& channel, const uint8_t* block, const uint8_t* dataOut,
                           uint8_t* dataIn, uint8_t* statusReply, DWORD statusLength) {
  CDeviceChannel device(host);
  if (!OpenByName(device, channel)) return Fail(host, Phase::kOpen, device);
  if (!device.SendCommand(block)) return Fail(host, Phase::kCommand, device);
  const proto::CommandBlock command = proto::Decode(block);
  if (command.opcode == proto::kOpDataOutFirst &&
      !device.SendData(dataOut, command.dataLength, kTracePath, kTraceOff)) {
    return Fail(host, Phase::kDataOutFirst, device);
  }
  if (!device.ReceiveData(statusReply, statusLength, kTracePath, kTraceOff)) {
    return Fail(host, Phase::kStatusReply, device);
  }
  if (command.opcode == proto::kOpDataIn && !device.ReceiveData(dataIn, command.dataLength, kTracePath, kTraceOff)) {
    return Fail(host, Phase::kDataIn, device);
  }
  if (command.opcode == proto::kOpDataOut && !device.SendData(dataOut, command.dataLength, kTracePath, kTraceOff)) {
    return Fail(host, Phase::kDataOut, device);
  }
  device.Close();
  return true;
}

bool RunCommand(plat::Host& host, const std::wstring& channel, const proto::CommandBlock& command,
                proto::ReplyBytes& statusReply, uint8_t* dataIn) {
  const proto::CommandBytes block = proto::Encode(command);
  return RunCommandTransaction(host, channel, block.data(), nullptr, dataIn, statusReply.data(),
                               static_cast<DWORD>(statusReply.size()));
}

bool ProbeDevice(plat::Host& host, const std::wstring& channel, DWORD* releaseNumber) {
  CDeviceChannel device(host);
  const bool opened = OpenByName(device, channel);
  if (!opened) {
    PrintUsbError(host, Phase::kOpen, device);
  } else if (releaseNumber != nullptr) {
    *releaseNumber = device.m_wBcdDevice;
  }
  device.Close();
  return opened;
}

int CountScanners(plat::Host& host, const std::wstring& channel) {
  if (channel != L"USB") return 1;
  CDeviceChannel device(host);
  return device.CountUsbScanners();
}
