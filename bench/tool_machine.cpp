#include "bench/tool_machine.h"

#include "update/image_table.h"

namespace bench {

ToolMachine::ToolMachine(uint16_t emulatorPort, uint16_t sinkPort) {
  world.scheduler().AdoptCurrentThread();
  tool.sockets().Route({127, 0, 0, 1}, 5566, emulatorPort);
  tool.sockets().Route({127, 0, 0, 2}, 5566, sinkPort);
}

CarriedImage LoadCarriedImage(plat::Host& host, uint8_t ubootVersion, bool directPath) {
  const FirmwareChoice choice = ChooseFirmware(ubootVersion, directPath);
  const HRSRC resource = host.resources.FindResourceW(nullptr, MAKEINTRESOURCEW(choice.imageId), L"BINARY");
  if (resource == nullptr) return {};
  const HGLOBAL loaded = host.resources.LoadResource(nullptr, resource);
  if (loaded == nullptr) return {};
  CarriedImage image;
  image.data = static_cast<const uint8_t*>(host.resources.LockResource(loaded));
  image.size = host.resources.SizeofResource(nullptr, resource);
  image.code = choice.imageCode;
  return image;
}

}  // namespace bench
