#include "output/PageAnnotations.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "display/LeadLabels.h"
#include "display/ViewGeometry.h"
#include "gfx/TextInk.h"
#include "record/HeaderValues.h"

namespace corvale {
namespace {

using G = ViewGeometry;

QString Tr(const char* text) { return QCoreApplication::translate("PageAnnotations", text); }

bool HasDigit(const QString& s) {
  return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

// Text sizes tried, largest first, in millimetres of the page (4u each).
constexpr double kSizesMm[] = {3.0, 2.6, 2.2, 1.8, 1.5};
constexpr double kComfortableMm = 2.2;

struct Metrics {
  explicit Metrics(const TextFont& font) : fm(QtTextFont(font, false)) {}
  QFontMetricsF fm;
  double Width(const QString& s) const { return fm.horizontalAdvance(s); }
};

struct Item {
  QString text;
  double offset;  // along the line from its start
  double width;
};

struct Line {
  int paragraph;
  double used = 0;
  std::vector<Item> items;
  bool closed = false;  // no further item joins this line
};

// A margin as the turned sheet is read: lines run along the page's height
// (upwards, from yStart to yEnd) and stack across it (from x0 towards x1).
struct Region {
  double x0 = 0, x1 = 0;
  double yStart = 0, yEnd = 0;
  int gridSide = 0;  // -1: the grid lies before x0, +1: after x1, 0: the lines start at x0
  bool oneItemPerLine = false;
  int maxLines = 0;
  std::vector<Line> lines;
  double Length() const { return yStart - yEnd; }
};

enum RegionId { kTop, kBottom, kLeft, kRight, kRegionCount };

// How a piece may go on the current line.
enum class Join {
  kItem,      // a whole item: after the line's last item, unless the line is closed
  kNewLine,   // the first word of a broken item: always a new line
  kContinue,  // a following word of that item: after its previous word
  kGlue,      // the rest of a word too long for any line: right after its start
};

struct Flow {
  std::array<Region, kRegionCount> regions;
  double sep = 0;    // between items on one line
  double space = 0;  // between the words of an item broken over lines

  // Puts one piece on the paragraph's current line or a new one, never in a
  // margin before the paragraph's current one (so that reading order holds).
  bool Put(const std::vector<RegionId>& order, std::size_t& cursor, int paragraph, const QString& text, double width,
           Join join) {
    for (std::size_t i = cursor; i < order.size(); ++i) {
      Region& r = regions[order[i]];
      if (r.maxLines == 0 || width > r.Length()) continue;
      const double gap = join == Join::kContinue ? space : join == Join::kGlue ? 0.0 : sep;
      const bool mayJoin = join == Join::kContinue || join == Join::kGlue ||
                           (join == Join::kItem && !r.lines.empty() && !r.lines.back().closed);
      if (i == cursor && mayJoin && !r.lines.empty() && r.lines.back().paragraph == paragraph &&
          r.lines.back().used + gap + width <= r.Length()) {
        Line& line = r.lines.back();
        line.items.push_back({text, line.used + gap, width});
        line.used += gap + width;
        line.closed = r.oneItemPerLine && join == Join::kItem;
        return true;
      }
      if (static_cast<int>(r.lines.size()) < r.maxLines) {
        r.lines.push_back({paragraph, width, {{text, 0, width}}, r.oneItemPerLine && join == Join::kItem});
        cursor = i;
        return true;
      }
    }
    return false;
  }
  // Closes the line the paragraph is writing on.
  void Close(const std::vector<RegionId>& order, std::size_t cursor) {
    Region& r = regions[order[cursor]];
    if (!r.lines.empty()) r.lines.back().closed = true;
  }
};

// Splits at ordinary and ideographic spaces.
QStringList Words(const QString& text) {
  QStringList words;
  QString word;
  for (QChar c : text) {
    if (c == u' ' || c == QChar(0x3000)) {
      if (!word.isEmpty()) words << word;
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.isEmpty()) words << word;
  return words;
}

int Trunc(long double v) { return static_cast<int>(v); }

// A word cut into pieces no longer than `length` (each at least one character).
QStringList Pieces(const QString& word, double length, const Metrics& m) {
  if (m.Width(word) <= length) return {word};
  QStringList pieces;
  QString piece;
  for (QChar c : word) {
    if (!piece.isEmpty() && !c.isLowSurrogate() && m.Width(piece + c) > length) {
      pieces << piece;
      piece.clear();
    }
    piece += c;
  }
  if (!piece.isEmpty()) pieces << piece;
  return pieces;
}

}  // namespace

PageIdentity PageIdentityFromRecord(const RecordImage& image, const QString& fileName) {
  const HeaderValues h = DecodeHeader(image);
  PageIdentity id;
  id.patientName = h.patientName.value_or(QString());
  id.patientId = h.patientId.value_or(QString());
  if (h.age) id.age = h.ageUnit ? *h.age + u' ' + AgeUnitText(*h.ageUnit) : *h.age;
  id.sex = SexLetter(h.sex);  // on paper only a known sex: a guess would be a wrong clinical fact
  const QString date = h.dateText.trimmed(), time = h.timeText.trimmed();
  QStringList when;
  if (HasDigit(date)) when << date;
  if (HasDigit(time)) when << time;
  id.recorded = when.join(u' ');
  id.fileName = fileName;
  return id;
}

QStringList IdentificationTexts(const PageAnnotationInput& input) {
  const PageIdentity& id = input.identity;
  QStringList out;
  auto add = [&](const char* caption, const QString& value) {
    if (!value.isEmpty()) out << Tr(caption).arg(value);
  };
  // In the interface's language, as the window around the page is.
  if (!input.deleteId) {
    add(QT_TRANSLATE_NOOP("PageAnnotations", "Name: %1"), id.patientName);
    add(QT_TRANSLATE_NOOP("PageAnnotations", "ID: %1"), id.patientId);
  }
  add(QT_TRANSLATE_NOOP("PageAnnotations", "Age: %1"), id.age);
  add(QT_TRANSLATE_NOOP("PageAnnotations", "Sex: %1"), id.sex);
  add(QT_TRANSLATE_NOOP("PageAnnotations", "Recorded: %1"), id.recorded);
  add(QT_TRANSLATE_NOOP("PageAnnotations", "File: %1"), id.fileName);
  return out;
}

QStringList ScaleTexts(const std::array<double, LeadCount>& leadGain) {
  QStringList out{QStringLiteral("25 mm/s"), QStringLiteral("10 mm/mV")};
  for (int k = 0; k < LeadCount; ++k) {
    const double gain = leadGain[static_cast<std::size_t>(k)];
    if (gain == 1.0 || !(gain > 0)) continue;
    out << QStringLiteral("%1 %2 mm/mV").arg(LeadName(k), QString::number(10.0 / gain, 'g', 6));
  }
  return out;
}

QStringList FilterTexts(const FilterSettings& filters) {
  if (!filters.Any()) return {};
  const FilterWords words{Tr(QT_TRANSLATE_NOOP("PageAnnotations", "%1 Hz notch")),
                          Tr(QT_TRANSLATE_NOOP("PageAnnotations", "baseline %1 Hz")),
                          Tr(QT_TRANSLATE_NOOP("PageAnnotations", "mains %1 Hz")),
                          Tr(QT_TRANSLATE_NOOP("PageAnnotations", "muscle %1 Hz"))};
  return {DescribeFrequencyResponse(filters, words),
          Tr(QT_TRANSLATE_NOOP("PageAnnotations", "Filters: %1")).arg(DescribeActiveFilters(filters, words))};
}

QRect PageGridRect(const PageGeometry& g) {
  const long double u = g.PrintUnit;
  return QRect(QPoint(g.PrintOriginX, g.PrintOriginY),
               QPoint(Trunc(g.PrintOriginX + G::MainViewHeight * u), Trunc(g.PrintOriginY + G::ViewWidth * u)));
}

namespace {

// One try at one text size.
struct Attempt {
  PageAnnotations result;
  int displaced = 0;  // items outside their paragraph's first margin
  int broken = 0;     // items broken at their spaces
  int chopped = 0;    // words broken between characters
};

Attempt Lay(const PageGeometry& g, const QStringList (&paragraphs)[2], double sizeMm) {
  const std::vector<RegionId> orders[2] = {{kTop, kBottom, kLeft, kRight}, {kBottom, kTop, kLeft, kRight}};
  const QRect grid = PageGridRect(g);
  const double mm = 4 * g.PrintUnit;
  const double clear = std::max(mm, 1.0);
  TextFont font;
  font.pixelSize = std::max(1, static_cast<int>(std::lround(sizeMm * mm)));
  const Metrics m(font);
  const double ascent = m.fm.ascent(), height = m.fm.ascent() + m.fm.descent();
  const double pitch = std::max(m.fm.lineSpacing(), 1.1 * height);  // a little air between lines

  Flow flow;
  flow.sep = 1.5 * font.pixelSize;
  flow.space = m.Width(QStringLiteral(" "));
  const double alongStart = std::min<double>(grid.bottom(), g.PageHeight - clear);
  const double alongEnd = std::max<double>(grid.top(), clear);
  const double acrossLo = std::max<double>(grid.left(), clear);
  const double acrossHi = std::min<double>(grid.right(), g.PageWidth - clear);
  auto region = [](double x0, double x1, double yStart, double yEnd, int gridSide) {
    Region r;
    r.x0 = x0;
    r.x1 = x1;
    r.yStart = yStart;
    r.yEnd = yEnd;
    r.gridSide = gridSide;
    return r;
  };
  flow.regions[kTop] = region(clear, grid.left() - clear, alongStart, alongEnd, +1);
  flow.regions[kBottom] = region(grid.right() + clear, g.PageWidth - clear, alongStart, alongEnd, -1);
  flow.regions[kLeft] = region(acrossLo, acrossHi, g.PageHeight - clear, grid.bottom() + clear, 0);
  flow.regions[kRight] = region(acrossLo, acrossHi, grid.top() - clear, clear, 0);
  // The margins at the ends of the time axis are narrow columns: one item a line.
  flow.regions[kLeft].oneItemPerLine = flow.regions[kRight].oneItemPerLine = true;
  for (Region& r : flow.regions) {
    const double room = r.x1 - r.x0;
    r.maxLines = room >= height && r.Length() > 0 ? 1 + static_cast<int>((room - height) / pitch) : 0;
  }

  Attempt out;
  for (int p = 0; p < 2; ++p) {
    std::size_t cursor = 0;
    for (const QString& text : paragraphs[p]) {
      const bool placed = [&] {
        if (flow.Put(orders[p], cursor, p, text, m.Width(text), Join::kItem)) return true;
        // Too long for any line: break it at its spaces onto lines of its
        // own (a word longer than the longest line between its characters),
        // or leave it out whole.
        double longest = 0;
        for (std::size_t i = cursor; i < orders[p].size(); ++i)
          if (flow.regions[orders[p][i]].maxLines > 0) longest = std::max(longest, flow.regions[orders[p][i]].Length());
        Flow attempt = flow;
        std::size_t attemptCursor = cursor;
        const QStringList words = Words(text);
        int chopped = 0;
        for (qsizetype w = 0; w < words.size(); ++w) {
          Join join = w == 0 ? Join::kNewLine : Join::kContinue;
          const QStringList pieces = Pieces(words[w], longest, m);
          chopped += pieces.size() > 1;
          for (const QString& piece : pieces) {
            if (!attempt.Put(orders[p], attemptCursor, p, piece, m.Width(piece), join)) return false;
            join = Join::kGlue;
          }
        }
        if (words.isEmpty()) return false;
        attempt.Close(orders[p], attemptCursor);
        flow = attempt;
        cursor = attemptCursor;
        ++out.broken;
        out.chopped += chopped;
        return true;
      }();
      if (!placed) out.result.unplaced << text;
      else if (cursor != 0) ++out.displaced;
    }
  }

  for (const Region& r : flow.regions) {
    if (r.lines.empty()) continue;
    const double block = (static_cast<double>(r.lines.size()) - 1) * pitch + height;
    // Beside the grid: centred in a narrow margin, at most 1 mm further off in a wide one.
    const double off = std::min((r.x1 - r.x0 - block) / 2, clear);
    const double start = r.gridSide < 0 ? r.x0 + off : r.gridSide > 0 ? r.x1 - off - block : r.x0;
    for (std::size_t i = 0; i < r.lines.size(); ++i) {
      const int x = static_cast<int>(std::lround(start + static_cast<double>(i) * pitch + ascent));
      for (const Item& item : r.lines[i].items) {
        PageText t;
        t.text = item.text;
        t.origin = QPoint(x, static_cast<int>(std::lround(r.yStart - item.offset)));
        t.quarterTurns = 1;
        t.font = font;
        t.box = QRectF(t.origin.x() - ascent, t.origin.y() - item.width, height, item.width).toAlignedRect();
        out.result.texts.push_back(t);
      }
    }
  }
  return out;
}

}  // namespace

PageAnnotations ComputePageAnnotations(const PageGeometry& g, const PageAnnotationInput& input) {
  const QStringList paragraphs[2] = {
      IdentificationTexts(input),
      ScaleTexts(input.leadGain) + FilterTexts(input.filters) + MeasurementTexts(input.measurements)};
  std::vector<Attempt> attempts;
  for (double sizeMm : kSizesMm) attempts.push_back(Lay(g, paragraphs, sizeMm));
  // The largest size at which each paragraph keeps whole items in its own
  // margin (the patient above, the scale below, as the sheet is read), if
  // that size is still comfortable to read; else the largest at which
  // everything fits with items broken at most at their spaces; else broken
  // anywhere; else the one that leaves out the fewest items.
  for (std::size_t i = 0; i < attempts.size() && kSizesMm[i] >= kComfortableMm; ++i) {
    const Attempt& a = attempts[i];
    if (a.result.unplaced.isEmpty() && a.displaced == 0 && a.broken == 0) return a.result;
  }
  for (const Attempt& a : attempts)
    if (a.result.unplaced.isEmpty() && a.chopped == 0) return a.result;
  for (const Attempt& a : attempts)
    if (a.result.unplaced.isEmpty()) return a.result;
  const Attempt* best = &attempts.front();
  for (const Attempt& a : attempts)
    if (a.result.unplaced.size() <= best->result.unplaced.size()) best = &a;
  return best->result;
}

std::vector<PageText> ComputePrintLeadLabels(const PageGeometry& g, const DisplayState& state,
                                             const TraceLayout& layout) {
  const long double u = g.PrintUnit;
  TextFont font = LeadLabelFont();
  font.pixelSize = std::max(1, static_cast<int>(std::lround(font.pixelSize * static_cast<double>(u))));
  const Metrics m(font);
  const double ascent = m.fm.ascent(), height = m.fm.ascent() + m.fm.descent();
  const int cap = std::max(1, static_cast<int>(std::ceil(m.fm.capHeight())));
  const QRect grid = PageGridRect(g);
  const auto tops = LeadBandTops(state, layout, static_cast<double>(u));
  // As on the screen: 3 units below the band's top, 4 units from the trace's start.
  const int inset = static_cast<int>(std::lround(3 * static_cast<double>(u)));
  const int along = static_cast<int>(std::lround(4 * static_cast<double>(u)));
  const int gap = std::max(1, static_cast<int>(std::lround(2 * static_cast<double>(u))));
  std::vector<PageText> out;
  for (int column = 0; column < 2; ++column) {
    std::array<int, 6> wanted{};
    for (int r = 0; r < 6; ++r)
      wanted[static_cast<std::size_t>(r)] =
          g.PrintOriginX +
          static_cast<int>(std::ceil(tops[static_cast<std::size_t>(column) * 6 + static_cast<std::size_t>(r)])) + inset;
    const auto placed = SpreadLabels(wanted, cap, gap, grid.right());
    const int start = g.PrintOriginY + Trunc(G::ViewWidth * u - (column == 1 ? G::ColumnPitch * u : 0));
    for (int r = 0; r < 6; ++r) {
      PageText t;
      t.text = LeadName(column * 6 + r);
      t.font = font;
      t.quarterTurns = 1;
      t.origin = QPoint(placed[static_cast<std::size_t>(r)] + cap, start - along);
      const double width = m.Width(t.text);
      t.box = QRectF(t.origin.x() - ascent, t.origin.y() - width, height, width).toAlignedRect();
      out.push_back(t);
    }
  }
  return out;
}

void DrawPageTexts(Canvas& canvas, const std::vector<PageText>& texts) {
  canvas.SetPenColor(Colors::Black);
  for (const PageText& t : texts) canvas.DrawText(t.origin.x(), t.origin.y(), t.quarterTurns, t.text, t.font);
}

}  // namespace corvale
