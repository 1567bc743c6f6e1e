#pragma once
// The general-purpose integer every control carries (its caption's text number, or a small
// state such as the monitoring switch or the poll cursor). Stored as the dynamic property
// "Tag"; a control without it reads as 0.
#include <QObject>
#include <QVariant>

namespace zelvo {

inline int TagOf(const QObject *o) { return o ? o->property("Tag").toInt() : 0; }
inline void SetTag(QObject *o, int tag) { o->setProperty("Tag", tag); }

}  // namespace zelvo
