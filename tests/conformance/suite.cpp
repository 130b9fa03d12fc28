#include "checks.h"
#include "conformance_cases.h"  // made at build time from the *_cases.cpp files (gen_case_list.py)

namespace conformance {

void RunAll(Context& t) {
  for (const Case& test : kCases) {
    t.results.Begin(test.name);
    test.run(t);
  }
}

}  // namespace conformance
