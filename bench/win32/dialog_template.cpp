#include "bench/win32/dialog_template.h"

#include <cstddef>
#include <cstring>

namespace {

template <typename Record>
void Append(std::vector<WORD>& words, const Record& record) {
  const auto* begin = reinterpret_cast<const WORD*>(&record);
  words.insert(words.end(), begin, begin + sizeof record / sizeof(WORD));
}

}  // namespace

DialogTemplate::DialogTemplate(DWORD style, short width, short height, std::wstring_view caption,
                               WORD points, std::wstring_view face) {
  Append(words_, DLGTEMPLATE{style | DS_SETFONT, 0, 0, 0, 0, width, height});
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  Text(caption);
  words_.push_back(points);
  Text(face);
}

void DialogTemplate::AddItem(DWORD style, short x, short y, short width, short height, WORD id,
                             WORD classAtom, std::wstring_view text) {
  Align();
  Append(words_, DLGITEMTEMPLATE{style | WS_CHILD | WS_VISIBLE, 0, x, y, width, height, id});
  words_.push_back(0xFFFF);
  words_.push_back(classAtom);
  Text(text);
  words_.push_back(0);  // no creation data
  // The dialog's count of controls.
  ++count_;
  std::memcpy(reinterpret_cast<char*>(words_.data()) + offsetof(DLGTEMPLATE, cdit), &count_,
              sizeof count_);
}

void DialogTemplate::Text(std::wstring_view text) {
  words_.insert(words_.end(), text.begin(), text.end());
  words_.push_back(0);
}

void DialogTemplate::Align() {
  // Each control's record starts on a four-byte boundary.
  if (words_.size() % 2 != 0) words_.push_back(0);
}
