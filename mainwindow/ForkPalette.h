#pragma once

#include <QPalette>

// The colours of the tuning-fork window: every role, for every state, so that nothing on
// the fork's face comes from the desktop's theme. Under a dark theme the labels on the
// grey face would otherwise turn light, the speed boxes dark. A light scheme, as the
// skin was drawn for. Dialogs keep following the desktop's theme.
namespace ForkPalette {

QPalette make();

} // namespace ForkPalette
