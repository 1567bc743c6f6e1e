#include "link/LinkState.h"

#include <QDateTime>

namespace zelvo {

bool TLinkState::Lost(TDateTime now) {
  FAwaitingReply = false;  // a port lost again: its replies cannot be trusted yet
  if (FLost) return false;
  FLost = true;
  FSince = now;
  return true;
}

bool TLinkState::ReplyArrived() {
  if (!FLost || !FAwaitingReply) return false;
  FLost = false;
  FAwaitingReply = false;
  return true;
}

QString TLinkState::SinceText() const {
  return FromDateTime(FSince).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

}  // namespace zelvo
