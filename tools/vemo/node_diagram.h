#pragma once

#include <string>
#include <vector>

#include "point_rows.h"
#include "snapshot.h"

namespace vemo::cli {

// The node's LonMark objects as a block diagram: one SVG element (no XML declaration, so
// that a page may hold it inline). Each object is a block headed by its name and profile
// (type number and description), its input NVs arrows in on the left, its output NVs
// arrows out on the right, its CPs and configuration NVs listed below with their values;
// points in no object get a dashed block of their own. The blocks lie in a grid that
// wraps, all of one width. Text is measured in the columns of a monospace font, so no
// text leaves its block; a longer text is cut with "…" and shown whole as its tooltip.
// The same node always gives the same bytes.
std::string DiagramSvg(const Node& node, const std::vector<PointRow>& rows);

// DiagramSvg as a file of its own.
std::string DiagramDocument(const Node& node, const std::vector<PointRow>& rows);

}  // namespace vemo::cli
