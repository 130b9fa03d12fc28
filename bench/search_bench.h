// Figure 3, first half: one Search Device in the simulated host with the scanner at usbscan index 0, at 255
// and absent: the CreateFileW calls and other usbscan requests it makes (the bus's request log), its wall
// time on this machine and the virtual time the simulated Windows charges for it.
#pragma once

namespace bench {

bool RunSearchBench(int rounds);

}  // namespace bench
