#pragma once
// The flash worker of an LED. It never touches the LED from its own thread: every colour
// step is posted to the UI thread and applied there, and the worker never waits for the UI
// thread, so an LED may be destroyed at any moment of a flash: the worker notices it at
// its next step (or is woken from its pause) and ends.
#include <QThread>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace zelvo {

class TZLed;

// What an LED and its running flashes share. `led` turns null when the LED is destroyed.
struct LedFlashLink {
  std::mutex m;
  std::condition_variable cv;
  TZLed *led = nullptr;
};

class TLedThread : public QThread {
  Q_OBJECT

 public:
  // Created by TZLed::Flash(), which starts it; it deletes itself when it has finished.
  explicit TLedThread(std::shared_ptr<LedFlashLink> target);
  ~TLedThread() override;

  // Replaces the pause between the steps (tests make it deterministic); an empty function
  // restores the real, interruptible pause.
  using SleepFunction = std::function<void(int ms)>;
  static void SetSleepFunction(SleepFunction f);

  // Number of flash workers that exist: running, or finished and not yet deleted.
  static int Running();
  // Processes events until every flash worker has finished and has been deleted.
  // Returns false when workers are still running after timeoutMs of real time.
  static bool WaitForAll(int timeoutMs = 5000);

 protected:
  void run() override;  // the flash algorithm

 private:
  friend class TZLed;
  void Execute();
  // Posts one step to the UI thread; false when the LED is gone.
  bool Step(std::function<void(TZLed *)> step);
  // Posts the shade of level `level` in the LED's current colour.
  bool StepLevel(int level);
  // Pauses between steps; false when the LED is gone.
  bool Pause(int ms);

  std::shared_ptr<LedFlashLink> ITargetControl;
  std::uint8_t R = 0, G = 0, B = 0;  // colour of the next step
};

}  // namespace zelvo
