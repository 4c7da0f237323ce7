// vemo check: what a user must fix in a catalogue folder.
#include <ostream>

#include "vemosupport/catalogue.h"
#include "commands.h"
#include "catalogue_listing.h"
#include "errors.h"
#include "json_output.h"

namespace vemo::cli {

namespace {

Json CheckJson(const std::string& folder, const CatalogueCheck& check) {
  Json problems = Json::array();
  for (const CatalogueProblem& problem : check.problems) {
    problems.push_back({{"xmlFilename", problem.xmlFilename},
                        {"programId", problem.programId},
                        {"kind", problem.kind},
                        {"description", problem.description}});
  }
  return {{"schema", kJsonSchema}, {"kind", "check"},      {"folder", folder},
          {"files", check.files},  {"entries", check.entries}, {"clean", check.problems.empty()},
          {"problems", std::move(problems)}};
}

void PrintCheck(std::ostream& out, const std::string& folder, const CatalogueCheck& check) {
  for (const CatalogueProblem& problem : check.problems) {
    out << Printable(FileName(problem.xmlFilename, folder))
        << (problem.programId.empty() ? "" : "  " + Printable(problem.programId)) << "  " << problem.kind << ": "
        << Printable(problem.description) << "\n";
  }
  const auto count = [](std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  out << "Checked " << Printable(folder) << ": " << count(check.files, "catalogue file", "catalogue files") << ", "
      << count(check.entries, "device entry", "device entries") << ", "
      << (check.problems.empty() ? std::string("no problems") : count(check.problems.size(), "problem", "problems"))
      << "\n";
}

}  // namespace

int CheckCommand(const Options& options, std::ostream& out) {
  const std::string folder = ResolveFolder(options, "check");
  const CatalogueCheck check = CheckCatalogue(folder);
  if (options.json) {
    WriteJson(out, CheckJson(folder, check));
  } else {
    PrintCheck(out, folder, check);
  }
  return check.problems.empty() ? kExitOk : kExitError;
}

}  // namespace vemo::cli
