// vemo report: a static HTML site of a catalogue folder, readable from file:// with no
// server and no scripts: an index of every entry and a page per device.
#include <sys/stat.h>

#include <future>
#include <map>
#include <ostream>
#include <set>

#include "vemosupport/I709Node.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/catalogue.h"
#include "vemosupport/file_output.h"
#include "vemosupport/host.h"
#include "commands.h"
#include "config_file.h"
#include "catalogue_listing.h"
#include "errors.h"
#include "markup.h"
#include "node_diagram.h"
#include "point_rows.h"
#include "snapshot.h"

namespace vemo::cli {

namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1.5em;color:#222}"
    "table{border-collapse:collapse;margin:0.5em 0}"
    "th,td{border:1px solid #bbb;padding:0.2em 0.5em;text-align:left;vertical-align:top;overflow-wrap:anywhere}"
    "th{background:#e8eef4}"
    "td.mono{font-family:monospace}"
    ".problem{color:#a00;font-weight:bold}"
    ".diagram{overflow:auto;border:1px solid #bbb}";

// Pages are written a few at a time, several such writes at once, while the next pages are
// made: every file waits for the disk's flush, and flushes that wait together take little
// longer than one.
constexpr std::size_t kBatch = 2;    // files of one write
constexpr std::size_t kWriters = 8;  // writes under way at once

// Population shows message boxes for what the check reports anyway: the report lists the
// problems instead.
struct QuietBoxes {
  QuietBoxes() { SetMessageBoxHandler([](const std::string&, const std::string&, int) { return kMbResultOk; }); }
  ~QuietBoxes() { SetMessageBoxHandler(nullptr); }
};

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<title>" + Escaped(title) +
         "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" + body + "</body>\n</html>\n";
}

std::string Cell(const std::string& text, const char* cls = nullptr) {
  return (cls ? "<td class=\"" + std::string(cls) + "\">" : std::string("<td>")) + Escaped(text) + "</td>";
}

std::string Link(const std::string& href, const std::string& text) {
  return "<a href=\"" + Escaped(href) + "\">" + Escaped(text) + "</a>";
}

// A program ID as a file name: only an ID of 16 upper-case hexadecimal digits names its
// own files; any other text from a catalogue file could name a path.
bool PlainId(const std::string& id) {
  return id.size() == 16 && id.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

bool IsFile(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string Problems(const std::vector<const CatalogueProblem*>& problems, const std::string& folder) {
  std::string html = "<ul>\n";
  for (const CatalogueProblem* problem : problems) {
    html += "<li><span class=\"problem\">" + Escaped(problem->kind) + "</span> in " +
            Escaped(FileName(problem->xmlFilename, folder)) + ": " + Escaped(problem->description) + "</li>\n";
  }
  return html + "</ul>\n";
}

struct Device {
  std::string id, page;
  std::string xmlFilename;  // the entry a lookup of the ID returns; empty when there is none
};

std::string PointsTable(const std::vector<PointRow>& rows) {
  std::string html = "<table>\n<tr><th>Object</th><th>Point</th><th>Name</th><th>Direction</th><th>Type</th>"
                     "<th>Value</th><th>Bytes</th></tr>\n";
  for (const PointRow& row : rows) {
    html += "<tr>" + Cell(row.object) + Cell(row.kind + " " + std::to_string(row.index)) + Cell(row.name, "mono") +
            Cell(row.direction) + Cell(row.type, "mono") + Cell(row.value) +
            Cell(row.bytes ? "0x" + *row.bytes : row.error, "mono") + "</tr>\n";
  }
  return html + "</table>\n";
}

// The device's page: its record, its problems, its block diagram and its points.
std::string DevicePage(cFactory& factory, Device& device, const std::string& folder,
                       const std::optional<std::string>& configFolder,
                       const std::vector<const CatalogueProblem*>& problems) {
  std::string body = "<p>" + Link("index.html", "Catalogue index") + "</p>\n<h1>" + Escaped(device.id) + "</h1>\n";
  if (!problems.empty()) body += "<section id=\"problems\">\n<h2>Problems</h2>\n" + Problems(problems, folder) + "</section>\n";
  try {
    const auto record = factory.CreateProgIDInfo(device.id, folder);
    if (!record) return Page(device.id, body + "<p class=\"problem\">A lookup of this ID finds no entry.</p>\n");
    const DeviceInfo info = ReadDeviceInfo(*record);
    device.xmlFilename = info.xmlFilename;
    body += "<p>" + Escaped(info.deviceCode + " " + info.deviceType + ", " + info.manufacturer) + "</p>\n";
    body += "<section id=\"record\">\n<h2>Record</h2>\n<p>Entry in " + Escaped(FileName(info.xmlFilename, folder)) +
            (info.isValid ? "" : " (incomplete entry)") + "</p>\n<table>\n<tr><th>Item</th><th>Value</th></tr>\n";
    for (const Item& item : info.items) body += "<tr>" + Cell(item.name) + Cell(item.value) + "</tr>\n";
    body += "</table>\n</section>\n";

    const auto virtualNode = factory.CreateVirtualC472Node(record);
    std::string values = "the catalogue's defaults";
    const std::string kiv = configFolder && PlainId(device.id) ? *configFolder + "/" + device.id + ".kiv" : "";
    bool populated = false;
    if (!kiv.empty() && IsFile(kiv)) {
      populated = virtualNode->PopulateDevice(kiv);
      values = populated ? device.id + ".kiv" : "the catalogue's defaults: the node refused " + device.id + ".kiv";
    }
    if (!populated) populated = virtualNode->PopulateDevice("");
    const Node node = ReadNode(dynamic_cast<I709Node&>(*virtualNode), populated);
    const std::vector<PointRow> rows = PointRows(node);
    body += "<section id=\"diagram\">\n<h2>Functional blocks</h2>\n<p>Values from " + Escaped(values) +
            ".</p>\n<div class=\"diagram\">\n" + DiagramSvg(node, rows) + "</div>\n</section>\n";
    body += "<section id=\"points\">\n<h2>Points</h2>\n" + PointsTable(rows) + "</section>\n";
    return Page(device.id + " " + info.deviceCode + " " + info.deviceType, body);
  } catch (const AutomationError& error) {
    return Page(device.id, body + "<p class=\"problem\">Error " + std::to_string(error.number()) + " in " +
                               Escaped(error.source()) + ": " + Escaped(error.description()) + "</p>\n");
  }
}

std::string IndexPage(const std::string& folder, const CatalogueListing& listing, const CatalogueCheck& check,
                      const std::map<std::string, Device>& devices) {
  std::string rows;
  std::set<const CatalogueProblem*> shown;
  for (const CatalogueEntry& entry : listing.entries) {
    std::vector<const CatalogueProblem*> problems;
    for (const CatalogueProblem& problem : check.problems) {
      if (problem.programId == entry.programId && problem.xmlFilename == entry.xmlFilename) {
        problems.push_back(&problem);
        shown.insert(&problem);
      }
    }
    const Device& device = devices.at(entry.programId);
    std::string file = FileName(entry.xmlFilename, folder);
    if (!device.xmlFilename.empty() && device.xmlFilename != entry.xmlFilename) {
      file += " (a lookup returns the entry in " + FileName(device.xmlFilename, folder) + ")";
    }
    rows += std::string("<tr") + (problems.empty() ? "" : " class=\"problem\"") + "><td class=\"mono\">" +
            Link(device.page, entry.programId.empty() ? "(no program ID)" : entry.programId) + "</td>" +
            Cell(entry.deviceCode) + Cell(entry.deviceType) + Cell(entry.manufacturer) + Cell(file) + "<td>" +
            (problems.empty() ? std::string("none") : Problems(problems, folder)) + "</td></tr>\n";
  }
  std::vector<const CatalogueProblem*> others;
  for (const CatalogueProblem& problem : check.problems) {
    if (!shown.count(&problem)) others.push_back(&problem);
  }
  std::string body = "<h1>Catalogue " + Escaped(folder) + "</h1>\n<p>" + std::to_string(check.files) +
                     " catalogue files, " + std::to_string(listing.entries.size()) + " device entries, " +
                     std::to_string(check.problems.size()) + " problems (as vemo check finds them).</p>\n";
  body += "<section id=\"entries\">\n<h2>Entries, in lookup order</h2>\n<table>\n<tr><th>Program ID</th><th>Code</th>"
          "<th>Type</th><th>Manufacturer</th><th>Entry file</th><th>Problems</th></tr>\n" + rows + "</table>\n</section>\n";
  if (!others.empty()) {
    body += "<section id=\"files\">\n<h2>Problems of whole files</h2>\n" + Problems(others, folder) + "</section>\n";
  }
  return Page("Catalogue " + folder, body);
}

}  // namespace

int ReportCommand(const Options& options, std::ostream& out) {
  const std::string folder = ResolveFolder(options, "report");
  PrepareFolder(options.to);
  const QuietBoxes quiet;
  const CatalogueListing listing = ListCatalogue(folder);
  const CatalogueCheck check = CheckCatalogue(folder);

  // One page per program ID, as a lookup sees it; the index lists every entry.
  std::map<std::string, Device> devices;
  std::vector<std::pair<std::string, std::string>> batch;  // file name, content
  std::vector<std::future<void>> writing;
  std::size_t written = 0;
  const auto write = [&] {
    if (writing.size() == kWriters) {
      writing.front().get();
      writing.erase(writing.begin());
    }
    written += batch.size();
    writing.push_back(std::async(std::launch::async, [pages = std::move(batch), to = options.to] {
      std::vector<FileOutput> files;
      for (const auto& [name, content] : pages) files.push_back({to + "/" + name, content});
      WriteFilesAtomically(files, true);
    }));
    batch.clear();
  };
  cFactory factory;
  for (const CatalogueEntry& entry : listing.entries) {
    if (devices.count(entry.programId)) continue;
    Device& device = devices[entry.programId];
    device.id = entry.programId;
    device.page = PlainId(entry.programId) ? entry.programId + ".html" : "entry-" + std::to_string(devices.size()) + ".html";
    std::vector<const CatalogueProblem*> problems;
    for (const CatalogueProblem& problem : check.problems) {
      if (problem.programId == entry.programId) problems.push_back(&problem);
    }
    batch.emplace_back(device.page, DevicePage(factory, device, folder, options.configFolder, problems));
    if (batch.size() == kBatch) write();
  }
  if (!batch.empty()) write();
  for (std::future<void>& pages : writing) pages.get();
  // The index last, once every page is in place: it makes them reachable.
  WriteFilesAtomically({{options.to + "/index.html", IndexPage(folder, listing, check, devices)}}, true);
  out << "Wrote " << written << (written == 1 ? " device page" : " device pages") << " and "
      << Printable(options.to) << "/index.html\n";
  return kExitOk;
}

}  // namespace vemo::cli
