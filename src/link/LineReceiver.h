#pragma once
// Cutting the received bytes of one port into lines and routing them, without any port or
// widget: feed what a read returned, and complete lines land in their queues.
//
// CR ends a line; LF is dropped wherever it occurs; empty lines are never queued. A line whose
// first character is "/", "[" or "]" is a detector data line and goes to the port's data
// queue, every other line to the reply queue (shared by both ports). A partial line is kept
// until its CR arrives in a later feed. Bytes are Windows-1252.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <deque>

namespace zelvo {

// First-in first-out queue of text lines (without line end, or with the CR of a command).
using TLineQueue = std::deque<QString>;

// Whether a received line is a detector data line (first character "/", "[" or "]").
constexpr bool IsDataLineStart(char first) { return first == '/' || first == '[' || first == ']'; }

class TLineReceiver {
 public:
  // A line growing past this many bytes without CR is dropped whole (up to its CR), so a
  // converter streaming garbage cannot make the buffer grow without bound.
  static constexpr qsizetype kMaxLineLength = 4096;

  struct TFeedResult {
    int Lines = 0;        // complete lines queued by this feed
    QStringList Dropped;  // one notice per overlong line that began to be dropped, for the log
  };

  TLineReceiver(TLineQueue &dataQueue, TLineQueue &replyQueue);

  TFeedResult Feed(const char *data, qsizetype size);
  TFeedResult Feed(const QByteArray &bytes) { return Feed(bytes.constData(), bytes.size()); }

  // The part of the current line received so far (line ends removed).
  const QByteArray &Pending() const { return FBuffer; }
  // Forget the partial line (a port that was reopened starts clean).
  void Clear();

 private:
  void Append(const char *data, qsizetype size, TFeedResult &result);
  void Route(const char *data, qsizetype size, TFeedResult &result);
  void StartDropping(const char *head, qsizetype headSize, TFeedResult &result);

  TLineQueue &FDataQueue;
  TLineQueue &FReplyQueue;
  QByteArray FBuffer;
  bool FDropping = false;  // inside an overlong line: discard up to its CR
};

}  // namespace zelvo
