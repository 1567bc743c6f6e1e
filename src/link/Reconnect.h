#pragma once
// When to try again to open a port whose device went away (a USB adapter pulled, the
// instrument switched off): first after one second, then after twice the last wait, never
// more than 30 s apart. Times are seconds of the steady clock; the caller asks on its tick.
namespace zelvo {

class TReconnect {
 public:
  static constexpr double kFirstDelaySeconds = 1.0;
  static constexpr double kMaxDelaySeconds = 30.0;

  // The port was lost at `now`: the first attempt is due one second later.
  void Lost(double now);
  // Whether the port waits to be opened again.
  bool Pending() const { return FPending; }
  // Whether an attempt is due at `now`.
  bool Due(double now) const { return FPending && now >= FNextTry; }
  // An attempt at `now` failed: the next one after twice the last wait (at most 30 s).
  void Failed(double now);
  // The port is open again (or was closed on purpose): nothing more to do.
  void Done();
  int Attempts() const { return FAttempts; }  // failed attempts since the loss
  double NextTry() const { return FNextTry; }
  double Delay() const { return FDelay; }  // the wait before NextTry

 private:
  bool FPending = false;
  double FNextTry = 0;
  double FDelay = kFirstDelaySeconds;
  int FAttempts = 0;
};

}  // namespace zelvo
