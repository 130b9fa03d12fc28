// The channel itself: closing, the sockets library's balance, and the trace file.
#include <gtest/gtest.h>

#include "link/device_channel.h"
#include "link_fixture.h"
#include "trace_reader.h"

namespace {

using simhost::SocketCall;

using DeviceChannelTest = LinkTest;

TEST_F(DeviceChannelTest, AFreshChannel) {
  {
    CDeviceChannel channel(host());
    EXPECT_EQ(channel.m_socket.Get(), INVALID_SOCKET);
    EXPECT_EQ(channel.m_bWsaStarted, 0);
    EXPECT_FALSE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
    EXPECT_EQ(channel.m_strError, L"");
    EXPECT_EQ(channel.m_wBcdDevice, 0);
    EXPECT_EQ(channel.m_dwCommandTimeout, 12000u);
    EXPECT_EQ(channel.m_dwDataTimeout, 120000u);
    EXPECT_TRUE(channel.Close());
    EXPECT_TRUE(channel.Close());
  }
  EXPECT_EQ(tool.sockets().Calls(SocketCall::Shutdown) + tool.sockets().Calls(SocketCall::Close), 0u);
  EXPECT_EQ(tool.sockets().Cleanups(), 0) << "never started, never ended";
  ExpectNothingLeft();
}

TEST_F(DeviceChannelTest, CloseOnUsbClosesOnlyTheDevice) {
  usb().AttachScanner(0);
  {
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.OpenUsb());
    channel.m_socket.Reset(0x4321);  // a value the channel must not touch while it holds a device
    EXPECT_TRUE(channel.Close());
    EXPECT_FALSE(channel.m_hDevice.IsValid()) << channel.m_hDevice.Get();
    EXPECT_EQ(channel.m_socket.Get(), 0x4321u);
    EXPECT_EQ(usb().OpenHandles(), 0u);
    EXPECT_EQ(tool.sockets().Calls(SocketCall::Shutdown), 0u);
    channel.m_socket.Detach();
  }
  ExpectNothingLeft();
}

TEST_F(DeviceChannelTest, AChannelGivenUpWithoutCloseLeaksNothing) {
  usb().AttachScanner(0);
  {
    CDeviceChannel channel(host());
    ASSERT_TRUE(channel.OpenUsb());
  }
  ExpectNothingLeft();
}

TEST_F(DeviceChannelTest, OnUsbTheDataMovesIgnoreTheTraceSwitch) {
  usb().AttachOther(0, 0x04B8, 0x0001);
  TraceFile trace;
  CDeviceChannel channel(host());
  channel.m_hDevice.Reset(OpenIndex(0));
  uint8_t data[64] = {};
  EXPECT_TRUE(channel.SendData(data, sizeof data, trace.Path(), 1));
  EXPECT_TRUE(channel.ReceiveData(data, sizeof data, trace.Path(), 1));
  EXPECT_FALSE(trace.Exists());
  EXPECT_EQ(usb().Sizes(simhost::UsbCall::Write, 0), std::vector<DWORD>{64});
  EXPECT_EQ(usb().Sizes(simhost::UsbCall::Read, 0), std::vector<DWORD>{64});
  channel.Close();
  ExpectNothingLeft();
}

TEST_F(DeviceChannelTest, TraceLinesAreUtf16LittleEndianWithoutAByteOrderMark) {
  TraceFile trace;
  CDeviceChannel channel(host());
  channel.AppendTrace(L"==>Send data start", trace.Path(), 1);
  channel.AppendTrace(L"\x00e9\x4e2d", trace.Path(), 7);  // any nonzero switch
  const std::string expected = std::string("=\0=\0>\0S\0e\0n\0d\0 \0d\0a\0t\0a\0 \0s\0t\0a\0r\0t\0\r\0\n\0", 40) +
                               std::string("\xe9\0\x2d\x4e\r\0\n\0", 8);
  EXPECT_EQ(trace.Bytes(), expected);
  EXPECT_EQ(trace.Lines(), (std::vector<std::wstring>{L"==>Send data start", L"\x00e9\x4e2d"}));
}

TEST_F(DeviceChannelTest, TraceLinesAreAppended) {
  TraceFile trace;
  trace.Write(std::string("a\0\r\0\n\0", 6));
  CDeviceChannel channel(host());
  channel.AppendTrace(L"b", trace.Path(), 1);
  EXPECT_EQ(trace.Lines(), (std::vector<std::wstring>{L"a", L"b"}));
}

TEST_F(DeviceChannelTest, WithTheSwitchOffTheFileIsNeitherMadeNorTouched) {
  TraceFile absent;
  TraceFile present;
  present.Write("unchanged");
  CDeviceChannel channel(host());
  channel.AppendTrace(L"line", absent.Path(), 0);
  channel.AppendTrace(L"line", present.Path(), 0);
  EXPECT_FALSE(absent.Exists());
  EXPECT_EQ(present.Bytes(), "unchanged");
}

TEST_F(DeviceChannelTest, AFileThatCannotBeOpenedIsIgnored) {
  TraceFile trace;
  CDeviceChannel channel(host());
  channel.AppendTrace(L"line", trace.Path() + L"/no/such/folder/aaa.txt", 1);
  channel.AppendTrace(L"line", L"", 1);
  EXPECT_FALSE(trace.Exists());
}

}  // namespace
