#pragma once
// What the window shows of the connection to the instrument: lost from the first hang-up of
// either port until every lost port is open again and the first reply has arrived after
// that, so that no display claims to be live before the instrument has said anything.
#include <QString>

#include "core/DateTime.h"

namespace zelvo {

class TLinkState {
 public:
  // A port hung up at wall time `now`; a second loss keeps the first time.
  // Returns true when the link was shown live until now.
  bool Lost(TDateTime now);
  // Every lost port is open again: the next reply brings the displays back.
  void PortsBack() {
    if (FLost) FAwaitingReply = true;
  }
  // A valid reply arrived; returns true when it ends the lost state.
  bool ReplyArrived();
  bool ShownLost() const { return FLost; }
  TDateTime Since() const { return FSince; }
  // "dd.MM.yyyy hh:mm:ss" of the loss, for the indication.
  QString SinceText() const;

 private:
  bool FLost = false;
  bool FAwaitingReply = false;
  TDateTime FSince = 0;
};

}  // namespace zelvo
