// Wide text to UTF-8, for the log file: UTF-16 surrogate pairs are joined, a lone one becomes U+FFFD.
#pragma once
#include <string>
#include <string_view>

namespace app {

std::string ToUtf8(std::wstring_view text);

}  // namespace app
