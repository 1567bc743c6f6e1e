#pragma once
// The captioning walk: every control under a window that carries a Tag gets its caption
// from the string table by that number. No list of names is needed: the walk visits the
// window's controls in creation order (depth first) and decides by the kind of control.
#include <QString>
#include <functional>

class QObject;

namespace zelvo {

// Text by number in the chosen language (GetLangString with the language offset).
using TextById = std::function<QString(int id)>;

// Rules, in this order, for a control whose Tag n is not 0 (text(k) is the text k):
//  1 name/value list: column titles text(n), text(n+1)   6 check box: text(n)
//  2 tab page: its tab's text(n)                          7 push button: text(n)
//  3 label: text(n)                                       8 toggle button: text(n)
//  4 radio group: caption text(n), items text(9), text(10) 9 labeled memo: its label text(n)
//  5 group box: caption text(n)                          10 LED: caption text(n)
// Other kinds (tab area, edits, labeled edits, the check list) are left alone.
void CaptionWalk(QObject *root, const TextById &text);

}  // namespace zelvo
