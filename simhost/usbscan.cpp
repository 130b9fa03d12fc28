#include "simhost/usbscan.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

namespace simhost {

bool UsbDevice::DescriptorFails() const {
  return descriptorFails_ || (scanner_ && scanner_->GetScenario().faults.descriptorFails);
}

emu::TessalineDevice& UsbBus::AttachScanner(int index, emu::Scenario scenario) {
  auto scanner = std::make_unique<emu::TessalineDevice>(std::move(scenario), Now());
  emu::TessalineDevice& device = *scanner;
  Detach(index);
  devices_.at(static_cast<size_t>(index)) = numbered_.at(static_cast<size_t>(index)) =
      std::make_shared<UsbDevice>(emu::UsbIdentity{}, std::move(scanner));
  numberedAs_.at(static_cast<size_t>(index)) = device.PresenceAt(Now());
  return device;
}

UsbDevice& UsbBus::AttachOther(int index, WORD vendorId, WORD productId, WORD bcdDevice) {
  Detach(index);
  auto& slot = devices_.at(static_cast<size_t>(index));
  slot = numbered_.at(static_cast<size_t>(index)) =
      std::make_shared<UsbDevice>(emu::UsbIdentity{vendorId, productId, bcdDevice}, nullptr);
  numberedAs_.at(static_cast<size_t>(index)) = emu::Presence{};
  return *slot;
}

emu::TessalineDevice& UsbBus::PlugInScanner(emu::Scenario scenario) {
  auto scanner = std::make_unique<emu::TessalineDevice>(std::move(scenario), Now());
  emu::TessalineDevice& device = *scanner;
  pluggedIn_.push_back(std::make_shared<UsbDevice>(emu::UsbIdentity{}, std::move(scanner)));
  Renumber();
  return device;
}

int UsbBus::IndexOf(const emu::TessalineDevice& scanner) {
  Renumber();
  for (int index = 0; index < kDevices; ++index) {
    const auto& device = numbered_[static_cast<size_t>(index)];
    if (device && device->Scanner() == &scanner) return index;
  }
  return -1;
}

void UsbBus::Detach(int index) {
  auto& slot = devices_.at(static_cast<size_t>(index));
  for (auto& numbered : numbered_) {
    if (slot && numbered == slot) numbered.reset();
  }
  slot.reset();
}

UsbDevice* UsbBus::At(int index) { return devices_.at(static_cast<size_t>(index)).get(); }

std::shared_ptr<UsbDevice> UsbBus::Shared(int index) {
  if (index < 0 || index >= kDevices) return nullptr;
  Renumber();
  return numbered_[static_cast<size_t>(index)];
}

std::optional<emu::Presence> UsbBus::PresenceOf(const UsbDevice& device) const {
  const emu::TessalineDevice* scanner = device.Scanner();
  if (scanner == nullptr) return emu::Presence{};
  return scanner->PresenceAt(Now());
}

// A device that left and came back since the last look is a new arrival all the same: its presence changed.
void UsbBus::Renumber() {
  for (size_t index = 0; index < numbered_.size(); ++index) {
    auto& numbered = numbered_[index];
    if (numbered && PresenceOf(*numbered) != numberedAs_[index]) numbered.reset();
  }
  auto arrive = [this](const std::shared_ptr<UsbDevice>& device) {
    if (!device) return;
    const std::optional<emu::Presence> presence = PresenceOf(*device);
    if (!presence || std::find(numbered_.begin(), numbered_.end(), device) != numbered_.end()) return;
    const auto free = std::find(numbered_.begin(), numbered_.end(), nullptr);
    if (free == numbered_.end()) return;
    *free = device;
    numberedAs_[static_cast<size_t>(free - numbered_.begin())] = presence;
  };
  for (const auto& device : devices_) arrive(device);
  for (const auto& device : pluggedIn_) arrive(device);
}

emu::TessalineDevice& UsbBus::Scanner(int index) {
  UsbDevice* device = At(index);
  if (device == nullptr || device->Scanner() == nullptr) throw std::logic_error("no emulated scanner at that index");
  return *device->Scanner();
}

void UsbBus::AddFault(int index, UsbFault fault) {
  UsbDevice* device = At(index);
  if (device == nullptr) throw std::logic_error("no device at that index");
  device->faults.push_back(fault);
}

uint32_t UsbBus::RequestCount(int index) {
  UsbDevice* device = At(index);
  return device == nullptr ? 0 : device->requests;
}

std::vector<DWORD> UsbBus::Sizes(UsbCall call, int index) const {
  std::vector<DWORD> sizes;
  for (const UsbRequest& request : log_) {
    if (request.call == call && request.index == index) sizes.push_back(request.bytes);
  }
  return sizes;
}

size_t UsbBus::Count(UsbCall call) const {
  return static_cast<size_t>(
      std::count_if(log_.begin(), log_.end(), [call](const UsbRequest& request) { return request.call == call; }));
}

size_t UsbBus::RequestsInFlight() const { return inFlight_.size(); }

size_t UsbBus::Record(UsbRequest request) {
  log_.push_back(std::move(request));
  return log_.size() - 1;
}

void UsbBus::Forget(const UsbPendingIo* io) {
  inFlight_.erase(std::remove_if(inFlight_.begin(), inFlight_.end(),
                                 [io](const std::shared_ptr<UsbPendingIo>& item) { return item.get() == io; }),
                  inFlight_.end());
}

int UsbscanIndex(const std::wstring& name) {
  static const std::wstring kPrefix = L"\\\\.\\USBSCAN";
  if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 3) return -1;
  for (size_t i = 0; i < kPrefix.size(); ++i) {
    if (static_cast<wchar_t>(std::towupper(static_cast<wint_t>(name[i]))) != kPrefix[i]) return -1;
  }
  const std::wstring digits = name.substr(kPrefix.size());
  if (digits.size() > 1 && digits[0] == L'0') return -1;
  int index = 0;
  for (const wchar_t c : digits) {
    if (c < L'0' || c > L'9') return -1;
    index = index * 10 + (c - L'0');
  }
  return index < UsbBus::kDevices ? index : -1;
}

}  // namespace simhost
