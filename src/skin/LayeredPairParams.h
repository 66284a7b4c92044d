#pragma once
// What makes one skinned window pair differ from another: its templates, pictures, size,
// the inset of the inner window, its drag strip and how it keeps the two windows together.

#include <windows.h>

#include "resource.h"

// Pixel distances at scale 1.0 from the outer window's edges to the inner window's.
struct PairMargins {
    int left;
    int top;
    int right;
    int bottom;
};

// How the inner window paints its background picture.
enum class InnerErase {
    Direct,              // straight onto the erase context
    ThroughMemoryBitmap  // into a compatible bitmap first, then one BitBlt
};

struct LayeredPairParams {
    // A pair that cannot be dragged has no caption strip.
    static constexpr int kNotDraggable = -1;
    // Height at scale 1.0 of the strip along the inner window's top that drags the pair.
    static constexpr int kCaptionHeight = 30;

    UINT outerTemplateId;
    UINT innerTemplateId;
    WORD outerImageId;
    WORD innerImageId;
    SIZE designSize;  // the outer window at scale 1.0; its picture is stretched to it
    PairMargins margins;
    // Width at scale 1.0 cut off the caption strip's right end (the close buttons sit
    // there), or kNotDraggable.
    int captionCutOff;
    // Whether moving the outer window brings the inner one along until the first drag.
    bool moveInner;
    InnerErase erase;

    bool Draggable() const { return captionCutOff != kNotDraggable; }
};

// The tool's four pairs.
// clang-format off
inline constexpr LayeredPairParams kMainPair = {IDD_MAIN_WINDOW, IDD_CONTROL_PANEL,
    IDB_MAIN_FRAME, IDB_PANEL, {410, 611}, {5, 4, 5, 7}, 86, false, InnerErase::Direct};
inline constexpr LayeredPairParams kFeedbackPair = {IDD_FEEDBACK_OUTER, IDD_FEEDBACK_INNER,
    IDB_FEEDBACK_FRAME, IDB_FEEDBACK, {410, 479}, {5, 4, 5, 7}, 26, true, InnerErase::Direct};
inline constexpr LayeredPairParams kPromptPair = {IDD_PROMPT_OUTER, IDD_PROMPT_INNER,
    IDB_PROMPT_FRAME, IDB_PROMPT, {336, 156}, {5, 3, 5, 7}, 26, true, InnerErase::Direct};
inline constexpr LayeredPairParams kProgressPair = {IDD_PROGRESS_OUTER, IDD_PROGRESS_INNER,
    IDB_PROGRESS_FRAME, IDB_PROGRESS, {232, 132}, {14, 12, 14, 16},
    LayeredPairParams::kNotDraggable, true, InnerErase::ThroughMemoryBitmap};
// clang-format on
