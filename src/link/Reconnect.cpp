#include "link/Reconnect.h"

#include <algorithm>

namespace zelvo {

void TReconnect::Lost(double now) {
  FPending = true;
  FAttempts = 0;
  FDelay = kFirstDelaySeconds;
  FNextTry = now + FDelay;
}

void TReconnect::Failed(double now) {
  if (!FPending) return;
  ++FAttempts;
  FDelay = std::min(FDelay * 2, kMaxDelaySeconds);
  FNextTry = now + FDelay;
}

void TReconnect::Done() {
  FPending = false;
  FAttempts = 0;
  FDelay = kFirstDelaySeconds;
}

}  // namespace zelvo
