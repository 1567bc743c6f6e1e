#pragma once
// The application object: an error that escapes an event handler ends that handler and is
// shown in the standard error box; the program goes on.
#include <QApplication>

class TApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject *receiver, QEvent *event) override;
};
