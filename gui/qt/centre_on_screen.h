#pragma once

class QWidget;

namespace vorn::gui {

// Moves the top-level `window`, frame included, to the centre of its screen (the whole
// screen, as the forms' start-up position asks, not only the part a task bar leaves free).
void CentreOnScreen(QWidget& window);

}  // namespace vorn::gui
