#pragma once
// Every message box of the program goes through here, so that tests (and the offscreen
// end-to-end runs) can record the messages instead of blocking on a modal dialog.
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace zelvo {

struct DialogMessage {
  enum Kind { Information, Error, Warning, Notice, Question } kind;
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
  // A question that does not wait either: the box opens over the window (window-modal, so
  // the event loop and the tick go on) and `answer` gets the index of the chosen button once
  // the operator answers; closing the box gives the last button. Returns the box (null when
  // recorded). With a sink and an answerer the answerer is asked instead (at once); with a
  // sink alone the question is recorded (kind Question) and stays unanswered.
  static QWidget *Ask(QWidget *parent, const QString &objectName, const QString &title, const QString &text,
                      const QStringList &buttons, std::function<void(int)> answer);
  static void SetAnswerer(std::function<int(const DialogMessage &)> answerer);

  // When a sink is set, messages go to it and no dialog is shown. Also the default when
  // the environment variable ZELVO_NO_DIALOGS is set (messages then go to stderr).
  static void SetSink(std::function<void(const DialogMessage &)> sink);
  static void ClearSink();  // also clears the answerer
};

}  // namespace zelvo
