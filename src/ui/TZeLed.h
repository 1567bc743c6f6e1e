#pragma once
// The lamp control used for every indicator of the main window: a raised panel with a
// centred caption whose background is one of three colours in a bright (on) or dark (off)
// shade. The fade properties are kept as the window's description sets them; the program
// never flashes a lamp, so there is no flash.
#include <QColor>
#include <QFrame>
#include <QString>
#include <cstdint>

namespace zelvo {

enum class TLedColor : std::uint8_t { Green = 0, Yellow = 1, Red = 2 };

// Shade of brightness level L (255 on, 128 off): (0,L,0) green, (L,L,0) yellow, (L,0,0) red.
QColor LedShade(TLedColor color, int level);

class TZLed : public QFrame {
  Q_OBJECT

 public:
  explicit TZLed(QWidget *parent = nullptr);

  std::uint8_t LedFadeSpeed() const { return fFadeSpeed; }
  void SetLedFadeSpeed(std::uint8_t v) { fFadeSpeed = v; }
  bool LedSmoothFlash() const { return fSmoothFlash; }
  void SetLedSmoothFlash(bool v) { fSmoothFlash = v; }
  int LedDelayBeforeFade() const { return fDelayBeforeFade; }
  void SetLedDelayBeforeFade(int v) { fDelayBeforeFade = v; }

  bool LedOn() const { return fIsLedOn; }
  void SetLedOn(bool on);  // stores the state and applies its shade
  TLedColor LedColor() const { return fLedColor; }
  void SetLedColor(TLedColor c);  // stores the colour and applies its shade

  QString Caption() const { return fCaption; }
  void SetCaption(const QString &text);

  // Current background colour.
  QColor Color() const { return fColor; }
  // Sets the background directly; the state stays as it is.
  void SetColor(const QColor &c);

 signals:
  void Click();
  // Every change of the background (state or colour).
  void ColorApplied(const QColor &c);

 protected:
  void paintEvent(QPaintEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

 private:
  void ApplyColor();

  std::uint8_t fFadeSpeed = 20;
  bool fSmoothFlash = true;
  int fDelayBeforeFade = 100;
  bool fIsLedOn = false;
  TLedColor fLedColor = TLedColor::Green;

  QString fCaption;
  QColor fColor;
  bool fPressed = false;
};

}  // namespace zelvo
