// Why the suite is short: one whole update (standard path, image 505) against the emulated scanner in the
// simulated host, its virtual duration against the wall time it takes here.
#pragma once

namespace bench {

bool RunUpdateBench(int rounds);

}  // namespace bench
