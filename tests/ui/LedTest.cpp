// The LED control: construction values, shades, and the flash steps with the pauses
// replaced by a recorder (no real waiting).
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>

#include "ui/LedThread.h"
#include "ui/TZeLed.h"

using zelvo::LedShade;
using zelvo::TLedColor;
using zelvo::TLedThread;
using zelvo::TZLed;

namespace {

// What a flash did, in order: "rgb(r,g,b)" for every colour applied, "sleep N" for every
// pause (recorded instead of waited for).
struct FlashRecorder {
  QStringList events;
  QMetaObject::Connection conn;

  explicit FlashRecorder(TZLed *led) {
    conn = QObject::connect(led, &TZLed::ColorApplied, [this](const QColor &c) {
      events << QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
    });
    TLedThread::SetSleepFunction([this](int ms) { events << QStringLiteral("sleep %1").arg(ms); });
  }
  ~FlashRecorder() {
    QObject::disconnect(conn);
    TLedThread::SetSleepFunction(nullptr);
  }
  QStringList Flash(TZLed *led) {
    events.clear();
    led->Flash();
    EXPECT_TRUE(TLedThread::WaitForAll());
    return events;
  }
};

void Mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void Click(QWidget *w, Qt::MouseButton button, QPoint at) {
  Mouse(w, QEvent::MouseButtonPress, button, at);
  Mouse(w, QEvent::MouseButtonRelease, button, at);
}

QString Rgb(int r, int g, int b) { return QStringLiteral("rgb(%1,%2,%3)").arg(r).arg(g).arg(b); }

}  // namespace

TEST(Led, NewLedIsGreenOffSmallWithBlankCaption) {
  TZLed led;
  EXPECT_EQ(led.width(), 28);
  EXPECT_EQ(led.height(), 11);
  EXPECT_EQ(led.Caption(), QStringLiteral(" "));
  EXPECT_EQ(led.Color(), QColor(0, 128, 0));
  EXPECT_EQ(led.LedColor(), TLedColor::Green);
  EXPECT_FALSE(led.LedOn());
  EXPECT_EQ(led.LedFadeSpeed(), 20);
  EXPECT_TRUE(led.LedSmoothFlash());
  EXPECT_EQ(led.LedDelayBeforeFade(), 100);
  EXPECT_EQ(led.frameShape(), QFrame::Panel);
  EXPECT_EQ(led.frameShadow(), QFrame::Raised);
}

TEST(Led, ShadeFollowsColourAndState) {
  struct Case {
    TLedColor color;
    bool on;
    QColor shade;
  } cases[] = {
      {TLedColor::Green, true, QColor(0, 255, 0)},    {TLedColor::Green, false, QColor(0, 128, 0)},
      {TLedColor::Yellow, true, QColor(255, 255, 0)}, {TLedColor::Yellow, false, QColor(128, 128, 0)},
      {TLedColor::Red, true, QColor(255, 0, 0)},      {TLedColor::Red, false, QColor(128, 0, 0)},
  };
  for (const Case &c : cases) {
    TZLed led;
    led.SetLedColor(c.color);
    led.SetLedOn(c.on);
    EXPECT_EQ(led.Color(), c.shade) << int(c.color) << " " << c.on;
    // Either order of setting gives the same shade.
    TZLed other;
    other.SetLedOn(c.on);
    other.SetLedColor(c.color);
    EXPECT_EQ(other.Color(), c.shade);
  }
  TZLed red;
  red.SetLedColor(TLedColor::Red);
  EXPECT_EQ(red.Color(), QColor(128, 0, 0));
  red.SetLedOn(true);
  EXPECT_EQ(red.Color(), QColor(255, 0, 0));
  EXPECT_EQ(LedShade(TLedColor::Yellow, 135), QColor(135, 135, 0));
}

TEST(Led, RewritingTheSameStateReappliesTheShadeOnly) {
  TZLed led;
  led.SetLedOn(true);
  led.SetColor(Qt::blue);  // e.g. left over from a flash step
  int clicks = 0;
  QObject::connect(&led, &TZLed::Click, [&] { ++clicks; });
  led.SetLedOn(true);
  EXPECT_EQ(led.Color(), QColor(0, 255, 0));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(TLedThread::Running(), 0);
}

TEST(Led, FlashStepsWithEachFadeSpeed) {
  struct Case {
    const char *what;
    TLedColor color;
    bool on;
    int speed;
    bool smooth;
    QStringList expected;
  };
  const QString s100 = QStringLiteral("sleep 100"), s50 = QStringLiteral("sleep 50");
  const Case cases[] = {
      // An off yellow LED flashes bright, then six steps down, then dark.
      {"yellow off 20",
       TLedColor::Yellow,
       false,
       20,
       true,
       {Rgb(255, 255, 0), s100, Rgb(235, 235, 0), s50, Rgb(215, 215, 0), s50, Rgb(195, 195, 0), s50,
        Rgb(175, 175, 0), s50, Rgb(155, 155, 0), s50, Rgb(135, 135, 0), s50, Rgb(128, 128, 0)}},
      {"green on 20",
       TLedColor::Green,
       true,
       20,
       true,
       {Rgb(0, 128, 0), s100, Rgb(0, 148, 0), s50, Rgb(0, 168, 0), s50, Rgb(0, 188, 0), s50, Rgb(0, 208, 0),
        s50, Rgb(0, 228, 0), s50, Rgb(0, 248, 0), s50, Rgb(0, 255, 0)}},
      // 128 + 127 = 255: one step straight to full brightness.
      {"red on 127",
       TLedColor::Red,
       true,
       127,
       true,
       {Rgb(128, 0, 0), s100, Rgb(255, 0, 0), s50, Rgb(255, 0, 0)}},
      // 255 - 127 = 128: one step to the dark level.
      {"red off 127",
       TLedColor::Red,
       false,
       127,
       true,
       {Rgb(255, 0, 0), s100, Rgb(128, 0, 0), s50, Rgb(128, 0, 0)}},
      // 128 and more wrap below 128 at once: no intermediate steps either way.
      {"green on 128", TLedColor::Green, true, 128, true, {Rgb(0, 128, 0), s100, Rgb(0, 255, 0)}},
      {"green off 128", TLedColor::Green, false, 128, true, {Rgb(0, 255, 0), s100, Rgb(0, 128, 0)}},
      {"green off 255", TLedColor::Green, false, 255, true, {Rgb(0, 255, 0), s100, Rgb(0, 128, 0)}},
      // Speed 0 would never finish a fade: the flash jumps back after the hold.
      {"green off 0", TLedColor::Green, false, 0, true, {Rgb(0, 255, 0), s100, Rgb(0, 128, 0)}},
      {"green on 0 unsmooth", TLedColor::Green, true, 0, false, {Rgb(0, 128, 0), s100, Rgb(0, 255, 0)}},
      // Without smoothing: hold 100 ms plus seven 50 ms waits (148..248, then 268 mod 256).
      {"green on unsmooth",
       TLedColor::Green,
       true,
       20,
       false,
       {Rgb(0, 128, 0), s100, s50, s50, s50, s50, s50, s50, s50, Rgb(0, 255, 0)}},
  };
  for (const Case &c : cases) {
    TZLed led;
    led.SetLedColor(c.color);
    led.SetLedOn(c.on);
    led.SetLedFadeSpeed(std::uint8_t(c.speed));
    led.SetLedSmoothFlash(c.smooth);
    FlashRecorder rec(&led);
    EXPECT_EQ(rec.Flash(&led), c.expected) << c.what;
    EXPECT_EQ(led.Color(), LedShade(c.color, c.on ? 255 : 128)) << c.what;
  }
}

TEST(Led, FlashEndsInTheShadeOfTheStateAtItsEnd) {
  TZLed led;  // green, off: the flash fades downwards
  int pauses = 0;
  TLedThread::SetSleepFunction([&](int) {
    // Halfway through the fade the program switches the LED on.
    if (++pauses == 3) led.SetLedOn(true);
  });
  QList<QColor> applied;
  QObject::connect(&led, &TZLed::ColorApplied, [&](const QColor &c) { applied << c; });
  led.Flash();
  ASSERT_TRUE(TLedThread::WaitForAll());
  TLedThread::SetSleepFunction(nullptr);
  // The steps under way keep going down; the last colour is the on shade.
  ASSERT_GE(applied.size(), 6);
  EXPECT_EQ(applied[0], QColor(0, 255, 0));  // the opposite shade
  EXPECT_EQ(applied[1], QColor(0, 235, 0));
  EXPECT_EQ(applied[2], QColor(0, 215, 0));
  EXPECT_EQ(applied[3], QColor(0, 255, 0));  // SetLedOn(true) itself
  EXPECT_EQ(applied[4], QColor(0, 195, 0));  // the fade does not reverse
  EXPECT_EQ(applied.last(), QColor(0, 255, 0));
  EXPECT_EQ(led.Color(), QColor(0, 255, 0));
}

TEST(Led, SeveralFlashesOfOneLedEndInTheSameShade) {
  TZLed led;
  led.SetLedColor(TLedColor::Red);
  led.SetLedOn(true);
  TLedThread::SetSleepFunction([](int) {});
  led.Flash();
  led.Flash();
  led.Flash();
  ASSERT_TRUE(TLedThread::WaitForAll());
  TLedThread::SetSleepFunction(nullptr);
  EXPECT_EQ(led.Color(), QColor(255, 0, 0));
}

TEST(Led, DestroyedDuringFlashEndsTheFlashQuietly) {
  // Real pauses: the flash is holding the bright shade (long delay) when the LED goes.
  auto *led = new TZLed;
  led->SetLedDelayBeforeFade(60000);
  led->Flash();
  QCoreApplication::processEvents();
  delete led;  // takes its flash with it: no step may touch the dead control
  EXPECT_EQ(TLedThread::Running(), 0);
  EXPECT_TRUE(TLedThread::WaitForAll(2000));

  // Gone in the middle of the fade, from inside a pause.
  auto *led2 = new TZLed;
  int pauses = 0;
  TLedThread::SetSleepFunction([&](int) {
    if (++pauses == 3) delete led2;
  });
  led2->Flash();
  EXPECT_TRUE(TLedThread::WaitForAll());
  TLedThread::SetSleepFunction(nullptr);
  EXPECT_EQ(pauses, 3);  // nothing after the LED was gone
}

TEST(Led, TimedFlashTakesItsHoldAndSteps) {
  // The default flash of an off LED: the bright shade held 100 ms, six 50 ms steps down,
  // then dark; at least 400 ms in all.
  TZLed led;
  QList<QColor> applied;
  QObject::connect(&led, &TZLed::ColorApplied, [&](const QColor &c) { applied << c; });
  QElapsedTimer t;
  t.start();
  led.Flash();
  ASSERT_TRUE(TLedThread::WaitForAll());
  EXPECT_GE(t.elapsed(), 400);
  EXPECT_EQ(applied,
            QList<QColor>({QColor(0, 255, 0), QColor(0, 235, 0), QColor(0, 215, 0), QColor(0, 195, 0),
                           QColor(0, 175, 0), QColor(0, 155, 0), QColor(0, 135, 0), QColor(0, 128, 0)}));
}

TEST(Led, ClickIsAPressAndReleaseInside) {
  TZLed led;
  led.resize(50, 17);
  int clicks = 0;
  QObject::connect(&led, &TZLed::Click, [&] { ++clicks; });
  Click(&led, Qt::LeftButton, QPoint(10, 8));
  EXPECT_EQ(clicks, 1);
  Mouse(&led, QEvent::MouseButtonPress, Qt::LeftButton, QPoint(10, 8));
  Mouse(&led, QEvent::MouseButtonRelease, Qt::LeftButton, QPoint(80, 8));  // released outside
  EXPECT_EQ(clicks, 1);
  Click(&led, Qt::RightButton, QPoint(10, 8));
  EXPECT_EQ(clicks, 1);
}
