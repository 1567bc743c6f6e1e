#pragma once
// Root writes into read-only folders and files; for as long as a PermissionsApply lives the
// calling thread does without that right, so file permissions count as for any user.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class PermissionsApply {
 public:
  PermissionsApply() {
    if (::geteuid() != 0) {
      FActive = true;
      return;
    }
    FHeader.version = _LINUX_CAPABILITY_VERSION_3;
    FHeader.pid = 0;
    if (::syscall(SYS_capget, &FHeader, FSaved) != 0) return;
    __user_cap_data_struct reduced[2] = {FSaved[0], FSaved[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    FDropped = FActive = ::syscall(SYS_capset, &FHeader, reduced) == 0;
  }
  ~PermissionsApply() {
    if (FDropped) ::syscall(SYS_capset, &FHeader, FSaved);
  }
  PermissionsApply(const PermissionsApply &) = delete;
  PermissionsApply &operator=(const PermissionsApply &) = delete;
  bool Active() const { return FActive; }

 private:
  __user_cap_header_struct FHeader{};
  __user_cap_data_struct FSaved[2]{};
  bool FActive = false, FDropped = false;
};
