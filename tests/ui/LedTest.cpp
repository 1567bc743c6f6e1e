// The LED control: construction values, shades and clicks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "ui/TZeLed.h"

using zelvo::LedShade;
using zelvo::TLedColor;
using zelvo::TZLed;

namespace {

void Mouse(QWidget *w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), button,
                type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void Click(QWidget *w, Qt::MouseButton button, QPoint at) {
  Mouse(w, QEvent::MouseButtonPress, button, at);
  Mouse(w, QEvent::MouseButtonRelease, button, at);
}

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
  led.SetColor(Qt::blue);  // a background set directly
  int clicks = 0;
  QObject::connect(&led, &TZLed::Click, [&] { ++clicks; });
  led.SetLedOn(true);
  EXPECT_EQ(led.Color(), QColor(0, 255, 0));
  EXPECT_EQ(clicks, 0);
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
