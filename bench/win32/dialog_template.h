#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

// An in-memory dialog template for the start-up references: the dialog (style, size in dialog
// units, caption, font) and its controls, each of a system class given by its atom.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, short width, short height, std::wstring_view caption, WORD points,
                 std::wstring_view face);

  void AddItem(DWORD style, short x, short y, short width, short height, WORD id, WORD classAtom,
               std::wstring_view text);

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  void Text(std::wstring_view text);
  void Align();

  std::vector<WORD> words_;
  WORD count_ = 0;
};
