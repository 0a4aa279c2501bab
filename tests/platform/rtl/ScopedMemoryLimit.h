#pragma once
// A bound on this process's address space, Room bytes above what it holds
// now, as a machine short of memory would set one: an allocation past it
// fails. Only the soft limit moves, and it comes back at the end of the
// scope. A sanitizer build reserves more address space than any such bound
// at its start: there Bounds() is false and nothing changes.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define DIM_TEST_ADDRESS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DIM_TEST_ADDRESS_SANITIZED 1
#endif
#endif

class ScopedMemoryLimit {
 public:
  static constexpr bool Bounds() {
#ifdef DIM_TEST_ADDRESS_SANITIZED
    return false;
#else
    return true;
#endif
  }
  explicit ScopedMemoryLimit(rlim_t room) {
    if (!Bounds()) return;
    EXPECT_EQ(::getrlimit(RLIMIT_AS, &saved_), 0);
    rlimit bound = saved_;
    bound.rlim_cur = std::min<rlim_t>(AddressSpace() + room, saved_.rlim_max);
    EXPECT_EQ(::setrlimit(RLIMIT_AS, &bound), 0);
  }
  ~ScopedMemoryLimit() {
    if (Bounds()) ::setrlimit(RLIMIT_AS, &saved_);
  }
  ScopedMemoryLimit(const ScopedMemoryLimit&) = delete;
  ScopedMemoryLimit& operator=(const ScopedMemoryLimit&) = delete;

  // The address space the process holds, in bytes.
  static rlim_t AddressSpace() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
      if (line.rfind("VmSize:", 0) == 0) return static_cast<rlim_t>(std::stoull(line.substr(7))) * 1024;
    return 0;
  }

 private:
  rlimit saved_{};
};
