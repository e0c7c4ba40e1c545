#include "common/forms/form_layout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vorn::forms {

int TwipsToPixels(int twips, int dpi) {
  const long scaled = static_cast<long>(twips) * dpi;
  // Rounded half away from zero, in whole numbers, so every platform agrees.
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

const ControlLayout* FindControl(const FormLayout& form, ControlId control) {
  const int row = control.Row();
  if (row < 0 || static_cast<std::size_t>(row) >= form.Controls.size()) return nullptr;
  const ControlLayout& found = form.Controls[static_cast<std::size_t>(row)];
  return found.Id == control ? &found : nullptr;
}

const ControlLayout& GetControl(const FormLayout& form, ControlId control) {
  if (const ControlLayout* found = FindControl(form, control)) return *found;
  throw std::invalid_argument("No control " + std::to_string(control.Row()) + " on " + form.Name);
}

Rect ClientTwips(const FormLayout& form, const ControlLayout& control) {
  Rect rect{control.Left, control.Top, control.Width, control.Height};
  if (!control.Container.IsNone()) {
    if (const ControlLayout* frame = FindControl(form, control.Container)) {
      const Rect outer = ClientTwips(form, *frame);
      rect.Left += outer.Left;
      rect.Top += outer.Top;
    }
  }
  return rect;
}

Rect ClientPixels(const FormLayout& form, const ControlLayout& control, int dpi) {
  const Rect twips = ClientTwips(form, control);
  const int left = TwipsToPixels(twips.Left, dpi);
  const int top = TwipsToPixels(twips.Top, dpi);
  return {left, top, TwipsToPixels(twips.Left + twips.Width, dpi) - left,
          TwipsToPixels(twips.Top + twips.Height, dpi) - top};
}

bool TakesFocus(const ControlLayout& control) {
  return control.Kind != ControlKind::kLabel && control.Kind != ControlKind::kFrame;
}

std::vector<const ControlLayout*> FocusOrder(const FormLayout& form) {
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& control : form.Controls)
    if (TakesFocus(control)) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(), [](const ControlLayout* a, const ControlLayout* b) {
    return a->TabIndex < b->TabIndex;
  });
  return order;
}

}  // namespace vorn::forms
