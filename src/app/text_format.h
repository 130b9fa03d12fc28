// The one formatter for string-table texts and console lines. It understands the printf conversions the
// tables and lines use (%s %d %i %u %x %X %c %%, with flags, width and precision) and never reads past
// its arguments: a conversion without a matching argument formats as nothing.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace text {

using FormatArg = std::variant<int64_t, uint64_t, std::wstring_view>;

std::wstring FormatArgs(std::wstring_view format, std::initializer_list<FormatArg> args);

template <class T>
FormatArg ToFormatArg(const T& value) {
  if constexpr (std::is_convertible_v<const T&, std::wstring_view>) {
    return std::wstring_view(value);
  } else if constexpr (std::is_signed_v<T>) {
    return static_cast<int64_t>(value);
  } else {
    static_assert(std::is_unsigned_v<T>, "format arguments are texts or integers");
    return static_cast<uint64_t>(value);
  }
}

// Format("Update Failed: %s", reason). Integers keep their signedness; %u of a negative int reads its
// 32-bit pattern, as the C library does for an int argument.
template <class... Args>
std::wstring Format(std::wstring_view format, const Args&... args) {
  return FormatArgs(format, {ToFormatArg(args)...});
}

}  // namespace text
