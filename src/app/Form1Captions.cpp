// Captions of the window's controls in the chosen language.
#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/CaptionWalk.h"

void TForm1::SetLangCaptions(int offset) {
  zelvo::CaptionWalk(this, [offset](int id) { return zelvo::GetLangString(offset, id); });
  ShowChartCaptions(offset);
  ShowPermeationCaptions(offset);
}
