#include "app/Zelvo730_Main.h"

#include <QCloseEvent>

TForm1::TForm1(QWidget *parent) : QMainWindow(parent) {
  CreateControls();
  CreateLinkObjects();
}

TForm1::~TForm1() = default;

void TForm1::closeEvent(QCloseEvent *event) {
  FormClose();
  QMainWindow::closeEvent(event);
}
