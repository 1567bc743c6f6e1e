#pragma once
// The instrument's state as last reported: the values of the status replies, kept as numbers
// when the reply arrives. The displays and the result file's header take their texts from
// here, so nothing reads a label back.
#include <QString>
#include <map>
#include <optional>

#include "link/Protocol.h"

namespace zelvo {

class InstrumentStatus {
 public:
  // Keeps the value of a status reply with valid data. Replies without a value (the valve
  // bank reports, the start request) and malformed ones change nothing.
  void Take(const proto::ParsedReply &reply);
  // The last reported value of a reply form; empty until its first report.
  std::optional<int> Value(proto::Reply kind) const;
  // What the display of that value shows in the language of the string-table offset: the
  // reported value with its unit, or until the first report the placeholder ("--- °C" for
  // the four temperatures, "---- V", "---- H2 mbar", "---- AIR mbar"; empty for the others).
  QString Text(proto::Reply kind, int offset) const;
  // Everything forgotten (a new start-up).
  void Clear() { last_.clear(); }

 private:
  std::map<proto::Reply, proto::ParsedReply> last_;
};

}  // namespace zelvo
