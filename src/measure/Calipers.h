// Caliper interaction: placing, hovering, dragging and removing measurements.
// Each handler takes the state and one event and returns the new state and the
// picture the main view must show; drawing that picture is Present's job.
#pragma once

#include <array>
#include <optional>

#include "measure/Overlay.h"

namespace corvale {

enum HitKind { HitNone = 0, HitLeftMark = 1, HitRightMark = 2, HitBar = 3 };

struct CaliperState {
  bool CaliperMode = false;    // placing a measurement
  bool AnchorPending = false;  // its first point is set
  bool DragActive = false;     // SelectedMeasurement follows the pointer
  HitKind HoverKind = HitNone;
  HitKind DragKind = HitNone;
  int SelectedMeasurement = 0;
  int GrabOffset1 = 0;
  int GrabOffset2 = 0;
  bool operator==(const CaliperState&) const = default;
};

enum class MouseButton { Left, Right, Middle };

/// The picture a handler leaves for the main view.
struct Picture {
  enum Kind { None, Hover, RubberBand, Compose } kind = None;
  int x = 0, y = 0;
  std::optional<int> anchor;                      // RubberBand
  std::array<Color, MeasurementSlots> colours{};  // Hover: one per measurement
};

/// Which part of `m` the pointer at (x, y) is on; marks before the bar.
HitKind HitTest(const Measurement& m, int x, int y);

/// Caption colour of the caliper button: red while placing, black otherwise.
inline Color CaliperButtonColor(const CaliperState& s) { return s.CaliperMode ? Colors::Red : Colors::Black; }

/// The pointer is at (x, y): the rubber band in caliper mode, else a hover pass.
Picture TrackPointer(MeasurementList& list, CaliperState& state, int x, int y);
/// A drag step for the selected measurement, then the hit test of every
/// measurement; returns the hover picture with each measurement's colour.
Picture HoverPass(MeasurementList& list, CaliperState& state, int x, int y);

/// The pointer moved to (x, y): a full list (19) ends caliper mode, then TrackPointer.
Picture PointerMoved(MeasurementList& list, CaliperState& state, int x, int y);
/// A button went down at (x, y). With Shift or Alt the measurement last hovered
/// is removed; otherwise the button starts, toggles or keeps a drag. In caliper
/// mode the press places the first or the second point of a measurement.
Picture PointerPressed(MeasurementList& list, CaliperState& state, MouseButton button, bool shiftOrAlt, int x, int y);
/// A button went up: the left button ends a drag.
void PointerReleased(CaliperState& state, MouseButton button);
/// Caliper mode on; or off again, dropping a pending first point.
Picture ToggleCaliperMode(MeasurementList& list, CaliperState& state);
/// Cancels a pending first point, or else removes the last measurement.
Picture RemoveLastMeasurement(MeasurementList& list, CaliperState& state);
/// Removes every measurement and ends caliper mode.
Picture ClearMeasurements(MeasurementList& list, CaliperState& state);

/// Draws `picture` over the trace image and shows it (nothing for None).
void Present(const Picture& picture, const MeasurementList& list, const Image& trace, Overlay& overlay);

}  // namespace corvale
