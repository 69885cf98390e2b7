// The widgets' look: the toolkit's own style, with the one part that costs
// most at every refresh kept ready instead of drawn anew.
#pragma once

class QStyle;

namespace vx {

// The application's style from now on: the current one, of which a line
// edit's panel (its anti-aliased frame and field) is drawn once per size,
// state and palette and copied after that. A value box that shows a new
// value five times a second otherwise draws its whole frame each time.
// Idempotent.
void InstallAppStyle();
// The style InstallAppStyle wraps around base (for tests).
QStyle* MakeAppStyle(QStyle* base);

} // namespace vx
