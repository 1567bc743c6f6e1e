// Line cutting and routing. The input is the byte stream of one port. Fed whole, a byte at a
// time and in pieces whose sizes the stream itself gives, the receiver must queue the same
// lines as the rules written out plainly below; then every line goes where the tick sends
// it: data lines into a signal channel, every other line through the reply recognition.
//
// So that short inputs reach the line length cap, the three bytes FF FE n in the input stand
// for a run of cap - 8 + (n mod 16) bytes "A": lines of just below, at and just above the cap
// are then a few mutations away.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "core/Language.h"
#include "link/Dispatch.h"
#include "link/LineReceiver.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"
#include "signal/Acquisition.h"

namespace {

using namespace zelvo;

struct Outcome {
  TLineQueue Data, Replies;
  int Lines = 0;
  int Dropped = 0;
  QByteArray Pending;
};

// The rules: CR ends a line, LF is dropped wherever it stands, an empty line is never queued,
// a line longer than the cap is dropped whole with one notice, the rest of a line without
// its CR waits.
Outcome Model(const QByteArray &bytes) {
  Outcome o;
  QByteArray line;
  bool overlong = false;
  for (const char c : bytes) {
    if (c == '\n') continue;
    if (c != '\r') {
      if (!overlong) line += c;
      if (line.size() > TLineReceiver::kMaxLineLength && !overlong) {
        overlong = true;
        ++o.Dropped;
        line.clear();
      }
      continue;
    }
    if (!overlong && !line.isEmpty()) {
      (IsDataLineStart(line[0]) ? o.Data : o.Replies).push_back(Cp1252Decode(line));
      ++o.Lines;
    }
    line.clear();
    overlong = false;
  }
  o.Pending = line;
  return o;
}

// Feeds the stream in pieces of the given sizes (cycled; 0 means the whole rest).
Outcome Feed(const QByteArray &bytes, const std::uint8_t *sizes, std::size_t sizeCount) {
  Outcome o;
  TLineReceiver receiver(o.Data, o.Replies);
  qsizetype at = 0;
  for (std::size_t k = 0; at < bytes.size(); ++k) {
    const qsizetype size =
        sizeCount == 0 || sizes[k % sizeCount] == 0 ? bytes.size() - at : sizes[k % sizeCount];
    const qsizetype n = qMin(size, bytes.size() - at);
    const TLineReceiver::TFeedResult r = receiver.Feed(bytes.constData() + at, n);
    o.Lines += r.Lines;
    o.Dropped += static_cast<int>(r.Dropped.size());
    at += n;
  }
  o.Pending = receiver.Pending();
  return o;
}

void CheckSame(const Outcome &got, const Outcome &want) {
  FUZZ_CHECK(got.Data == want.Data);
  FUZZ_CHECK(got.Replies == want.Replies);
  FUZZ_CHECK(got.Lines == want.Lines);
  FUZZ_CHECK(got.Dropped == want.Dropped);
  FUZZ_CHECK(got.Pending == want.Pending);
}

void Route(Outcome &o) {
  for (const QString &line : o.Replies) {
    FUZZ_CHECK(!line.isEmpty() && !IsDataLineStart(line[0].toLatin1()));
    const QChar key = ReplyKey(line);
    const proto::ParsedReply reply = proto::ParseReply(line);
    FUZZ_CHECK(reply.kind == proto::Reply::Unrecognised || !key.isNull());
    (void)StatusText(reply, kEnglishOffset);
  }
  TSignalChannel channel;
  const std::size_t lines = o.Data.size();
  const TDrainResult drained = DrainDataQueue(o.Data, channel);
  FUZZ_CHECK(o.Data.empty());
  FUZZ_CHECK(drained.Appended + static_cast<std::size_t>(drained.Skipped) == lines);
  FUZZ_CHECK(channel.Size() == drained.Appended && channel.X.size() == channel.Y.size());
}

QByteArray Expanded(const std::uint8_t *data, std::size_t size) {
  QByteArray bytes;
  for (std::size_t i = 0; i < size; ++i) {
    if (i + 2 < size && data[i] == 0xFF && data[i + 1] == 0xFE) {
      bytes.append(TLineReceiver::kMaxLineLength - 8 + data[i + 2] % 16, 'A');
      i += 2;
    } else {
      bytes.append(static_cast<char>(data[i]));
    }
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes = Expanded(data, size);
  Outcome want = Model(bytes);
  CheckSame(Feed(bytes, nullptr, 0), want);
  const std::uint8_t one = 1;
  CheckSame(Feed(bytes, &one, 1), want);
  // Piece sizes from the stream's own first bytes, so the cuts move as the input changes.
  CheckSame(Feed(bytes, data, qMin<std::size_t>(size, 16)), want);
  Route(want);
  return 0;
}
