#include <QApplication>

#include "app/Zelvo730_Main.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  TForm1 form;
  form.FormCreate();
  form.show();
  return app.exec();
}
