// The tick's instrument traffic: one queued command out, one poll examined, one reply
// applied to the status display, the run time sent to the instrument display.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/Zelvo730_Main.h"
#include "core/Clock.h"
#include "core/Language.h"
#include "core/Utils.h"
#include "link/Protocol.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

using namespace zelvo;

void TForm1::SendStep() {
  if (CommandQueue.empty()) return;
  MaxCmdStack = std::max(MaxCmdStack, static_cast<int>(CommandQueue.size()));
  const QString line = CommandQueue.front();
  CommandQueue.pop_front();
  SendLine(ComPort1, line);
}

void TForm1::PollListStep() {
  int cursor = Timer1->property("Tag").toInt();
  const QString cmd = PollStep(PollList, cursor, Clock::Steady());
  Timer1->setProperty("Tag", cursor);
  if (!cmd.isEmpty()) FifoPutString(cmd);
}

void TForm1::RunTimeStep() {
  if (!UpdateTime) return;
  FifoPutString(proto::Form(proto::Cmd::X0, lblRuntime ? lblRuntime->text() : QString()));
  UpdateTime = false;
}

void TForm1::ReplyStep() {
  const QString s = TakeReply(true);
  const QChar key = ReplyKey(s);
  if (key.isNull()) return;
  if (!ApplyReply(key, s) && DebugLevel > 0) DiagLog.Send(TimeText(Clock::Now()) + QStringLiteral(" malformed reply ignored: ") + s);
}

// Acts on one recognised reply. Returns false when its data characters are missing or not
// valid digits; nothing is changed then.
bool TForm1::ApplyReply(QChar key, const QString &s) {
  const QChar s3 = s.size() >= 3 ? s.at(2) : QChar();
  const QChar s4 = s.size() >= 4 ? s.at(3) : QChar();
  const auto h47 = proto::HexField(s, 4, 7);
  const auto h45 = proto::HexField(s, 4, 5);
  auto showPressure = [&](QLineEdit *edit) {
    if (s3 != 'G' || !edit || edit->hasFocus()) return true;
    if (!h47) return false;
    edit->setText(QString::number(*h47));
    return true;
  };
  auto T = [&](int n) { return GetLangString(ID, n); };
  // A whole number, a space and its unit text.
  auto showNumber = [&](TLabel *label, int unitText) {
    if (!h47) return false;
    if (label) label->setText(QString::number(*h47) + ' ' + T(unitText));
    return true;
  };
  switch (key.toLatin1()) {
    case 'A': {
      const auto status = proto::StatusField(s);
      if (!status) return false;
      intAD1Status = *status;
      return true;
    }
    case 'B': return showPressure(edAir);
    case 'C': return showPressure(edCarrier);
    case 'W': return showPressure(edH2);
    case 'D': {
      if (s3 != 'G') return true;
      if (!h45) return false;
      const std::uint8_t b = static_cast<unsigned char>(*h45);
      if (b == InstrumentStateByte) return true;
      InstrumentStateByte = b;
      const bool loopOn = TestBit(b, 0);
      if (ledLoop) ledLoop->SetLedOn(loopOn);
      if (loopOn)
        ClearBit(LampByte, 3);
      else
        SetBit(LampByte, 3);
      FifoPutString(proto::Form(proto::Cmd::LS, LampByte));
      return true;
    }
    case 'E':
    case 'T': {
      if (key == 'E' && s3 != 'G') return true;
      if (!h47) return false;
      TLabel *label = key == 'E' ? lblEmmision : lblTransfer;
      // Hundredths of a degree, shown as whole degrees truncated toward zero.
      if (label) label->setText(QString::number(proto::Signed16(*h47) / 100) + ' ' + T(18));
      return true;
    }
    case 'F': {
      if (s3 == 'G') {
        if (!h47) return false;
        if (lblFlowVal) lblFlowVal->setText(QString::number(*h47));
      }
      if (lblFlowValTab1 && lblFlowVal) lblFlowValTab1->setText(lblFlowVal->text());
      return true;
    }
    case 'H': return showNumber(lblHVoltage, 25);
    case 'L':
      if (!h45) return false;
      LampByte = static_cast<unsigned char>(*h45);
      return true;
    case 'P': {
      if (!h45) return false;
      const std::uint8_t b = static_cast<unsigned char>(*h45);
      if (b != HeatingStateByte) HeatingSequence(b);
      return true;
    }
    case 'Q': btnStartClick(); return true;
    case 'S':
      if (!h47) return false;
      if (lblMesskammer) lblMesskammer->setText(TenthsText(*h47) + T(18));
      return true;
    case 'V':
      if (s3 == 'G') {
        if (!h47) return false;
        if (lblVentilblock) lblVentilblock->setText(TenthsText(*h47) + T(18));
      } else if (s3 == '1' && s4 == 'G') {
        DispV1State();
      } else if (s3 == '2' && s4 == 'G') {
        DispV2State();
      }
      return true;
    case 'X': return showNumber(lblFPDAir, 123);
    case 'Y': return showNumber(lblFPDH2, 122);
    default: return true;
  }
}

// The instrument reported a new heating port byte: follow it with the two heating toggles
// and write the port back with bits 5 and 4 mirroring bits 0 and 1.
void TForm1::HeatingSequence(std::uint8_t b) {
  HeatingStateByte = b;
  std::uint8_t o = b;
  const bool chamberOn = !TestBit(b, 0);
  btnMesskammerAn->setChecked(chamberOn);
  btnMesskammerAnClick();
  if (chamberOn)
    ClearBit(o, 5);
  else
    SetBit(o, 5);
  const bool valvesOn = !TestBit(b, 1);
  btnVentilblockAn->setChecked(valvesOn);
  btnVentilblockAnClick();
  if (valvesOn)
    ClearBit(o, 4);
  else
    SetBit(o, 4);
  o |= 0x0F;
  FifoPutString(proto::Form(proto::Cmd::PS, o));
}
