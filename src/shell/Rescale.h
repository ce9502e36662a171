#pragma once

#include <QList>
#include <QRect>
#include <functional>

class QWidget;

namespace vellora {

// a * b / c rounded to the nearest integer (halves away from zero).
int mulDiv(int a, int b, int c);

// Font size of the status controls for a client height: 2% of it, rounded to
// the nearest integer with halves to the even neighbour, never below 5.
int StatusFontSize(int clientHeight);

// Scales a control's edges from the old client size to the new one.
QRect scaleRect(const QRect& r, int oldWidth, int oldHeight, int newWidth, int newHeight);

// Marks a widget whose children are controls in their own right, each to be
// scaled by itself (plain panels and group boxes are such holders already).
void setHoldsControls(QWidget* w);

// The controls under `root` that a proportional rescale moves, parents before
// their children. A control that lays out its own insides (a spin button, a
// list, a combo box) is scaled as one: its insides follow its own size, and
// scaling them too would scale them twice. Controls for which `skip` answers
// true are left out with everything inside them.
QList<QWidget*> scaledControls(QWidget* root, const std::function<bool(const QWidget*)>& skip = {});

}  // namespace vellora
