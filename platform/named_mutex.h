#pragma once
// A named, system-wide mutex between processes of one user. The kernel frees
// it when the holding process dies.

#include <string>
#include <string_view>

namespace platform {

class NamedMutex {
 public:
  // True exactly while some holder (another process, or another NamedMutex of
  // this process) holds the mutex of this name.
  static bool IsHeld(std::string_view name);

  // Takes the mutex. Returns an object that does not hold it (held() false)
  // when someone else holds it already.
  static NamedMutex Create(std::string_view name);

  NamedMutex() = default;
  NamedMutex(NamedMutex&& other) noexcept;
  NamedMutex& operator=(NamedMutex&& other) noexcept;
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;
  ~NamedMutex();

  bool held() const { return fd_ >= 0; }
  void Release();

 private:
  explicit NamedMutex(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace platform
