#include "ui/Dialogs.h"

#include <QMessageBox>
#include <cstdio>

#include "core/TextFile.h"

namespace zelvo {

namespace {
std::function<void(const DialogMessage &)> g_sink;

void Show(QWidget *parent, DialogMessage::Kind kind, const QString &title, const QString &raw) {
  // Texts joined with CR (the start-up's messages) show their line breaks in the box.
  const QString text = WithLfLineBreaks(raw);
  const DialogMessage msg{kind, title, text};
  if (g_sink) {
    g_sink(msg);
    return;
  }
  if (qEnvironmentVariableIsSet("ZELVO_NO_DIALOGS")) {
    std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
    return;
  }
  switch (kind) {
    case DialogMessage::Information: QMessageBox::information(parent, title, text); break;
    case DialogMessage::Error: QMessageBox::critical(parent, title, text); break;
    case DialogMessage::Warning: QMessageBox::warning(parent, title, text); break;
    case DialogMessage::Notice: {
      auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, parent);
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->setWindowModality(Qt::NonModal);
      box->show();
      break;
    }
  }
}
}  // namespace

void Dialogs::Information(QWidget *parent, const QString &title, const QString &text) {
  Show(parent, DialogMessage::Information, title, text);
}
void Dialogs::Error(QWidget *parent, const QString &title, const QString &text) {
  Show(parent, DialogMessage::Error, title, text);
}
void Dialogs::Warning(QWidget *parent, const QString &title, const QString &text) {
  Show(parent, DialogMessage::Warning, title, text);
}
void Dialogs::Notice(QWidget *parent, const QString &title, const QString &text) {
  Show(parent, DialogMessage::Notice, title, text);
}
void Dialogs::SetSink(std::function<void(const DialogMessage &)> sink) { g_sink = std::move(sink); }
void Dialogs::ClearSink() { g_sink = nullptr; }

}  // namespace zelvo
