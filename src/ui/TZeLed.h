#pragma once
// The lamp control used for every indicator of the main window: a raised panel with a
// centred caption whose background is one of three colours in a bright (on) or dark (off)
// shade. Flash() jumps to the opposite shade and fades back on a short-lived worker
// (TLedThread); the worker's colour steps run on the UI thread.
#include <QColor>
#include <QFrame>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

namespace zelvo {

enum class TLedColor : std::uint8_t { Green = 0, Yellow = 1, Red = 2 };

// Shade of brightness level L (255 on, 128 off): (0,L,0) green, (L,L,0) yellow, (L,0,0) red.
QColor LedShade(TLedColor color, int level);

struct LedFlashLink;  // shared between an LED and its flash workers (LedThread.h)

class TZLed : public QFrame {
  Q_OBJECT

 public:
  explicit TZLed(QWidget *parent = nullptr);
  ~TZLed() override;

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
  // Sets the background directly (the flash steps use this); the state stays as it is.
  void SetColor(const QColor &c);

  // Starts a flash in the background and returns at once.
  void Flash();

 signals:
  void Click();
  // Every change of the background (state, colour or a flash step).
  void ColorApplied(const QColor &c);

 protected:
  void paintEvent(QPaintEvent *e) override;
  void mousePressEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;

 private:
  friend class TLedThread;
  void ApplyColor();

  // Read by the flash worker without a lock; written on the UI thread only.
  std::atomic<std::uint8_t> fFadeSpeed{20};
  std::atomic<bool> fSmoothFlash{true};
  std::atomic<int> fDelayBeforeFade{100};
  std::atomic<bool> fIsLedOn{false};
  std::atomic<TLedColor> fLedColor{TLedColor::Green};

  QString fCaption;
  QColor fColor;
  bool fPressed = false;
  std::shared_ptr<LedFlashLink> fLink;
};

}  // namespace zelvo
