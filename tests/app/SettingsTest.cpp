// Remembered settings in a scratch file: the round trip, a damaged file, and
// each value checked on its own.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>

#include "app/Settings.h"

namespace corvale {
namespace {

struct Store {
  QTemporaryDir dir;
  QString path = dir.filePath("corvale.conf");
  void WriteRaw(const QByteArray& bytes) const {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  ViewerSettings Read() const {
    QSettings s(path, QSettings::IniFormat);
    return ReadSettings(s);
  }
};

ViewerSettings Changed() {
  ViewerSettings s;
  s.directory = QStringLiteral("/data/ecg, ward 3/[2024]");
  s.colorScheme = 3;
  s.displaySpan = 2;
  s.limbLeadMode = 1;
  s.leadNames = false;
  s.fiducialMarks = true;
  s.filters = {BaselineFilter::HighPass005, MainsFilter::Notch60, MuscleFilter::LowPass35};
  s.printerName = QStringLiteral("ward-printer");
  s.paper = QPageSize::Letter;
  s.orientation = QPageLayout::Landscape;
  s.penWidth = 10;
  s.margin = 10;
  s.penPattern = 1;
  s.gridPattern = 1;
  s.annotations = false;
  s.windowPosition = QPoint(-40, 1200);
  return s;
}

TEST(Settings, FirstStartIsTheStartUpState) {
  Store store;
  const ViewerSettings s = store.Read();
  EXPECT_EQ(s, ViewerSettings{});
  EXPECT_EQ(s.colorScheme, 1);
  EXPECT_EQ(s.limbLeadMode, 3);
  EXPECT_EQ(s.margin, 50);
  EXPECT_TRUE(s.leadNames && s.annotations);
  EXPECT_FALSE(s.paper || s.orientation || s.windowPosition);
}

TEST(Settings, RoundTripAndBackToDefaults) {
  Store store;
  {
    QSettings s(store.path, QSettings::IniFormat);
    WriteSettings(s, Changed());
  }
  EXPECT_EQ(store.Read(), Changed());
  // Unset values leave the file: no stale paper or position comes back.
  {
    QSettings s(store.path, QSettings::IniFormat);
    WriteSettings(s, ViewerSettings{});
  }
  EXPECT_EQ(store.Read(), ViewerSettings{});
}

TEST(Settings, DamagedOrUnreadableStoreGivesTheStartUpState) {
  const QByteArray damaged[] = {
      QByteArray("\x01\x02\xff\xfe garbage\n=\n[[[\n"),
      QByteArray("[display]\ncolorScheme=3\na line without a value\n"),  // half good is not good
      QByteArray("\0\0\0\x80", 4),
  };
  for (const QByteArray& bytes : damaged) {
    Store store;
    store.WriteRaw(bytes);
    EXPECT_EQ(store.Read(), ViewerSettings{}) << bytes.toHex().toStdString();
    // The next write replaces the damaged file.
    {
      QSettings s(store.path, QSettings::IniFormat);
      WriteSettings(s, Changed());
    }
    EXPECT_EQ(store.Read(), Changed());
  }
  // A directory where the file should be cannot be read.
  Store store;
  ASSERT_TRUE(QDir().mkpath(store.path));
  EXPECT_EQ(store.Read(), ViewerSettings{});
}

TEST(Settings, EachValueIsChecked) {
  // A good file; each row spoils one value, which must keep its start-up
  // value while every other value is still read.
  const QByteArray good =
      "[display]\ncolorScheme=2\nspan=2\nlimbLeadLayout=2\nleadNames=false\nfiducialMarks=true\n"
      "[filters]\nbaseline=0.67\nmains=50\nmuscle=40\n"
      "[printer]\npaper=A3\norientation=landscape\npenWidth=7\nmargin=120\npenPattern=1\ngridPattern=1\n"
      "annotations=false\n[window]\nx=10\ny=20\n";
  using Field = std::function<void(ViewerSettings & to, const ViewerSettings& from)>;
  const Field scheme = [](auto& to, const auto& from) { to.colorScheme = from.colorScheme; };
  const Field span = [](auto& to, const auto& from) { to.displaySpan = from.displaySpan; };
  const Field limb = [](auto& to, const auto& from) { to.limbLeadMode = from.limbLeadMode; };
  const Field names = [](auto& to, const auto& from) { to.leadNames = from.leadNames; };
  const Field marks = [](auto& to, const auto& from) { to.fiducialMarks = from.fiducialMarks; };
  const Field paper = [](auto& to, const auto& from) { to.paper = from.paper; };
  const Field turn = [](auto& to, const auto& from) { to.orientation = from.orientation; };
  const Field pen = [](auto& to, const auto& from) { to.penWidth = from.penWidth; };
  const Field margin = [](auto& to, const auto& from) { to.margin = from.margin; };
  const Field penPattern = [](auto& to, const auto& from) { to.penPattern = from.penPattern; };
  const Field grid = [](auto& to, const auto& from) { to.gridPattern = from.gridPattern; };
  const Field notes = [](auto& to, const auto& from) { to.annotations = from.annotations; };
  const Field place = [](auto& to, const auto& from) { to.windowPosition = from.windowPosition; };
  const Field baseline = [](auto& to, const auto& from) { to.filters.baseline = from.filters.baseline; };
  const Field mains = [](auto& to, const auto& from) { to.filters.mains = from.filters.mains; };
  const Field muscle = [](auto& to, const auto& from) { to.filters.muscle = from.filters.muscle; };
  struct Row {
    const char* from;  // the good line
    const char* to;    // its spoilt form
    Field field;
  };
  const Row rows[] = {
      {"colorScheme=2", "colorScheme=4", scheme},
      {"colorScheme=2", "colorScheme=0", scheme},
      {"colorScheme=2", "colorScheme=2, 3", scheme},
      {"span=2", "span=3", span},
      {"limbLeadLayout=2", "limbLeadLayout=x", limb},
      {"leadNames=false", "leadNames=no", names},
      {"fiducialMarks=true", "fiducialMarks=1", marks},
      {"baseline=0.67", "baseline=0.5", baseline},
      {"mains=50", "mains=55", mains},
      {"muscle=40", "muscle=40,mains=60", muscle},
      {"paper=A3", "paper=A9000", paper},
      {"paper=A3", "paper=Custom", paper},
      {"orientation=landscape", "orientation=up", turn},
      {"penWidth=7", "penWidth=11", pen},
      {"penWidth=7", "penWidth=-1", pen},
      {"margin=120", "margin=9", margin},
      {"margin=120", "margin=201", margin},
      {"penPattern=1", "penPattern=3", penPattern},
      {"gridPattern=1", "gridPattern=0", grid},
      {"annotations=false", "annotations=0x", notes},
      {"x=10", "x=1e9", place},
      {"y=20", "y=", place},  // half a place is none
  };
  Store goodStore;
  goodStore.WriteRaw(good);
  const ViewerSettings expected = goodStore.Read();
  ASSERT_EQ(expected.colorScheme, 2);
  ASSERT_EQ(expected.paper, QPageSize::A3);
  ASSERT_EQ(expected.margin, 120);
  ASSERT_EQ(expected.windowPosition, QPoint(10, 20));
  ASSERT_EQ(expected.filters,
            (FilterSettings{BaselineFilter::HighPass067, MainsFilter::Notch50, MuscleFilter::LowPass40}));
  for (const Row& r : rows) {
    QByteArray file = good;
    ASSERT_TRUE(file.contains(QByteArray("\n") + r.from + "\n")) << r.from;
    file.replace(QByteArray("\n") + r.from + "\n", QByteArray("\n") + r.to + "\n");
    Store store;
    store.WriteRaw(file);
    ViewerSettings want = expected;
    r.field(want, ViewerSettings{});
    EXPECT_EQ(store.Read(), want) << r.to;
  }
}

}  // namespace
}  // namespace corvale
