#include "checks.h"

namespace conformance {

void RunAll(Context& t) {
  const struct {
    const char* name;
    void (*run)(Context&);
  } tests[] = {
      {"usbscan_missing_device", test_usbscan_missing_device},
      {"usbscan_synchronous_requests", test_usbscan_synchronous_requests},
      {"mutex_create_last_error", test_mutex_create_last_error},
      {"mutex_namespaces", test_mutex_namespaces},
      {"mutex_held_by_another_process", test_mutex_held_by_another_process},
      {"system_error_texts", test_system_error_texts},
      {"stisvc_config_and_state", test_stisvc_config_and_state},
      {"send_message_from_another_thread", test_send_message_from_another_thread},
      {"strings_by_language", test_strings_by_language},
  };
  for (const auto& test : tests) {
    t.results.Begin(test.name);
    test.run(t);
  }
}

}  // namespace conformance
