#include "app/Zelvo730_Main.h"

TForm1::TForm1(QWidget *parent) : QMainWindow(parent) {
  CreateControls();
  CreateLinkObjects();
}

TForm1::~TForm1() = default;
