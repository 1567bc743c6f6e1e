#include "ui/Dialogs.h"

#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "core/TextFile.h"

namespace zelvo {

namespace {
std::function<void(const DialogMessage &)> g_sink;
std::function<int(const DialogMessage &)> g_answerer;

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
    case DialogMessage::Question:  // only through Ask
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
QWidget *Dialogs::Ask(QWidget *parent, const QString &objectName, const QString &title, const QString &raw,
                      const QStringList &buttons, std::function<void(int)> answer) {
  const QString text = WithLfLineBreaks(raw);
  const DialogMessage msg{DialogMessage::Question, title, text};
  if (g_sink) {
    if (!g_answerer)
      g_sink(msg);
    else if (answer)
      answer(g_answerer(msg));
    return nullptr;
  }
  if (qEnvironmentVariableIsSet("ZELVO_NO_DIALOGS")) {
    std::fprintf(stderr, "[%s] %s (not answered)\n", qPrintable(title), qPrintable(text));
    return nullptr;
  }
  auto *box = new QMessageBox(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
  box->setObjectName(objectName);
  box->setAttribute(Qt::WA_DeleteOnClose);
  QList<QAbstractButton *> added;
  for (const QString &b : buttons) added << box->addButton(b, QMessageBox::AcceptRole);
  if (!added.isEmpty()) {
    box->setDefaultButton(qobject_cast<QPushButton *>(added.last()));
    box->setEscapeButton(added.last());
  }
  QObject::connect(box, &QMessageBox::finished, box, [box, added, answer](int) {
    const qsizetype at = added.indexOf(box->clickedButton());
    if (answer) answer(at >= 0 ? static_cast<int>(at) : static_cast<int>(added.size()) - 1);
  });
  box->open();
  return box;
}
void Dialogs::SetAnswerer(std::function<int(const DialogMessage &)> answerer) { g_answerer = std::move(answerer); }
void Dialogs::SetSink(std::function<void(const DialogMessage &)> sink) { g_sink = std::move(sink); }
void Dialogs::ClearSink() {
  g_sink = nullptr;
  g_answerer = nullptr;
}

}  // namespace zelvo
