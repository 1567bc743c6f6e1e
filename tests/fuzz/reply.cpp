// Reply recognition. The input is one received line (Windows-1252, as the line cutter decodes
// it). Its classification and decoding must agree with each other, a decoded status reply
// must read back the same when the instrument's side forms it again, and what the reply step
// derives from it (status text, lamp and heating bytes, set point read-back) must never fail.
// The same line read as a command (the simulator's side) must form back into itself.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "core/Cp1252.h"
#include "core/Language.h"
#include "link/Dispatch.h"
#include "link/Protocol.h"
#include "link/StatusReplies.h"

namespace {

using namespace zelvo;
using proto::Reply;

bool CarriesValue(Reply kind) {
  switch (kind) {
    case Reply::Unrecognised:
    case Reply::ValveBank1:
    case Reply::ValveBank2:
    case Reply::StartRequest:
    case Reply::FlowRefresh:
      return false;
    default:
      return true;
  }
}

void CheckReply(const QString &line) {
  const QChar key = ReplyKey(line);
  const proto::ParsedReply r = proto::ParseReply(line);
  if (key.isNull()) FUZZ_CHECK(r.kind == Reply::Unrecognised);
  if (r.kind == Reply::Unrecognised) FUZZ_CHECK(!r.value && !r.malformed);
  if (!CarriesValue(r.kind)) {
    FUZZ_CHECK(!r.value && !r.malformed);
  } else {
    FUZZ_CHECK(r.malformed == !r.value.has_value());
  }
  if (r.value) {
    const proto::ParsedReply again = proto::ParseReply(proto::FormReply(r.kind, *r.value));
    FUZZ_CHECK(again.kind == r.kind && again.value == r.value);
  }
  for (const int offset : {kGermanOffset, kEnglishOffset}) {
    const QString text = StatusText(r, offset);
    if (!r.value) FUZZ_CHECK(text.isEmpty());
  }
  if (r.value && (r.kind == Reply::InstrumentState || r.kind == Reply::HeatingPort)) {
    FUZZ_CHECK(*r.value >= 0 && *r.value <= 0xFF);
    const auto byte = static_cast<std::uint8_t>(*r.value);
    if (const auto lamp = FollowInstrumentState(0, byte, kLampByteAtStart))
      FUZZ_CHECK(proto::ParseCommand(QStringView(lamp->command).chopped(1)).has_value());
    if (const auto port = FollowHeatingPort(kHeatingPortAtStart, byte))
      FUZZ_CHECK(proto::ParseCommand(QStringView(port->command).chopped(1)).has_value());
  }
  const SetPointReadBack readBack = ReadBackSetPoint(line, 700);
  FUZZ_CHECK(readBack.resend || readBack.value == 700);
  (void)proto::HasI2cPort(line);
  (void)proto::SerialNumberText(line);
  (void)proto::IsFlowSensorFitted(line);
}

void CheckCommand(const QString &line) {
  const auto command = proto::ParseCommand(line);
  if (!command) return;
  const proto::CommandInfo &info = proto::Info(command->cmd);
  QString formed;
  switch (info.arg) {
    case proto::Arg::None:
    case proto::Arg::Hex4:
    case proto::Arg::Hex2:
      formed = proto::Form(command->cmd, command->value);
      break;
    case proto::Arg::Text:
      formed = proto::Form(command->cmd, command->text);
      break;
    case proto::Arg::Tenths:
    case proto::Arg::Hundredths:
      return;  // the raw value is a multiple of the degrees only when the sender formed it
  }
  // The digits may come in either case; the program forms them in upper case.
  FUZZ_CHECK(formed.chopped(1).compare(line, Qt::CaseInsensitive) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QString line =
      Cp1252Decode(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
  CheckReply(line);
  CheckCommand(line);
  return 0;
}
