#include "measure/Calipers.h"

#include <algorithm>
#include <utility>

namespace corvale {

HitKind HitTest(const Measurement& m, int x, int y) {
  if (m.X1 - 2 < x && x < m.X1 + 2) return HitLeftMark;
  if (m.X2 - 2 < x && x < m.X2 + 2) return HitRightMark;
  if (m.X1 + 2 <= x && x <= m.X2 - 2 && m.Y2 - 2 < y && y < m.Y2 + 2) return HitBar;
  return HitNone;
}

Picture HoverPass(MeasurementList& list, CaliperState& state, int x, int y) {
  Picture picture;
  picture.kind = Picture::Hover;
  picture.x = x;
  picture.y = y;
  picture.colours.fill(Colors::Blue);
  state.HoverKind = HitNone;
  if (list.MeasurementCount <= 0) return picture;
  if (state.DragActive && state.SelectedMeasurement >= 0 && state.SelectedMeasurement < MeasurementSlots) {
    Measurement& m = list.items[static_cast<std::size_t>(state.SelectedMeasurement)];
    switch (state.DragKind) {
      case HitLeftMark:
        m.X1 = x;
        m.Y2 = y;
        break;
      case HitRightMark:
        m.X2 = x;
        m.Y2 = y;
        break;
      case HitBar:
        m.X1 = x + state.GrabOffset1;
        m.X2 = x + state.GrabOffset2;
        m.Y2 = y;
        break;
      case HitNone: break;
    }
    m.Value = CaliperValue(m.X1, m.X2);
    if (m.X1 > m.X2) {
      std::swap(m.X1, m.X2);
      // The grabbed mark goes on following the pointer under its new name.
      if (state.DragKind == HitLeftMark) state.DragKind = HitRightMark;
      else if (state.DragKind == HitRightMark) state.DragKind = HitLeftMark;
    }
  }
  for (int i = 0; i < list.MeasurementCount; ++i) {
    const Measurement& m = list.items[static_cast<std::size_t>(i)];
    Color& colour = picture.colours[static_cast<std::size_t>(i)];
    if (!state.DragActive) {
      const HitKind kind = HitTest(m, x, y);
      if (kind != HitNone) {
        colour = Colors::Magenta;
        state.SelectedMeasurement = i;
        state.HoverKind = kind;
        state.GrabOffset1 = m.X1 - x;
        state.GrabOffset2 = m.X2 - x;
      }
    } else if (i == state.SelectedMeasurement) {
      colour = Colors::Red;
    }
  }
  return picture;
}

Picture TrackPointer(MeasurementList& list, CaliperState& state, int x, int y) {
  if (!state.CaliperMode) return HoverPass(list, state, x, y);
  Picture picture;
  picture.kind = Picture::RubberBand;
  picture.x = x;
  picture.y = y;
  if (state.AnchorPending) picture.anchor = list.items[static_cast<std::size_t>(list.MeasurementCount)].X1;
  return picture;
}

namespace {

// A full list ends caliper mode: no twentieth measurement can be started.
void StopWhenFull(const MeasurementList& list, CaliperState& state) {
  if (list.MeasurementCount > MaxMeasurements - 1) {
    state.CaliperMode = false;
    state.AnchorPending = false;
  }
}

Picture ComposePicture() {
  Picture picture;
  picture.kind = Picture::Compose;
  return picture;
}

}  // namespace

Picture PointerMoved(MeasurementList& list, CaliperState& state, int x, int y) {
  StopWhenFull(list, state);
  return TrackPointer(list, state, x, y);
}

Picture PointerPressed(MeasurementList& list, CaliperState& state, MouseButton button, bool shiftOrAlt, int x, int y) {
  if (shiftOrAlt) {
    // Remove the measurement last hovered; past the end, the last one goes.
    for (int i = std::max(state.SelectedMeasurement, 0); i < list.MeasurementCount; ++i)
      list.items[static_cast<std::size_t>(i)] = list.items[static_cast<std::size_t>(i) + 1];
    list.MeasurementCount = std::max(list.MeasurementCount - 1, 0);
  } else {
    if (button == MouseButton::Left) state.DragActive = true;
    else if (button == MouseButton::Right) state.DragActive = !state.DragActive;
    state.DragKind = state.HoverKind;
  }
  if (!state.CaliperMode) return HoverPass(list, state, x, y);
  // A press always follows a move over the view, which stops a full list;
  // checking again keeps a twentieth measurement out of the slots whatever
  // the order of events.
  StopWhenFull(list, state);
  if (!state.CaliperMode) return HoverPass(list, state, x, y);
  Measurement& m = list.items[static_cast<std::size_t>(list.MeasurementCount)];
  if (!state.AnchorPending) {
    state.AnchorPending = true;
    m.X1 = x;
    m.Y1 = y;
    return {};
  }
  state.AnchorPending = false;
  m.X2 = x;
  m.Y2 = y;
  m.Value = CaliperValue(m.X1, x);
  if (m.X1 > m.X2) std::swap(m.X1, m.X2);
  ++list.MeasurementCount;
  state.CaliperMode = false;
  state.DragActive = false;
  return {};  // the rubber band stays until the pointer moves
}

void PointerReleased(CaliperState& state, MouseButton button) {
  if (button == MouseButton::Left) state.DragActive = false;
}

Picture ToggleCaliperMode(MeasurementList&, CaliperState& state) {
  if (!state.CaliperMode) {
    state.AnchorPending = false;
    state.CaliperMode = true;
    return {};
  }
  state.CaliperMode = false;
  state.AnchorPending = true;  // so that a "C" right after removes nothing
  return ComposePicture();
}

Picture RemoveLastMeasurement(MeasurementList& list, CaliperState& state) {
  if (!state.AnchorPending && list.MeasurementCount > 0) --list.MeasurementCount;
  state.AnchorPending = false;
  state.CaliperMode = false;
  return ComposePicture();
}

Picture ClearMeasurements(MeasurementList& list, CaliperState& state) {
  list.MeasurementCount = 0;
  state.AnchorPending = false;
  state.CaliperMode = false;
  return ComposePicture();
}

void Present(const Picture& picture, const MeasurementList& list, const Image& trace, Overlay& overlay) {
  switch (picture.kind) {
    case Picture::None: break;
    case Picture::Compose: ComposeOverlay(trace, list, overlay); break;
    case Picture::RubberBand: DrawRubberBand(trace, list, overlay, picture.x, picture.y, picture.anchor); break;
    case Picture::Hover:
      PrepareOverlay(trace, overlay);
      for (int i = 0; i < list.MeasurementCount && i < MeasurementSlots; ++i)
        DrawMeasurement(overlay, list.items[static_cast<std::size_t>(i)], picture.colours[static_cast<std::size_t>(i)]);
      ShowOverlay(overlay);
      break;
  }
}

}  // namespace corvale
