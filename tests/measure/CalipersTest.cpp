#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "measure/Calipers.h"

namespace corvale {
namespace {

using M = Measurement;

struct Session {
  MeasurementList list;
  CaliperState state;
  Picture last;
  std::vector<M> Items() const { return {list.items.begin(), list.items.begin() + list.MeasurementCount}; }
  void Put(std::vector<M> items) {
    for (std::size_t i = 0; i < items.size(); ++i) list.items[i] = items[i];
    list.MeasurementCount = static_cast<int>(items.size());
  }
};

using Event = std::function<void(Session&)>;
Event Move(int x, int y) {
  return [=](Session& s) { s.last = PointerMoved(s.list, s.state, x, y); };
}
Event Down(int x, int y, MouseButton b = MouseButton::Left, bool shift = false) {
  return [=](Session& s) { s.last = PointerPressed(s.list, s.state, b, shift, x, y); };
}
Event Up(MouseButton b = MouseButton::Left) {
  return [=](Session& s) { PointerReleased(s.state, b); };
}
Event Click(int x, int y) {
  return [=](Session& s) { Move(x, y)(s), Down(x, y)(s), Up()(s); };
}
const Event S1 = [](Session& s) { s.last = ToggleCaliperMode(s.list, s.state); };
const Event S2 = [](Session& s) { s.last = RemoveLastMeasurement(s.list, s.state); };
const Event S3 = [](Session& s) { s.last = ClearMeasurements(s.list, s.state); };

struct Flags {
  bool mode, anchor, drag;
};

struct Case {
  std::string what;
  std::vector<M> start;
  std::vector<Event> events;
  std::vector<M> items;
  Flags flags;
};

TEST(Calipers, TransitionTable) {
  const M a{100, 5, 200, 300, 1000}, b{300, 5, 400, 500, 1000}, c{500, 5, 560, 600, 600};
  const std::vector<Case> cases = {
      {"two clicks 37 px apart",
       {},
       {S1, Click(100, 50), Click(137, 300)},
       {{100, 50, 137, 300, 370}},
       {false, false, false}},
      {"second click left of the first: exchanged",
       {},
       {S1, Click(200, 10), Click(150, 20)},
       {{150, 10, 200, 20, 500}},
       {false, false, false}},
      {"clicks on the same x", {}, {S1, Click(70, 10), Click(70, 90)}, {{70, 10, 70, 90, 0}}, {false, false, false}},
      {"any button places points",
       {},
       {S1, Down(10, 1, MouseButton::Middle), Down(30, 2, MouseButton::Right)},
       {{10, 1, 30, 2, 200}},
       {false, false, false}},
      {"first point pending", {}, {S1, Click(10, 1)}, {}, {true, true, false}},
      {"caliper button again drops the pending point", {a}, {S1, Click(10, 1), S1}, {a}, {false, true, false}},
      {"C right after switching off removes nothing", {a, b}, {S1, S1, S2}, {a, b}, {false, false, false}},
      {"a second C removes the last", {a, b}, {S1, S1, S2, S2}, {a}, {false, false, false}},
      {"C with a pending point cancels only the point", {a}, {S1, Click(10, 1), S2}, {a}, {false, false, false}},
      {"C on an empty list", {}, {S2, S2}, {}, {false, false, false}},
      {"AC empties the list", {a, b, c}, {S1, Click(1, 1), S3}, {}, {false, false, false}},
      {"drag the left mark across the right one",
       {{100, 50, 137, 300, 370}},
       {Move(100, 200), Down(100, 200), Move(150, 210), Move(160, 220), Up()},
       {{137, 50, 160, 220, 230}},
       {false, false, false}},
      {"drag by the bar keeps the width",
       {a},
       {Move(150, 300), Down(150, 300), Move(400, 123), Up()},
       {{350, 5, 450, 123, 1000}},
       {false, false, false}},
      {"press on nothing moves nothing",
       {a},
       {Move(250, 250), Down(250, 250), Move(260, 260), Up()},
       {a},
       {false, false, false}},
      {"shared mark: the later measurement is grabbed",
       {a, {200, 5, 300, 400, 1000}},
       {Move(200, 700), Down(200, 700), Move(250, 710), Up()},
       {a, {250, 5, 300, 710, 500}},
       {false, false, false}},
      {"shift-click removes the measurement last hovered",
       {a, b, c},
       {Move(300, 10), Move(250, 10), Down(250, 10, MouseButton::Left, true)},
       {a, c},
       {false, false, false}},
      {"past the end, shift-click removes the last",
       {a, b},
       {Move(300, 10), Down(700, 10, MouseButton::Left, true), Down(700, 10, MouseButton::Left, true)},
       {},
       {false, false, false}},
      {"right press drags with no button held",
       {a},
       {Move(200, 10), Down(200, 10, MouseButton::Right), Up(MouseButton::Right), Move(230, 40)},
       {{100, 5, 230, 40, 1300}},
       {false, false, true}},
      {"the next right press drops it",
       {a},
       {Move(200, 10), Down(200, 10, MouseButton::Right), Up(MouseButton::Right), Move(230, 40),
        Down(230, 40, MouseButton::Right), Move(260, 50)},
       {{100, 5, 230, 40, 1300}},
       {false, false, false}},
      {"left press during a right drag stops the movement",
       {a},
       {Move(200, 10), Down(200, 10, MouseButton::Right), Move(230, 40), Down(230, 40), Move(260, 50)},
       {{100, 5, 230, 40, 1300}},
       {false, false, true}},
      {"shift-click while placing removes and places",
       {a, b},
       {Move(300, 1), S1, Down(10, 1, MouseButton::Left, true)},
       {a},
       {true, true, false}},
  };
  for (const Case& c : cases) {
    Session s;
    s.Put(c.start);
    for (const Event& e : c.events) e(s);
    EXPECT_EQ(s.Items(), c.items) << c.what;
    EXPECT_EQ(s.state.CaliperMode, c.flags.mode) << c.what;
    EXPECT_EQ(s.state.AnchorPending, c.flags.anchor) << c.what;
    EXPECT_EQ(s.state.DragActive, c.flags.drag) << c.what;
  }
}

TEST(Calipers, HitTest) {
  const M m{100, 0, 200, 300, 1000}, narrow{100, 0, 103, 300, 30};
  struct Row {
    M m;
    int x, y;
    HitKind kind;
  };
  const Row rows[] = {
      {m, 98, 0, HitNone},
      {m, 99, 700, HitLeftMark},
      {m, 101, 300, HitLeftMark},
      {m, 102, 300, HitBar},
      {m, 198, 301, HitBar},
      {m, 150, 302, HitNone},
      {m, 199, 5, HitRightMark},
      {m, 202, 5, HitNone},
      {narrow, 101, 300, HitLeftMark},
      {narrow, 102, 300, HitRightMark},
      {narrow, 105, 300, HitNone},
      {M{100, 0, 101, 0, 10}, 101, 0, HitLeftMark},  // marks 1 px apart: the left wins
  };
  for (const Row& r : rows) EXPECT_EQ(HitTest(r.m, r.x, r.y), r.kind) << r.x << "," << r.y;
}

TEST(Calipers, PicturesAndColours) {
  Session s;
  s.Put({{100, 0, 200, 300, 1000}, {200, 0, 300, 400, 1000}, {500, 0, 600, 100, 1000}});
  Move(200, 50)(s);
  ASSERT_EQ(s.last.kind, Picture::Hover);
  EXPECT_EQ(s.last.colours[0], Colors::Magenta);
  EXPECT_EQ(s.last.colours[1], Colors::Magenta);
  EXPECT_EQ(s.last.colours[2], Colors::Blue);
  EXPECT_EQ(s.state.SelectedMeasurement, 1);
  EXPECT_EQ(s.state.HoverKind, HitLeftMark);
  Down(200, 50)(s);
  Move(210, 50)(s);
  EXPECT_EQ(s.last.colours[1], Colors::Red);
  EXPECT_EQ(s.last.colours[0], Colors::Blue);
  EXPECT_EQ(s.state.HoverKind, HitNone) << "no hit test while dragging";
  Up()(s);
  // Armed: guide line; anchored: rubber band from the first point.
  S1(s);
  EXPECT_EQ(s.last.kind, Picture::None);
  EXPECT_EQ(CaliperButtonColor(s.state), Colors::Red);
  Move(640, 70)(s);
  EXPECT_EQ(s.last.kind, Picture::RubberBand);
  EXPECT_FALSE(s.last.anchor);
  Down(640, 70)(s);
  EXPECT_EQ(s.last.kind, Picture::None);
  Move(700, 80)(s);
  EXPECT_EQ(s.last.anchor, 640);
  Down(700, 80)(s);
  EXPECT_EQ(s.last.kind, Picture::None) << "the rubber band stays until the pointer moves";
  EXPECT_EQ(CaliperButtonColor(s.state), Colors::Black);
  S2(s);
  EXPECT_EQ(s.last.kind, Picture::Compose);
}

TEST(Calipers, NineteenMeasurementsStopTheCaliperMode) {
  Session s;
  for (int i = 0; i < 19; ++i) {
    S1(s);
    Click(10 + 50 * i, 5)(s);
    Click(30 + 50 * i, 40)(s);
  }
  ASSERT_EQ(s.list.MeasurementCount, 19);
  S1(s);
  EXPECT_EQ(CaliperButtonColor(s.state), Colors::Red);
  Move(5, 5)(s);
  EXPECT_EQ(CaliperButtonColor(s.state), Colors::Black);
  EXPECT_FALSE(s.state.CaliperMode);
  EXPECT_EQ(s.last.kind, Picture::Hover);
  // Presses without a move in between do not make a twentieth.
  S1(s);
  Down(5, 5)(s);
  Down(9, 5)(s);
  EXPECT_EQ(s.list.MeasurementCount, 19);
  // Removing from a full list copies the twentieth slot down.
  Move(10, 5)(s);
  Down(10, 5, MouseButton::Left, true)(s);
  EXPECT_EQ(s.list.MeasurementCount, 18);
  EXPECT_EQ(s.list.items[0].X1, 60);
}

}  // namespace
}  // namespace corvale
