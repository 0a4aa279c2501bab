#pragma once
// A bound on the size of the files this process writes, as a full disk
// would set one: writes past it fail (EFBIG) instead of raising the signal.
// The old bound and handler come back at the end of the scope.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
    handler_ = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved_;
    small.rlim_cur = bytes;
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, handler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  struct rlimit saved_ {};
  sighandler_t handler_ = SIG_DFL;
};
