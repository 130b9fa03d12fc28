// One line about the machine the figures are taken on: processor, count, memory, kernel, and how busy it is.
#pragma once

namespace bench {

void PrintMachine();

}  // namespace bench
