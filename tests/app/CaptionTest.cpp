// The captioning walk on the real window in both languages: the captions the Tags select,
// the captions that stay as designed, and that no caption is clipped or covered.
// With ZELVO_SCREENSHOT_DIR set, also saves a picture of every tab in both languages.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>

#include "WindowTestSupport.h"
#include "app/Zelvo730_Main.h"
#include "core/Language.h"
#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

using namespace zelvo;

namespace {

QString S(int offset, int id) { return GetLangString(offset, id); }

// Width a caption needs in a control's font (the longest line of a multi-line caption).
int TextWidth(const QWidget *w, const QString &text) {
  const QFontMetrics fm(w->font());
  int width = 0;
  for (const QString &line : QString(text).remove(QLatin1Char('\r')).split(QLatin1Char('\n')))
    width = qMax(width, fm.horizontalAdvance(line));
  return width;
}

// Every caption that does not fit into its control, or is covered by a later sibling
// (which is drawn over it).
QStringList ClippedCaptions(TForm1 &form) {
  QStringList bad;
  auto visible = [](const QWidget *w) { return !w->isHidden(); };
  for (QWidget *w : form.findChildren<QWidget *>()) {
    if (!visible(w)) continue;
    const QString name =
        w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
    QRect textRect;  // in parent coordinates, where the caption is drawn
    if (auto *l = qobject_cast<QLabel *>(w)) {
      if (l->text().isEmpty()) continue;
      if (TextWidth(l, l->text()) > l->width()) bad << name + " (too narrow)";
      const int align = l->alignment() & Qt::AlignHorizontal_Mask;
      const int tw = TextWidth(l, l->text());
      const int left = align & Qt::AlignRight ? l->width() - tw : 0;
      textRect = QRect(l->x() + left, l->y(), tw, l->height());
    } else if (auto *tb = qobject_cast<TButton *>(w); tb && tb->WordWrap()) {
      const QRect r = tb->CaptionRect();
      const QRect need =
          QFontMetrics(tb->font())
              .boundingRect(r, Qt::AlignCenter | Qt::TextWordWrap, TButton::DrawnText(tb->text()));
      if (need.width() > r.width() || need.height() > r.height()) bad << name + " (button text)";
    } else if (auto *b = qobject_cast<QPushButton *>(w)) {
      QStyleOptionButton opt;
      opt.initFrom(b);
      const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
      if (TextWidth(b, b->text()) > contents.width()) bad << name + " (button text)";
    } else if (qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w)) {
      if (w->sizeHint().width() > w->width()) bad << name + " (box text)";
      textRect = w->geometry();
    } else if (auto *led = qobject_cast<TZLed *>(w)) {
      if (TextWidth(led, led->Caption()) > led->contentsRect().width()) bad << name + " (LED caption)";
    } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
      if (TextWidth(g, g->title()) + 12 > g->width()) bad << name + " (group title)";
    } else {
      continue;
    }
    if (textRect.isNull() || !w->parentWidget()) continue;
    // Covered by a sibling created after it?
    const QObjectList sibs = w->parentWidget()->children();
    for (qsizetype i = sibs.indexOf(w) + 1; i < sibs.size(); ++i) {
      auto *s = qobject_cast<QWidget *>(sibs[i]);
      if (s && visible(s) && s->geometry().intersects(textRect.adjusted(0, 2, 0, -2)))
        bad << name + " (covered by " + s->objectName() + ")";
    }
  }
  // Tab captions are never elided.
  const QTabBar *bar = Child<QTabWidget>(form, "PageControl")->tabBar();
  for (int i = 0; i < bar->count(); ++i)
    if (TextWidth(bar, bar->tabText(i)) > bar->tabRect(i).width()) bad << "tab " + bar->tabText(i);
  return bad;
}

void SaveScreens(TForm1 &form, const QString &language) {
  const QString dir = qEnvironmentVariable("ZELVO_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  const char *pages[] = {"tabStatus", "tabSettings", "tabFaktoren", "tabSampleInfo"};
  for (int i = 0; i < 4; ++i) {
    Child<QTabWidget>(form, "PageControl")->setCurrentIndex(i);
    QCoreApplication::processEvents();
    const QString file = QStringLiteral("%1/%2_%3.png").arg(dir, QLatin1String(pages[i]), language);
    EXPECT_TRUE(form.grab().save(file)) << qPrintable(file);
  }
  Child<QTabWidget>(form, "PageControl")->setCurrentWidget(Child<TTabSheet>(form, "tabSettings"));
}

}  // namespace

// The window started in the language of the parameter (no instrument: the start-up ends after
// the captions).
class Caption : public WithRecordedMessages, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    WithRecordedMessages::SetUp();
    StartWithoutInstrument(form, dir.path(), GetParam());
  }
  QTemporaryDir dir;
  TForm1 form;
};

TEST_P(Caption, TagsSelectTheTextsAndDesignCaptionsStay) {
  const int id = GetParam();

  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->tabText(0), S(id, 6));
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->tabText(1), S(id, 12));
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->tabText(2), S(id, 95));
  EXPECT_EQ(Child<QTabWidget>(form, "PageControl")->tabText(3), S(id, 96));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->ColTitle(0), S(id, 115));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor1")->ColTitle(1), S(id, 116));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->ColTitle(0), S(id, 117));
  EXPECT_EQ(Child<TValueListEditor>(form, "ValueListEditor2")->ColTitle(1), S(id, 118));
  EXPECT_EQ(Child<TRadioGroup>(form, "rgStandard")->title(), S(id, 11));
  EXPECT_EQ(Child<TRadioGroup>(form, "rgStandard")->Items(), QStringList({S(id, 9), S(id, 10)}));
  EXPECT_EQ(Child<TLabel>(form, "lblRunToBreak2")->text(), S(id, 39));
  EXPECT_EQ(Child<QGroupBox>(form, "groupStatus")->title(), S(id, 40));
  EXPECT_EQ(Child<QCheckBox>(form, "chkboxSulfurCalib")->text(), S(id, 44));
  EXPECT_EQ(Child<QPushButton>(form, "btnStart")->text(), S(id, 29));
  EXPECT_EQ(Child<QPushButton>(form, "btnMonitor")->text(), S(id, 55));
  EXPECT_EQ(Child<TSpeedButton>(form, "btnFPDAirAN")->text(), S(id, 23));
  EXPECT_EQ(Child<QPushButton>(form, "btnHVoltageSet")->text(), S(id, 22));
  EXPECT_EQ(Child<TLabeledMemo>(form, "memoDescription")->EditLabel()->text(), S(id, 51));
  EXPECT_EQ(Child<TZLed>(form, "ledSmpOff3")->Caption(), S(id, 26));
  EXPECT_EQ(Child<TZLed>(form, "LedLoopTab1")->Caption(), S(id, 38));
  // A status display: the start-up shows its placeholder before the caption.
  EXPECT_EQ(Child<TLabel>(form, "lblFPDH2")->text(), QStringLiteral("---- ") + S(id, 122));

  // Tag 0 and the kinds the walk leaves alone keep their design captions.
  EXPECT_EQ(Child<QPushButton>(form, "ServiceButton")->text(), QStringLiteral("Service"));
  EXPECT_EQ(Child<QPushButton>(form, "btnLaden")->text(), QStringLiteral("btnLaden"));
  EXPECT_EQ(Child<TCheckListBox>(form, "clBoxConnection")->EditLabel()->text(), QStringLiteral("COM Ports"));
  EXPECT_EQ(Child<TZLed>(form, "ledV1_0")->Caption(), QStringLiteral("V11"));
  EXPECT_EQ(Child<TZLed>(form, "ledV2_1")->Caption(), QStringLiteral("V2"));
  EXPECT_EQ(Child<QCheckBox>(form, "cbAutoflow2")->text(), QStringLiteral("Autoflow"));
  EXPECT_EQ(Child<TLabel>(form, "lblFlowDim")->text(), QStringLiteral("ml/min"));
  EXPECT_EQ(Child<TLabel>(form, "lblStartrun")->text(), QString());
}

TEST_P(Caption, NoCaptionIsClippedOrCovered) {
  const int id = GetParam();
  // Texts the start-up puts into labels that have no Tag, at their longest.
  Child<TLabel>(form, "lblStartrun")->setText(S(id, 94) + QStringLiteral(" 23:59"));
  Child<TLabel>(form, "lblVentilblock")->setText(QStringLiteral("--- ") + S(id, 18));
  Child<TLabel>(form, "lblMesskammer")->setText(QStringLiteral("--- ") + S(id, 18));
  Child<TLabel>(form, "lblEmmision")->setText(QStringLiteral("--- ") + S(id, 18));
  Child<TLabel>(form, "lblTransfer")->setText(QStringLiteral("--- ") + S(id, 18));
  Child<TLabel>(form, "lblHVoltage")->setText(QStringLiteral("---- ") + S(id, 25));
  Child<TLabel>(form, "lblLocalChar")
      ->setText(LocalCharCaption(id == 0 ? QLatin1Char(',') : QLatin1Char('.')));
  form.show();
  QCoreApplication::processEvents();
  const QStringList bad = ClippedCaptions(form);
  EXPECT_TRUE(bad.isEmpty()) << qPrintable(bad.join(QStringLiteral("\n")));
  SaveScreens(form, id == 0 ? QStringLiteral("de") : QStringLiteral("en"));
}

std::string LanguageName(const ::testing::TestParamInfo<int> &param) {
  return param.param == 0 ? "German" : "English";
}

INSTANTIATE_TEST_SUITE_P(Languages, Caption, ::testing::Values(0, 1000), LanguageName);
