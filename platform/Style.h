// The widgets' look: the toolkit's own style, with the parts that cost most
// at every refresh kept ready instead of drawn anew.
#pragma once

class QStyle;

namespace vx {

// The application's style from now on: the current one, of which a line
// edit's panel (its anti-aliased frame and field) and a scroll bar are drawn
// once per size, state, palette (and position) and copied after that. A
// value box that shows a new value five times a second otherwise draws its
// whole frame each time, a terminal's scroll bar its gradients. Idempotent.
void InstallAppStyle();
// The style InstallAppStyle wraps around base (for tests).
QStyle* MakeAppStyle(QStyle* base);

} // namespace vx
