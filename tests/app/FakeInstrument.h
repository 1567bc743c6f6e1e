#pragma once
// An instrument played inside the test on a pseudo-terminal, answering on the event loop,
// so that a whole start-up runs on the test clock without real waiting.
#include <fcntl.h>
#include <unistd.h>

#include <QMap>
#include <QSocketNotifier>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "core/Clock.h"

#include "link/Protocol.h"
#include "link/PtyPair.h"

class FakeInstrument {
 public:
  // `id` answers the identification; an empty id leaves the converter silent.
  explicit FakeInstrument(QString id = QStringLiteral(":SN4-0001")) : Id(std::move(id)) {
    // Our own opener of the slave side keeps the master from reporting a hang-up while the
    // program has the port closed.
    slaveKeep = ::open(pty.slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    notifier = std::make_unique<QSocketNotifier>(pty.master, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
  }
  ~FakeInstrument() {
    notifier.reset();
    if (slaveKeep >= 0) ::close(slaveKeep);
  }

  QString Path() const { return pty.slavePath; }

  QString Id;
  bool Silent = false;               // answers nothing at all
  int Air = 700, H2 = 600, Carrier = 1000;  // set points read back by "<BC", "<WC", "<CC"
  QString FaReply = QStringLiteral(":FA00");
  QString BcReply;  // when set, the answer to "<BC" instead of the air set point
  QMap<QString, QString> Replies;    // fixed answers to whole command lines ("<PG" -> ":PGFC")
  QStringList Unanswered;            // commands (their code, "SS") left without an answer
  std::vector<double> At;            // the steady time each command line arrived
  QByteArray Raw;                    // every byte the program wrote
  QStringList Lines;                 // the command lines, without CR and LF

 private:
  void OnReadable() {
    const QByteArray bytes = pty.Read(0);
    if (bytes.isEmpty()) return;
    Raw += bytes;
    for (char c : bytes) {
      if (c == '\n') continue;
      if (c != '\r') {
        partial += c;
        continue;
      }
      if (partial.isEmpty()) continue;
      const QString line = QString::fromLatin1(partial);
      partial.clear();
      Lines << line;
      At.push_back(zelvo::Clock::Steady());
      const QString reply = Answer(line);
      if (!Silent && !reply.isEmpty()) pty.Write((reply + "\r\n").toLatin1());
    }
  }

  QString Answer(const QString &line) const {
    using namespace zelvo::proto;
    if (Replies.contains(line)) return Replies.value(line);
    for (const QString &code : Unanswered)
      if (line.mid(1).startsWith(code)) return {};
    if (line == "<SN") return Id;
    if (line == "<FA") return FaReply;
    if (line == "<BC" && !BcReply.isEmpty()) return BcReply;
    if (line == "<BC") return QStringLiteral(":BC%1").arg(Air, 4, 16, QChar('0')).toUpper();
    if (line == "<WC") return QStringLiteral(":WC%1").arg(H2, 4, 16, QChar('0')).toUpper();
    if (line == "<CC") return QStringLiteral(":CC%1").arg(Carrier, 4, 16, QChar('0')).toUpper();
    const auto cmd = ParseCommand(line);
    if (cmd && Info(cmd->cmd).path == Path::Wait) return FormAcknowledge(cmd->cmd);
    return {};
  }

  PtyPair pty;
  int slaveKeep = -1;
  std::unique_ptr<QSocketNotifier> notifier;
  QByteArray partial;
};
