#include "link/Dispatch.h"

#include <cmath>

namespace zelvo {

namespace {
// 1 1/3 s (exactly 1/64800 of a day).
constexpr double kPollFast = 4.0 / 3.0;
}  // namespace

PollList BuildPollList(TDeviceTyp type, bool hasFlowSensor, TSteadySeconds now) {
  PollList list;
  list.reserve(20);
  auto add = [&](const char *cmd, double staggerSeconds, double interval) {
    list.push_back({now + staggerSeconds, QString::fromLatin1(cmd), interval});
  };
  add("<SG", 0, kPollFast);
  add("<VG", 0.1, kPollFast);
  if (type == TDeviceTyp::FIDFPD) {
    add("<EG", 0, kPollFast);
    add("<TG", 0, kPollFast);
    add("<XG", 0, kPollFast);
    add("<YG", 0, kPollFast);
    add("<HG", 0, kPollFast);
  }
  add("<PG", 0.2, kPollFast);
  if (hasFlowSensor) add("<FG", 0.3, kPollFast);
  add("<WG", 0, 2.5);
  add("<BG", 0, 2.6);
  add("<CG", 0, 2.7);
  add("<V1G", 0, 1.4);
  add("<V2G", 0, 1.5);
  add("<12AS100", 0.7, kPollFast);
  return list;
}

QString PollStep(PollList &list, int &cursor, TSteadySeconds now) {
  if (list.empty()) return {};
  if (static_cast<int>(list.size()) > cursor)
    ++cursor;
  else
    cursor = 1;
  TUpdateObject &entry = list[static_cast<size_t>(cursor - 1)];
  // "Strictly greater" in whole microseconds: a gap of exactly 2.7 s is not more than 2.7 s
  // however the seconds were summed up.
  if (std::llround((now - entry.UpdateTime) * 1e6) > std::llround(entry.UpdateInterval * 1e6)) {
    entry.UpdateTime = now;
    return entry.UpdateString + QChar('\r');
  }
  return {};
}

QChar ReplyKey(QStringView s) {
  const qsizetype L = s.size();
  auto at = [&](qsizetype i) { return s.at(i - 1); };  // 1-based, as the protocol counts
  QChar key;
  if (L >= 4 && at(1) == ':' && at(3) == 'G' && at(4) != 'G') key = at(2);
  if (L >= 4 && at(1) == ':' && at(2) == 'F' && at(3) != 'G') key = QChar('F');
  if (L >= 4 && at(1) == ':' && at(3) == '1' && at(4) == 'G') key = at(2);
  if (L >= 4 && at(1) == ':' && at(3) == '2' && at(4) == 'G') key = at(2);
  if (L >= 5 && at(1) == ':' && at(4) == 'A' && at(5) == 'S') key = QChar('A');
  if (L >= 5 && at(1) == ':' && at(2) == 'Q' && at(3) == 'S') key = QChar('Q');
  return key;
}

}  // namespace zelvo
