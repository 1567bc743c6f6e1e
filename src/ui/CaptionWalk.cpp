#include "ui/CaptionWalk.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "ui/TZeLed.h"
#include "ui/Tag.h"
#include "ui/Widgets.h"

namespace zelvo {

namespace {

void Caption(QObject *c, const TextById &text) {
  const int tag = TagOf(c);
  if (tag == 0) return;
  if (auto *v = qobject_cast<TValueListEditor *>(c)) {
    v->SetColTitle(0, text(tag));
    v->SetColTitle(1, text(tag + 1));
  }
  if (auto *t = qobject_cast<TTabSheet *>(c)) t->SetCaption(text(tag));
  if (auto *l = qobject_cast<TLabel *>(c))
    l->setText(text(tag));  // sizes itself to the caption
  else if (auto *ql = qobject_cast<QLabel *>(c))
    ql->setText(text(tag));
  if (auto *r = qobject_cast<TRadioGroup *>(c)) {
    r->setTitle(text(tag));
    r->SetItemText(0, text(9));
    r->SetItemText(1, text(10));
  }
  if (auto *g = qobject_cast<QGroupBox *>(c); g && !qobject_cast<TRadioGroup *>(c)) g->setTitle(text(tag));
  if (auto *b = qobject_cast<QCheckBox *>(c)) b->setText(text(tag));
  if (auto *b = qobject_cast<QPushButton *>(c); b && !qobject_cast<TSpeedButton *>(c)) b->setText(text(tag));
  if (auto *s = qobject_cast<TSpeedButton *>(c)) s->setText(text(tag));
  if (auto *m = qobject_cast<TLabeledMemo *>(c)) m->EditLabel()->setText(text(tag));
  if (auto *led = qobject_cast<TZLed *>(c)) led->SetCaption(text(tag));
}

void Walk(QObject *o, const TextById &text) {
  // A copy: a caption may create or re-order nothing, but stay safe against it.
  const QObjectList children = o->children();
  for (QObject *c : children) {
    Caption(c, text);
    Walk(c, text);
  }
}

}  // namespace

void CaptionWalk(QObject *root, const TextById &text) {
  if (root) Walk(root, text);
}

}  // namespace zelvo
