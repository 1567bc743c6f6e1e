#pragma once
// SIGTERM and SIGINT (logout, shutdown, Ctrl+C in a terminal) delivered as a Qt signal in
// the event loop. The signal handler itself only writes the signal's number into a pipe (the
// one thing that is safe there); a socket notifier reads it on the main thread, where the
// program can end its run properly.
#include <QObject>

class QSocketNotifier;

namespace zelvo {

class TExitSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; one object at a time (a second one installs nothing).
  explicit TExitSignals(QObject *parent = nullptr);
  // Restores the handlers that were there before.
  ~TExitSignals() override;
  bool Installed() const { return fNotifier != nullptr; }

 signals:
  void Received(int signalNumber);

 private:
  void ReadPipe();
  QSocketNotifier *fNotifier = nullptr;
};

}  // namespace zelvo
