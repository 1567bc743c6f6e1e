#include "core/Clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>

namespace zelvo {

namespace {
std::atomic<bool> g_manual{false};
TDateTime g_manualNow = 0.0;             // only touched on the UI thread
TSteadySeconds g_manualSteady = 1000.0;  // likewise
std::function<void(double)> g_manualWait;  // likewise
}  // namespace

TDateTime Clock::Now() {
  if (g_manual.load(std::memory_order_relaxed)) return g_manualNow;
  return ToDateTime(QDateTime::currentDateTime());
}

TSteadySeconds Clock::Steady() {
  if (g_manual.load(std::memory_order_relaxed)) return g_manualSteady;
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since).count();
}

void Clock::SetManual(TDateTime t) {
  g_manualNow = t;
  g_manual = true;
}

void Clock::Advance(double seconds) {
  if (seconds < 0) seconds = 0;  // the steady reading never runs backwards
  g_manualNow += SecondsToDays(seconds);
  g_manualSteady += seconds;
}

void Clock::ShiftWall(double seconds) { g_manualNow += SecondsToDays(seconds); }

bool Clock::IsManual() { return g_manual; }

void Clock::SetManualWait(std::function<void(double)> wait) { g_manualWait = std::move(wait); }

void Clock::SetReal() { g_manual = false; }

void Clock::WaitProcessingEvents(int ms) {
  if (!QCoreApplication::instance()) return;
  if (g_manual) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (g_manualWait)
      g_manualWait(ms / 1000.0);
    else
      Advance(ms / 1000.0);
    return;
  }
  // A single-shot timer guarantees that the blocking wait below ends after `ms` at the
  // latest; any earlier event (a receive notification) ends it sooner.
  QTimer timer;
  timer.setSingleShot(true);
  timer.start(ms);
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  if (timer.isActive()) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace zelvo
