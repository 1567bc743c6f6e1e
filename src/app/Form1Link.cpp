// The window's side of the instrument link: the service console and the lost link drawn.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/TZeLed.h"
#include "ui/Widgets.h"

void TForm1::ServiceButtonClick() { Session.ServiceCommand(LMDEdit1->text()); }

void TForm1::LMDMemo1Change() {
  QTextDocument *doc = LMDMemo1->document();
  while (doc->blockCount() > kServiceMemoLines) {
    QTextCursor cursor(doc);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();  // the first line with its line end
  }
}

// ---------------------------------------------------------------------------------------
// The lost link on the window

// The lamps that show the instrument's state go dark (the held bytes stay as they are), and
// lblLinkLost says since when.
void TForm1::ShowLinkLost(const QString &since) {
  LoopLampAtLoss = ledLoop->LedOn();
  for (int bank : {1, 2})
    for (zelvo::TZLed *led : ValveLamps(bank)) led->SetLedOn(false);
  for (zelvo::TZLed *led : {ledLoop, LedLoopTab1, ledPower}) led->SetLedOn(false);
  lblLinkLost->setText(zelvo::GetLangString(Session.ID, zelvo::kTextLinkLostSince).arg(since));
  lblLinkLost->setToolTip(lblLinkLost->text());
  lblLinkLost->show();
  lblLinkLost->raise();
}

// The first reply after every lost port is open again: the lamps show the held state once
// more; the displays fill with the replies that follow.
void TForm1::ShowLinkBack() {
  DispV1State();
  DispV2State();
  ledLoop->SetLedOn(LoopLampAtLoss);
  LedLoopTab1->SetLedOn(LoopLampAtLoss);
  ledPower->SetLedOn(true);
  lblLinkLost->hide();
}
