// Medians and the few number formats the benchmark prints.
#pragma once
#include <string>
#include <vector>

namespace bench {

double Median(std::vector<double> values);
// "12.3" with the given number of decimals.
std::string Fixed(double value, int decimals);

}  // namespace bench
