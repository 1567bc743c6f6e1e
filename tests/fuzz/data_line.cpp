// Data-line decoding. The input is a run of detector data lines separated by CR (as the line
// cutter queues them). The signal's decoder and the protocol's must agree on every line, a
// reading stays within what five digits and the sign flag can carry and forms back into a
// line that reads the same; draining the lines into a channel appends exactly the readable
// ones, in order, at the counter's times, and leaves the sampling flag and level of the last.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "link/LineReceiver.h"
#include "link/Protocol.h"
#include "signal/Acquisition.h"
#include "signal/DataLine.h"

using namespace zelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString text =
      Cp1252Decode(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
  TLineQueue queue;
  std::vector<std::optional<TDataReading>> expected;
  for (const QStringView line : QStringView(text).tokenize(u'\r')) {
    const std::optional<TDataReading> reading = DecodeDataLine(line);
    const std::optional<proto::DataLine> parsed = proto::ParseDataLine(line);
    if (proto::IsDataLine(line)) {
      FUZZ_CHECK(reading.has_value() == parsed.has_value());
      if (reading) {
        FUZZ_CHECK(reading->Marker.unicode() == static_cast<char16_t>(parsed->marker));
        FUZZ_CHECK(reading->Value == parsed->microvolts);
      }
    }
    if (reading) {
      FUZZ_CHECK(reading->Marker == line[0]);
      FUZZ_CHECK(reading->Value >= -proto::kDataLineMax && reading->Value <= proto::kDataLineMax);
      if (proto::IsDataLine(line)) {
        const QString formed =
            proto::FormDataLine(static_cast<proto::DataMarker>(reading->Marker.unicode()), reading->Value);
        const auto again = DecodeDataLine(formed);
        FUZZ_CHECK(again && again->Value == reading->Value && again->Marker == reading->Marker);
      }
    }
    queue.push_back(line.toString());
    expected.push_back(reading);
  }

  TSignalChannel channel;
  channel.Counter = 5;  // a channel that already holds points
  channel.X = {0, 0.1, 0.2, 0.3, 0.4};
  channel.Y = {1, 2, 3, 4, 5};
  const TDrainResult r = DrainDataQueue(queue, channel);
  FUZZ_CHECK(queue.empty());
  FUZZ_CHECK(r.FirstNew == 5);
  std::size_t k = r.FirstNew;
  int skipped = 0;
  bool sampling = false;
  std::optional<int> level;
  for (const auto &reading : expected) {
    if (!reading) {
      ++skipped;
      continue;
    }
    FUZZ_CHECK(k < channel.Size());
    FUZZ_CHECK(channel.Y[k] == reading->Value);
    FUZZ_CHECK(channel.X[k] == static_cast<int>(k) / 10.0);
    if (reading->Marker == u'[' || reading->Marker == u'/') sampling = true;
    if (reading->Marker == u']') sampling = false;
    level = reading->Value;
    ++k;
  }
  FUZZ_CHECK(k == channel.Size() && r.Appended == k - r.FirstNew);
  FUZZ_CHECK(r.Skipped == skipped && channel.Malformed == skipped);
  FUZZ_CHECK(channel.Counter == static_cast<int>(k));
  if (r.Appended > 0) {
    FUZZ_CHECK(channel.Sampling == sampling);
    FUZZ_CHECK(channel.Level == level);
  }
  return 0;
}
