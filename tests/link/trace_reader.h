// A trace file for a test: a fresh path in the temporary folder, removed afterwards, read back as raw bytes or
// as the lines it holds (UTF-16 little-endian, each ended by a carriage return and a line feed).
#pragma once
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

class TraceFile {
 public:
  TraceFile() {
    static std::atomic<int> next{0};
    path_ = std::filesystem::temp_directory_path() /
            ("fwu-trace-" + std::to_string(::getpid()) + "-" + std::to_string(next++) + ".txt");
    std::filesystem::remove(path_);
  }
  ~TraceFile() { std::filesystem::remove(path_); }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  std::wstring Path() const { return path_.wstring(); }
  bool Exists() const { return std::filesystem::exists(path_); }
  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void Write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary) << bytes; }

  // The lines, without their ends; a text that is not whole UTF-16 lines comes back as one "<malformed>" line.
  std::vector<std::wstring> Lines() const {
    const std::string bytes = Bytes();
    if (bytes.size() % 2 != 0) return {L"<malformed>"};
    std::wstring text;
    for (size_t i = 0; i < bytes.size(); i += 2) {
      text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                   (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    std::vector<std::wstring> lines;
    size_t from = 0;
    for (size_t end = text.find(L"\r\n"); end != std::wstring::npos; end = text.find(L"\r\n", from)) {
      lines.push_back(text.substr(from, end - from));
      from = end + 2;
    }
    if (from != text.size()) lines.push_back(L"<malformed>");
    return lines;
  }

 private:
  std::filesystem::path path_;
};
