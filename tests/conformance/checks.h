// What the cases share: Wine's check macros, printable forms of the platform's values, and the machine they
// expect. The macros' names are common words (`ok` is also a member of <chrono>'s types): a case file includes
// this header after every other.
#pragma once
#include "harness.h"

namespace conformance {

// DWORD is 32 bits on both sides, unsigned int natively and unsigned long on Windows; printf gets unsigned long.
inline unsigned long ul(DWORD value) { return static_cast<unsigned long>(value); }

// The test_ functions, in the order RunAll runs them.
void test_usbscan_missing_device(Context& t);
void test_usbscan_synchronous_requests(Context& t);
void test_mutex_create_last_error(Context& t);
void test_mutex_namespaces(Context& t);
void test_mutex_held_by_another_process(Context& t);
void test_system_error_texts(Context& t);
void test_stisvc_config_and_state(Context& t);
void test_send_message_from_another_thread(Context& t);
void test_strings_by_language(Context& t);

}  // namespace conformance

#define ok(condition, ...) t.results.Check((condition), __FILE__, __LINE__, __VA_ARGS__)
#define skip(...) t.results.Skip(__FILE__, __LINE__, __VA_ARGS__)
#define todo_wine_if(condition) \
  if (const ::conformance::TodoScope todo_scope_{t.results, (condition)}) {} else
#define todo_wine todo_wine_if(true)
