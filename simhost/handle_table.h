// A process's handles: values handed out to the core, each naming a shared object until it is closed.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/win_types.h"

namespace simhost {

class Object {
 public:
  virtual ~Object() = default;
};

class HandleTable {
 public:
  explicit HandleTable(uintptr_t firstValue) : next_(firstValue) {}

  // inheritable: the handle's HANDLE_FLAG_INHERIT, as the creating call's security attributes asked for it.
  HANDLE Insert(std::shared_ptr<Object> object, bool inheritable = false) {
    const uintptr_t value = next_;
    next_ += 4;
    objects_[value] = std::move(object);
    if (inheritable) inheritable_.insert(value);
    return reinterpret_cast<HANDLE>(value);
  }
  // A child's copy of an inherited handle: the same value for the same object.
  void InsertAt(HANDLE handle, std::shared_ptr<Object> object) {
    objects_[reinterpret_cast<uintptr_t>(handle)] = std::move(object);
  }
  std::vector<std::pair<HANDLE, std::shared_ptr<Object>>> InheritableEntries() const {
    std::vector<std::pair<HANDLE, std::shared_ptr<Object>>> entries;
    for (const uintptr_t value : inheritable_) entries.emplace_back(reinterpret_cast<HANDLE>(value), objects_.at(value));
    return entries;
  }
  bool Inheritable(HANDLE handle) const { return inheritable_.count(reinterpret_cast<uintptr_t>(handle)) == 1; }
  template <class T>
  std::shared_ptr<T> Get(HANDLE handle) const {
    const auto it = objects_.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects_.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
  }
  bool Close(HANDLE handle) {
    inheritable_.erase(reinterpret_cast<uintptr_t>(handle));
    return objects_.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
  }
  size_t Count() const { return objects_.size(); }
  // The end of the process closes every handle it still has.
  void Clear() {
    objects_.clear();
    inheritable_.clear();
  }

 private:
  uintptr_t next_;
  std::map<uintptr_t, std::shared_ptr<Object>> objects_;
  std::set<uintptr_t> inheritable_;
};

}  // namespace simhost
