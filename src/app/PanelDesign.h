#pragma once
// The control panel's design at scale 1.0, in pixels of its background picture, which is
// the panel's own size: where each control sits and which slice of the picture lies
// behind it.

#include <windows.h>

namespace panel_design {

constexpr int kWidth = 400;
constexpr int kHeight = 600;

// Close and minimise along the top edge, their left edges measured from the right.
constexpr double kCloseRightInset = 31.2;
constexpr double kMinimiseRightInset = 59.8;
constexpr int kWindowButtonWidth = 26;
constexpr int kWindowButtonHeight = 34;

// The version line lies exactly on its slice.
constexpr RECT kVersionSlice = {188, 16, 328, 31};

// Disable and Enable, centred across: Disable above the middle, Enable from it down.
constexpr int kSwitchButtonWidth = 246;
constexpr int kSwitchButtonHeight = 47;
constexpr int kDisableAboveMiddle = 60;
constexpr RECT kDisableSlice = {77, 240, 361, 287};
constexpr RECT kEnableSlice = {77, 300, 361, 347};

// More tools at the bottom left, its top measured from the bottom edge.
constexpr int kMoreToolsLeft = 50;
constexpr int kMoreToolsAboveBottom = 55;
constexpr int kMoreToolsWidth = 58;
constexpr int kMoreToolsHeight = 18;
constexpr RECT kMoreToolsSlice = {50, 545, 108, 563};

// The agreement row along the bottom: check box, agreement label, feedback link. The
// label and the link take their widths from their texts.
constexpr int kRowAboveBottom = 25;
constexpr int kRowHeight = 20;
constexpr int kCheckLeft = 8;
constexpr int kCheckBoxWidth = 16;  // scaled; the box also grows with the label
constexpr int kCheckGrowthPerLabelUnit = 2;
constexpr int kCheckPadding = 2;
constexpr int kLabelUnit = 14;         // the label is a whole number of these wide
constexpr int kRowGap = 6;             // after the check box, and right of the feedback link
constexpr int kLinkScaledPadding = 4;  // the link's width beyond its text
constexpr int kLinkPadding = 2;

}  // namespace panel_design
