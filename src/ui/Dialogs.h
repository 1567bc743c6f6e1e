#pragma once
// Every message box of the program goes through here, so that tests (and the offscreen
// end-to-end runs) can record the messages instead of blocking on a modal dialog.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace zelvo {

struct DialogMessage {
  enum Kind { Information, Error, Warning, Notice } kind;
  QString title;
  QString text;
};

class Dialogs {
 public:
  static void Information(QWidget *parent, const QString &title, const QString &text);
  static void Error(QWidget *parent, const QString &title, const QString &text);
  static void Warning(QWidget *parent, const QString &title, const QString &text);
  // A warning that does not wait for the operator: the box stays open beside the window
  // while the program (and its tick) goes on, and closes itself when dismissed.
  static void Notice(QWidget *parent, const QString &title, const QString &text);

  // When a sink is set, messages go to it and no dialog is shown. Also the default when
  // the environment variable ZELVO_NO_DIALOGS is set (messages then go to stderr).
  static void SetSink(std::function<void(const DialogMessage &)> sink);
  static void ClearSink();
};

}  // namespace zelvo
