#pragma once

#include <QFont>

namespace vorn::gui {

// The forms are laid out for "MS Sans Serif", the classic dialog font (8 points unless a
// control says otherwise). Where the system has no such font, the closest sans-serif of the
// same width stands in for it, so that every caption fits the place the layout gives it.
QFont ClassicFont(qreal points = 8.0, bool bold = false);

}  // namespace vorn::gui
