#include "ui/LedThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>

#include "ui/TZeLed.h"

namespace zelvo {

namespace {
std::atomic<int> gRunning{0};
std::mutex gSleepMutex;
TLedThread::SleepFunction gSleep;
}  // namespace

TLedThread::TLedThread(std::shared_ptr<LedFlashLink> target) : ITargetControl(std::move(target)) {
  ++gRunning;
}

TLedThread::~TLedThread() {
  wait();
  --gRunning;
}

void TLedThread::SetSleepFunction(SleepFunction f) {
  std::lock_guard<std::mutex> lock(gSleepMutex);
  gSleep = std::move(f);
}

int TLedThread::Running() { return gRunning.load(); }

bool TLedThread::WaitForAll(int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (gRunning.load() > 0) {
    if (t.elapsed() > timeoutMs) return false;
    // Deliver the posted steps and the finished signals, then delete the finished workers.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (gRunning.load() > 0) QThread::msleep(1);
  }
  QCoreApplication::processEvents();
  return true;
}

void TLedThread::run() { Execute(); }

bool TLedThread::Step(std::function<void(TZLed *)> step) {
  std::lock_guard<std::mutex> lock(ITargetControl->m);
  TZLed *led = ITargetControl->led;
  if (!led) return false;
  // Posted while the LED cannot be destroyed (its destructor takes the same lock); a step
  // still queued when the LED goes is discarded with it.
  QMetaObject::invokeMethod(
      led, [led, step = std::move(step)] { step(led); }, Qt::QueuedConnection);
  return true;
}

bool TLedThread::StepLevel(int level) {
  TLedColor color;
  {
    std::lock_guard<std::mutex> lock(ITargetControl->m);
    if (!ITargetControl->led) return false;
    color = ITargetControl->led->fLedColor.load();
  }
  const QColor c = LedShade(color, level);
  R = std::uint8_t(c.red());
  G = std::uint8_t(c.green());
  B = std::uint8_t(c.blue());
  const QColor rgb(R, G, B);
  return Step([rgb](TZLed *led) { led->SetColor(rgb); });
}

bool TLedThread::Pause(int ms) {
  SleepFunction sleep;
  {
    std::lock_guard<std::mutex> lock(gSleepMutex);
    sleep = gSleep;
  }
  std::unique_lock<std::mutex> lock(ITargetControl->m);
  if (sleep) {
    lock.unlock();
    sleep(ms);
    lock.lock();
  } else if (ms > 0) {
    ITargetControl->cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !ITargetControl->led; });
  }
  return ITargetControl->led != nullptr;
}

void TLedThread::Execute() {
  struct State {
    std::uint8_t speed;
    bool smooth;
    int delay;
    bool on;
  } s{};
  auto read = [this, &s] {
    std::lock_guard<std::mutex> lock(ITargetControl->m);
    TZLed *led = ITargetControl->led;
    if (!led) return false;
    s = {led->fFadeSpeed.load(), led->fSmoothFlash.load(), led->fDelayBeforeFade.load(),
         led->fIsLedOn.load()};
    return true;
  };
  if (!read()) return;

  // 1. The opposite shade at once (chosen on the UI thread from the state there).
  if (!Step([](TZLed *led) { led->SetColor(LedShade(led->LedColor(), led->LedOn() ? 128 : 255)); })) return;
  // 2. Hold it.
  if (!Pause(s.delay) || !read()) return;

  // A fade speed of 0 would never reach the end of a fade: jump back at once instead.
  if (s.speed != 0) {
    if (!s.smooth) {
      // 3. Wait about as long as a fade would take, without colour changes.
      std::uint8_t a = 128;
      while (a >= 128 && a < 255) {
        a = std::uint8_t(a + s.speed);
        if (!Pause(50)) return;
      }
    } else if (s.on) {
      // 4. Fade up from the dark shade.
      std::uint8_t c = 128;
      while (c >= 128 && c < 255) {
        c = std::uint8_t(c + s.speed);
        if (c < 128) break;
        if (!StepLevel(c) || !Pause(50)) return;
      }
    } else {
      // 5. Fade down from the bright shade.
      std::uint8_t b = 255;
      while (b > 128) {
        b = std::uint8_t(b - s.speed);
        if (b < 128) break;
        if (!StepLevel(b) || !Pause(50)) return;
      }
    }
  }
  // 6. The shade of the state at the end.
  Step([](TZLed *led) { led->ApplyColor(); });
}

}  // namespace zelvo
