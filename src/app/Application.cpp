#include "app/Application.h"

#include <exception>

#include "ui/Dialogs.h"

bool TApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception &e) {
    zelvo::Dialogs::Error(activeWindow(), applicationName(), QString::fromUtf8(e.what()));
  }
  return false;
}
