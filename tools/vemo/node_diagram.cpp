#include "node_diagram.h"

#include <algorithm>
#include <optional>

#include "markup.h"

namespace vemo::cli {

namespace {

// Geometry in pixels. The advance of a character is 7.25 px (29/4), a little more than
// the 0.6 em that monospace fonts give at 12 px, so an estimate is never short.
constexpr int kFontSize = 12;
constexpr int kAdvanceQuarters = 29;
constexpr int kLine = 16;      // one line of text; its baseline 12 px below the line's top
constexpr int kBaseline = 12;
constexpr int kPad = 8;        // between a block's frame and its text
constexpr int kArrow = 24;     // an NV arrow, outside the frame
constexpr int kGutter = 16;    // between two cells of the grid
constexpr int kMargin = 16;
constexpr int kMaxWidth = 1400;  // the grid wraps before this width
constexpr int kMinFrame = 160;
constexpr int kMinDocument = 480;
constexpr const char* kLineStyle = "fill=\"none\" stroke=\"#345\"";
// Columns a text may take before it is cut.
constexpr std::size_t kHeadColumns = 36, kNvColumns = 24, kPointColumns = 48, kGapColumns = 2;

int TextWidth(std::size_t columns) { return (static_cast<int>(columns) * kAdvanceQuarters + 3) / 4; }

std::size_t ColumnsIn(int width) { return static_cast<std::size_t>(std::max(0, width) * 4 / kAdvanceQuarters); }

// One line of text: as drawn (cut to its room), and its tooltip: the whole text when it
// was cut, a point's details, else nothing.
struct Label {
  std::string shown, tooltip;
};

Label MakeLabel(const std::string& text, std::size_t columns) {
  Label label{Clipped(text, columns), ""};
  if (Columns(text) > columns) label.tooltip = text;
  return label;
}

// A point's value: decoded when its type is known, else its bytes, else why it could not be read.
std::string ValueText(const PointRow& row) {
  if (!row.value.empty()) return row.value;
  if (!row.bytes) return row.error;
  std::string spaced;
  for (std::size_t i = 0; i < row.bytes->size(); i += 2) spaced += (i ? " " : "") + row.bytes->substr(i, 2);
  return spaced.empty() ? "(empty)" : spaced;
}

std::string Tooltip(const PointRow& row) {
  std::string text = row.kind + " " + std::to_string(row.index) + " " + row.name;
  if (!row.direction.empty()) text += ", " + row.direction;
  if (!row.type.empty()) text += ", " + row.type;
  text += ": " + ValueText(row);
  if (!row.value.empty() && row.bytes) text += " [" + *row.bytes + "]";
  return text;
}

struct Block {
  bool object = true;  // false: the points in no object
  Label name, profile;
  std::vector<Label> inputs, outputs, settings;
  int height = 0;

  std::size_t Columns() const {
    const auto widest = [](const std::vector<Label>& labels) {
      std::size_t columns = 0;
      for (const Label& label : labels) columns = std::max(columns, vemo::cli::Columns(label.shown));
      return columns;
    };
    return std::max({vemo::cli::Columns(name.shown), vemo::cli::Columns(profile.shown),
                     widest(inputs) + kGapColumns + widest(outputs), widest(settings)});
  }
  int IoLines() const { return static_cast<int>(std::max(inputs.size(), outputs.size())); }
};

void AddPoint(Block& block, const PointRow& row) {
  if (row.configuration) {
    // A CP's name is its key text; its type says what it is.
    const std::string& what = row.kind == "CP" && !row.type.empty() ? row.type : row.name;
    Label label =
        MakeLabel(row.kind + " " + std::to_string(row.index) + " " + what + ": " + ValueText(row), kPointColumns);
    label.tooltip = Tooltip(row);
    block.settings.push_back(std::move(label));
    return;
  }
  Label label = MakeLabel(row.name, kNvColumns);
  label.tooltip = Tooltip(row);
  (row.direction == "output" ? block.outputs : block.inputs).push_back(std::move(label));
}

std::vector<Block> Blocks(const Node& node, const std::vector<PointRow>& rows) {
  std::vector<Block> blocks;
  for (const LonMarkObject& object : node.objects) {
    Block block;
    block.name = MakeLabel("[" + std::to_string(object.index) + "] " + object.name, kHeadColumns);
    // A type without a description of its own is described by its number.
    const std::string type = "type " + std::to_string(object.type);
    const bool described = object.description != std::to_string(object.type);
    block.profile = MakeLabel(described ? type + ", " + object.description : type, kHeadColumns);
    for (const PointRow& row : rows) {
      if (row.objectIndex == object.index) AddPoint(block, row);
    }
    blocks.push_back(std::move(block));
  }
  Block loose;
  loose.object = false;
  loose.name = MakeLabel("(in no LonMark object)", kHeadColumns);
  for (const PointRow& row : rows) {
    if (!row.objectIndex) AddPoint(loose, row);
  }
  if (!loose.inputs.empty() || !loose.outputs.empty() || !loose.settings.empty()) blocks.push_back(std::move(loose));
  for (Block& block : blocks) {
    block.height = kPad + 2 * kLine + kPad / 2 + block.IoLines() * kLine +
                   (block.settings.empty() ? 0 : kPad / 2 + static_cast<int>(block.settings.size()) * kLine) + kPad;
  }
  return blocks;
}

std::string At(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

std::string Box(int x, int y, int width, int height) {
  return "x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" + std::to_string(width) +
         "\" height=\"" + std::to_string(height) + "\"";
}

// A text element: `x` is its start, or its end when `anchor` is "end"; `top` the top of its line.
void Text(std::string& svg, int x, int top, const Label& label, const char* cls, const char* anchor = nullptr) {
  svg += "<text class=\"" + std::string(cls) + "\" x=\"" + std::to_string(x) + "\" y=\"" +
         std::to_string(top + kBaseline) + "\"" + (anchor ? " text-anchor=\"" + std::string(anchor) + "\"" : std::string()) +
         ">" + Escaped(label.shown);
  if (!label.tooltip.empty()) svg += "<title>" + Escaped(label.tooltip) + "</title>";
  svg += "</text>\n";
}

// An arrow along the line whose top is `top`, from `from` to `to`, its head at `to`.
void Arrow(std::string& svg, int from, int to, int top, const char* cls) {
  const int y = top + kLine / 2, back = to > from ? to - 6 : to + 6;
  svg += "<path class=\"" + std::string(cls) + "\" d=\"M" + At(from, y) + "H" + std::to_string(to) + "M" + At(back, y - 4) +
         "L" + At(to, y) + "L" + At(back, y + 4) + "\" " + kLineStyle + "/>\n";
}

void DrawBlock(std::string& svg, const Block& block, int x, int y, int width) {
  svg += block.object ? "<g class=\"block\">\n" : "<g class=\"unfiled\">\n";
  svg += "<rect class=\"head\" " + Box(x, y, width, kPad + 2 * kLine) + " fill=\"#dde6f0\"/>\n";
  svg += "<rect class=\"frame\" " + Box(x, y, width, block.height) + " " + kLineStyle +
         (block.object ? "" : " stroke-dasharray=\"6 4\"") + "/>\n";
  int top = y + kPad;
  Text(svg, x + kPad, top, block.name, "name");
  if (block.object) Text(svg, x + kPad, top + kLine, block.profile, "profile");
  top += 2 * kLine + kPad / 2;
  for (std::size_t i = 0; i < block.inputs.size(); ++i) {
    const int line = top + static_cast<int>(i) * kLine;
    Arrow(svg, x - kArrow, x, line, "in");
    Text(svg, x + kPad, line, block.inputs[i], "in");
  }
  for (std::size_t i = 0; i < block.outputs.size(); ++i) {
    const int line = top + static_cast<int>(i) * kLine;
    Arrow(svg, x + width, x + width + kArrow, line, "out");
    Text(svg, x + width - kPad, line, block.outputs[i], "out", "end");
  }
  top += block.IoLines() * kLine;
  if (!block.settings.empty()) {
    svg += "<path class=\"rule\" d=\"M" + At(x, top + kPad / 4) + "H" + std::to_string(x + width) + "\" " + kLineStyle +
           "/>\n";
    top += kPad / 2;
    for (const Label& setting : block.settings) {
      Text(svg, x + kPad, top, setting, "point");
      top += kLine;
    }
  }
  svg += "</g>\n";
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string DiagramSvg(const Node& node, const std::vector<PointRow>& rows) {
  const std::vector<Block> blocks = Blocks(node, rows);
  std::size_t columns = 0;
  for (const Block& block : blocks) columns = std::max(columns, block.Columns());
  const int frame = std::max(kMinFrame, TextWidth(columns) + 2 * kPad);
  const int cell = kArrow + frame + kArrow;

  // As many columns as fit, then as few as that many rows need, so the last row is not all but empty.
  const int count = std::max(1, static_cast<int>(blocks.size()));
  int across = std::clamp((kMaxWidth - 2 * kMargin + kGutter) / (cell + kGutter), 1, count);
  const int down = (count + across - 1) / across;
  across = (count + down - 1) / down;

  const int width = std::max(kMinDocument, 2 * kMargin + across * cell + (across - 1) * kGutter);
  const std::size_t captionColumns = ColumnsIn(width - 2 * kMargin);
  std::vector<Label> caption{
      MakeLabel(node.programId + (node.comment.empty() ? "" : "  " + node.comment), captionColumns)};
  const std::string values = node.populated && !node.configurationFile.empty()
                                 ? "values from " + BaseName(node.configurationFile)
                                 : "values: the catalogue's defaults";
  const std::size_t objects = node.objects.size();
  caption.push_back(MakeLabel(
      std::to_string(objects) + (objects == 1 ? " LonMark object, " : " LonMark objects, ") + values, captionColumns));

  std::string body;
  int top = kMargin;
  for (const Label& line : caption) {
    Text(body, kMargin, top, line, "caption");
    top += kLine;
  }
  top += kPad;
  for (int row = 0; row < down; ++row) {
    int tallest = 0;
    for (int column = 0; column < across; ++column) {
      const std::size_t at = static_cast<std::size_t>(row * across + column);
      if (at >= blocks.size()) break;
      DrawBlock(body, blocks[at], kMargin + column * (cell + kGutter) + kArrow, top, frame);
      tallest = std::max(tallest, blocks[at].height);
    }
    top += tallest + kGutter;
  }
  const int height = top - kGutter + kMargin;

  const std::string w = std::to_string(width), h = std::to_string(height);
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " +
         h + "\" font-family=\"'DejaVu Sans Mono', 'Liberation Mono', monospace\" font-size=\"" +
         std::to_string(kFontSize) + "\" role=\"img\">\n<title>" + Escaped("Functional blocks of " + node.programId) +
         "</title>\n<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n" + body + "</svg>\n";
}

std::string DiagramDocument(const Node& node, const std::vector<PointRow>& rows) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + DiagramSvg(node, rows);
}

}  // namespace vemo::cli
