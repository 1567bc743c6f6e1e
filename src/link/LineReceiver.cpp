#include "link/LineReceiver.h"

#include "core/Cp1252.h"

namespace zelvo {

namespace {

QString DecodeLine(const char *data, qsizetype size) { return Cp1252Decode(QByteArrayView(data, size)); }

// Finds the next CR or LF in [p, end), or end.
const char *NextLineEnd(const char *p, const char *end) {
  for (; p < end; ++p) {
    if (*p == '\r' || *p == '\n') break;
  }
  return p;
}

}  // namespace

TLineReceiver::TLineReceiver(TLineQueue &dataQueue, TLineQueue &replyQueue)
    : FDataQueue(dataQueue), FReplyQueue(replyQueue) {}

void TLineReceiver::Clear() {
  FBuffer.clear();
  FDropping = false;
}

TLineReceiver::TFeedResult TLineReceiver::Feed(const char *data, qsizetype size) {
  TFeedResult result;
  const char *p = data;
  const char *const end = data + size;
  while (p < end) {
    const char *q = NextLineEnd(p, end);
    if (q < end && *q == '\r' && FBuffer.isEmpty() && !FDropping) {
      // A whole line inside this chunk: route it straight from the input.
      if (q - p > kMaxLineLength) {
        StartDropping(p, q - p, result);
        FDropping = false;  // its CR is right here
      } else {
        Route(p, q - p, result);
      }
    } else {
      Append(p, q - p, result);
      if (q < end && *q == '\r') {
        if (!FDropping) Route(FBuffer.constData(), FBuffer.size(), result);
        FBuffer.clear();
        FDropping = false;
      }
    }
    p = q < end ? q + 1 : end;  // the CR or LF itself is never kept
  }
  return result;
}

void TLineReceiver::Append(const char *data, qsizetype size, TFeedResult &result) {
  if (FDropping || size == 0) return;
  if (FBuffer.size() + size > kMaxLineLength) {
    const QByteArray head =
        FBuffer.isEmpty() ? QByteArray(data, qMin<qsizetype>(size, 32)) : FBuffer.left(32);
    FBuffer.clear();
    StartDropping(head.constData(), head.size(), result);
    return;
  }
  FBuffer.append(data, size);
}

void TLineReceiver::StartDropping(const char *head, qsizetype headSize, TFeedResult &result) {
  FDropping = true;
  QString shown = DecodeLine(head, qMin<qsizetype>(headSize, 32));
  for (QChar &c : shown) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('.');
  }
  result.Dropped << QStringLiteral("Received line longer than %1 bytes without CR dropped (began \"%2\")")
                        .arg(kMaxLineLength)
                        .arg(shown);
}

void TLineReceiver::Route(const char *data, qsizetype size, TFeedResult &result) {
  if (size == 0) return;  // CR CR, or CR LF CR: no empty lines
  TLineQueue &queue = IsDataLineStart(data[0]) ? FDataQueue : FReplyQueue;
  queue.push_back(DecodeLine(data, size));
  ++result.Lines;
}

}  // namespace zelvo
