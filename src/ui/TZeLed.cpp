#include "ui/TZeLed.h"

#include <QMouseEvent>
#include <QPainter>


namespace zelvo {

QColor LedShade(TLedColor color, int level) {
  switch (color) {
    case TLedColor::Green:
      return QColor(0, level, 0);
    case TLedColor::Yellow:
      return QColor(level, level, 0);
    case TLedColor::Red:
      return QColor(level, 0, 0);
  }
  return QColor(0, level, 0);
}

TZLed::TZLed(QWidget *parent) : QFrame(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Raised);
  setLineWidth(1);
  resize(28, 11);
  fCaption = QStringLiteral(" ");
  fColor = QColor(0, 128, 0);
  SetLedOn(false);
}

void TZLed::SetLedOn(bool on) {
  fIsLedOn = on;
  ApplyColor();
}

void TZLed::SetLedColor(TLedColor c) {
  fLedColor = c;
  ApplyColor();
}

void TZLed::ApplyColor() { SetColor(LedShade(fLedColor, fIsLedOn ? 255 : 128)); }

void TZLed::SetColor(const QColor &c) {
  fColor = c;
  update();
  emit ColorApplied(c);
}

void TZLed::SetCaption(const QString &text) {
  fCaption = text;
  update();
}

void TZLed::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), fColor);
  drawFrame(&p);
  p.setPen(palette().color(QPalette::WindowText));
  p.setFont(font());
  p.drawText(contentsRect(), Qt::AlignCenter, fCaption);
}

void TZLed::mousePressEvent(QMouseEvent *e) {
  if (e->button() == Qt::LeftButton) fPressed = true;
  QFrame::mousePressEvent(e);
}

void TZLed::mouseReleaseEvent(QMouseEvent *e) {
  const bool click = fPressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
  fPressed = false;
  QFrame::mouseReleaseEvent(e);
  if (click) emit Click();
}

}  // namespace zelvo
