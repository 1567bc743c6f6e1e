#pragma once
// The widget-free half of the tick's instrument traffic: the status poll list with its
// cadence, and the classification of a reply line by its letters.
#include <QChar>
#include <QString>
#include <QStringView>
#include <vector>

#include "core/Clock.h"
#include "core/DeviceTyp.h"

namespace zelvo {

// One entry of the status poll list.
// Times are steady seconds (Clock::Steady), so a wall clock set back by an hour never
// holds the polls back and one set forward never sends them all at once.
struct TUpdateObject {
  TSteadySeconds UpdateTime = 0;    // last send of this poll (at creation: creation time + stagger)
  QString UpdateString;             // the poll command without its CR, e.g. "<SG"
  double UpdateInterval = 0;        // minimum time between two sends, in seconds
};

using PollList = std::vector<TUpdateObject>;

// The poll list for this instrument, built at `now`: 9 entries for FID/FPD, 10 with a flow
// sensor, 14 or 15 for FIDFPD.
PollList BuildPollList(TDeviceTyp type, bool hasFlowSensor, TSteadySeconds now);

// One poll step: advances the 1-based cursor (wrapping to 1 after the last entry), examines
// that entry, and returns its command with CR when its interval has strictly passed (the
// entry's UpdateTime is then set to now); otherwise an empty text.
QString PollStep(PollList &list, int &cursor, TSteadySeconds now);

// The key of a status reply (the six tests in order, a later test overriding an earlier
// one), or a null QChar when the line is not a status reply the tick acts on. This is the
// one classification of reply lines: proto::ParseReply decodes the data of the key it gives.
QChar ReplyKey(QStringView s);

}  // namespace zelvo
