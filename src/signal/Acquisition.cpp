#include "signal/Acquisition.h"

#include "signal/DataLine.h"

namespace zelvo {

TDrainResult DrainDataQueue(TLineQueue &queue, TSignalChannel &channel) {
  TDrainResult result;
  result.FirstNew = channel.Size();
  while (!queue.empty()) {
    const QString line = std::move(queue.front());
    queue.pop_front();
    const std::optional<TDataReading> reading = DecodeDataLine(line);
    if (!reading) {
      ++result.Skipped;
      ++channel.Malformed;
      continue;
    }
    if (reading->Marker == u'[' || reading->Marker == u'/')
      channel.Sampling = true;
    else if (reading->Marker == u']')
      channel.Sampling = false;
    channel.Level = reading->Value;
    channel.X.push_back(channel.Counter / 10.0);
    channel.Y.push_back(reading->Value);
    ++channel.Counter;
    ++result.Appended;
  }
  return result;
}

}  // namespace zelvo
