#include "ui/LedThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "ui/TZeLed.h"

namespace zelvo {

namespace {
// UI thread only. The hook is never destroyed, so nothing depends on the order in which
// statics go at exit.
int gRunning = 0;
TLedThread::SleepFunction &SleepHook() {
  static auto *hook = new TLedThread::SleepFunction;
  return *hook;
}
}  // namespace

TLedThread::TLedThread(TZLed *target) : QObject(target) { ++gRunning; }

TLedThread::~TLedThread() {
  if (!FFinished) --gRunning;
}

void TLedThread::SetSleepFunction(SleepFunction f) { SleepHook() = std::move(f); }

int TLedThread::Running() { return gRunning; }

bool TLedThread::WaitForAll(int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (gRunning > 0) {
    if (t.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (gRunning > 0) QThread::msleep(1);
  }
  // The finished flashes delete themselves.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return true;
}

TZLed *TLedThread::Target() const { return static_cast<TZLed *>(parent()); }

void TLedThread::Execute() {
  TZLed *led = Target();
  // 1. The opposite shade at once; 2. hold it.
  led->SetColor(LedShade(led->LedColor(), led->LedOn() ? 128 : 255));
  Pause(led->LedDelayBeforeFade(), &TLedThread::StartFade);
}

// The state is read again after the hold: the direction follows the state then.
void TLedThread::StartFade() {
  const TZLed *led = Target();
  FSpeed = led->LedFadeSpeed();
  // A fade speed of 0 would never reach the end of a fade: jump back at once instead.
  if (FSpeed == 0) return Finish();
  if (!led->LedSmoothFlash()) {
    FMode = Fade::Wait;  // wait about as long as a fade would take, without colour changes
    FLevel = 128;
  } else if (led->LedOn()) {
    FMode = Fade::Up;  // from the dark shade up
    FLevel = 128;
  } else {
    FMode = Fade::Down;  // from the bright shade down
    FLevel = 255;
  }
  NextStep();
}

// One step of the fade with 8-bit levels: a level that wraps past 255 or below 128 ends it.
void TLedThread::NextStep() {
  switch (FMode) {
    case Fade::Wait:
      if (FLevel < 128 || FLevel == 255) return Finish();
      FLevel = std::uint8_t(FLevel + FSpeed);
      return Pause(50, &TLedThread::NextStep);
    case Fade::Up:
      if (FLevel < 128 || FLevel == 255) return Finish();
      FLevel = std::uint8_t(FLevel + FSpeed);
      break;
    case Fade::Down:
      if (FLevel <= 128) return Finish();
      FLevel = std::uint8_t(FLevel - FSpeed);
      break;
  }
  if (FLevel < 128) return Finish();
  TZLed *led = Target();
  led->SetColor(LedShade(led->LedColor(), FLevel));  // in the colour the LED has now
  Pause(50, &TLedThread::NextStep);
}

void TLedThread::Pause(int ms, void (TLedThread::*next)()) {
  if (const SleepFunction hook = SleepHook()) {
    const QPointer<TLedThread> self(this);
    hook(ms);
    if (!self) return;  // the LED went, and this flash with it
    ms = 0;
  }
  // Bound to this flash: a flash destroyed with its LED takes no further step.
  QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, next] { (this->*next)(); });
}

// The shade of the state at the end.
void TLedThread::Finish() {
  Target()->ApplyColor();
  FFinished = true;
  --gRunning;
  deleteLater();
}

}  // namespace zelvo
