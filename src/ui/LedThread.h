#pragma once
// The flash of an LED: the opposite shade at once, a hold, a fade back in 50 ms steps, then
// the shade of the LED's state at that moment. The flash runs on the UI thread, each step
// started by a single-shot timer, and belongs to its LED: destroying the LED ends its
// flashes, and nothing of a flash outlives the LED or touches anything after it.
#include <QObject>
#include <cstdint>
#include <functional>

namespace zelvo {

class TZLed;

class TLedThread : public QObject {
  Q_OBJECT

 public:
  // Created and started by TZLed::Flash(); it deletes itself when it has finished.
  explicit TLedThread(TZLed *target);
  ~TLedThread() override;

  // Replaces the timed pauses between the steps (tests record them instead of waiting): the
  // function is called with the pause and the next step follows without waiting. It may
  // destroy the LED. An empty function restores the timed pauses.
  using SleepFunction = std::function<void(int ms)>;
  static void SetSleepFunction(SleepFunction f);

  // Number of flashes that have not finished.
  static int Running();
  // Processes events until every flash has finished. Returns false when flashes are still
  // running after timeoutMs of real time.
  static bool WaitForAll(int timeoutMs = 5000);

  // Shows the opposite shade and starts the hold.
  void Execute();

 private:
  enum class Fade { Wait, Up, Down };
  TZLed *Target() const;
  void StartFade();  // after the hold
  void NextStep();
  void Pause(int ms, void (TLedThread::*next)());
  void Finish();

  Fade FMode = Fade::Wait;
  std::uint8_t FLevel = 0;  // brightness of the last step (8-bit, wraps as the fade counts)
  std::uint8_t FSpeed = 0;
  bool FFinished = false;
};

}  // namespace zelvo
