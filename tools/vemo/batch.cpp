#include "batch.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "vemosupport/automation_error.h"
#include "vemosupport/cFactory.h"
#include "errors.h"
#include "ids.h"
#include "render.h"

namespace vemo::cli {

namespace {

enum class Outcome { kFound, kNotFound, kError };

// The exit code of the whole batch: a library error outweighs a missing entry.
class Tally {
 public:
  void Add(Outcome outcome) {
    error_ = error_ || outcome == Outcome::kError;
    notFound_ = notFound_ || outcome == Outcome::kNotFound;
  }
  int ExitCode() const { return error_ ? kExitError : notFound_ ? kExitNotFound : kExitOk; }

 private:
  bool error_ = false;
  bool notFound_ = false;
};

// Lines of --from are read with a bound: an ID is 4 or 16 characters, so a longer line
// is answered as an error and skipped to its end, and input that runs on without a line
// end (/dev/zero) is not read past kMaxSkippedBytes, so memory and time stay bounded.
constexpr std::streamsize kMaxLineBytes = 4096;
constexpr std::streamsize kMaxSkippedBytes = 1 << 20;
constexpr std::size_t kShownBytes = 32;  // of an overlong line, in its answer

// One line of --from that asks something.
struct Query {
  std::string id;         // the line; for an overlong one, its first kShownBytes and "..."
  std::size_t line = 0;   // 1-based
  bool overlong = false;  // longer than kMaxLineBytes: no ID
};

// The IDs of --from, one a line: a line that is blank or whose first non-blank
// character is "#" asks nothing; a line's "\r" before its "\n" is dropped; every other
// line goes to the lookup as it stands (the lookup ignores spaces around an ID).
class IdFile {
 public:
  explicit IdFile(const std::string& name) : name_(name) {
    if (name == "-") {
      in_ = &std::cin;
      return;
    }
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) throw UsageError("--from \"" + Printable(name) + "\" is a folder");
    file_.open(name, std::ios::binary);
    if (!file_) throw UsageError("--from \"" + Printable(name) + "\" is not a readable file");
    in_ = &file_;
  }

  // The next query into `query`; false at the end of the file, or where reading stopped.
  bool Next(Query& query) {
    while (!stopped_) {
      in_->getline(buffer_, sizeof buffer_);
      const std::streamsize extracted = in_->gcount();
      if (extracted == 0) break;  // the end, or nothing more to read
      ++lines_;
      // Failing with characters read: the buffer is full and the line goes on. Else the
      // line end was read too, unless the input ended first.
      const bool overlong = in_->fail();
      std::string line(buffer_, static_cast<std::size_t>(overlong || in_->eof() ? extracted : extracted - 1));
      if (overlong) Skip();
      if (!line.empty() && line.back() == '\r' && !overlong) line.pop_back();
      const std::size_t first = line.find_first_not_of(" \t\v\f");
      if (first == std::string::npos || line[first] == '#') continue;
      if (overlong) line = line.substr(0, kShownBytes) + "...";
      query = {std::move(line), lines_, overlong};
      return true;
    }
    if (in_->bad()) throw std::runtime_error("cannot read --from \"" + Printable(name_) + "\"");
    return false;
  }

  // Said after the answers when reading stopped early; empty otherwise.
  std::string StopReason() const {
    if (!stopped_) return {};
    return "line " + std::to_string(lines_) + " of --from \"" + Printable(name_) + "\" runs past " +
           std::to_string(kMaxSkippedBytes) + " bytes without a line end: the rest is not read";
  }

 private:
  // Passes the rest of an overlong line without keeping it.
  void Skip() {
    in_->clear(in_->rdstate() & ~std::ios::failbit);
    in_->ignore(kMaxSkippedBytes, '\n');
    stopped_ = in_->gcount() == kMaxSkippedBytes && !in_->eof();
  }

  std::string name_;
  std::ifstream file_;
  std::istream* in_ = nullptr;
  char buffer_[kMaxLineBytes + 1];
  std::size_t lines_ = 0;
  bool stopped_ = false;
};

// A batch document: the single answer's document with the ID it answers after "kind".
Json WithQuery(const Json& document, const std::string& id) {
  Json record = Json::object();
  for (const auto& [key, value] : document.items()) {
    record[key] = value;
    if (key == "kind") record["query"] = id;
  }
  return record;
}

template <class Snapshot>
void WriteFound(const Options& options, const std::string& id, const Snapshot& snapshot, std::ostream& out) {
  if (options.json) {
    WriteJsonLine(out, WithQuery(ToJson(snapshot), id));
  } else {
    out << "== " << Printable(id) << "\n";
    PrintText(out, snapshot);
  }
}

void WriteNotFound(const Options& options, const std::string& id, std::ostream& out) {
  if (options.json) {
    WriteJsonLine(out, WithQuery(NotFoundJson(id), id));
  } else {
    out << "== " << Printable(id) << "\nno catalogue entry\n";
  }
}

void WriteError(const Options& options, const std::string& id, const AutomationError& error, std::ostream& out) {
  const ErrorInfo info{error.number(), error.source(), error.description()};
  if (options.json) {
    WriteJsonLine(out, WithQuery(ErrorJson(info), id));
    return;
  }
  out << "== " << Printable(id) << "\nerror " << info.number;
  if (!info.source.empty()) out << " in " << Printable(info.source);
  out << ": " << Printable(info.description);
  if (info.number == err::kPathNotFound && !options.catalog) out << " (" << FoldersTried() << ")";
  out << "\n";
}

// Answers every ID of the command line, then every ID of --from, each with `lookUp`
// (factory, ID) giving a record or nothing, and `read` turning a record into what is
// shown. Each answer is flushed at once, so that a program feeding standard input
// line by line reads each answer as soon as it is known.
template <class LookUp, class Read>
int RunBatch(const Options& options, std::ostream& out, LookUp lookUp, Read read) {
  std::unique_ptr<IdFile> file;
  if (options.from) file = std::make_unique<IdFile>(*options.from);  // refused before any answer
  cFactory factory;
  const std::string folder = options.catalog.value_or(std::string());
  Tally tally;
  const auto answer = [&](const std::string& id) {
    Outcome outcome = Outcome::kFound;
    try {
      const auto record = lookUp(factory, NormalizeId(id), folder);
      if (record) {
        WriteFound(options, id, read(*record), out);
      } else {
        WriteNotFound(options, id, out);
        outcome = Outcome::kNotFound;
      }
    } catch (const AutomationError& error) {
      WriteError(options, id, error, out);
      outcome = Outcome::kError;
    }
    out.flush();
    tally.Add(outcome);
  };
  for (const std::string& id : options.ids) answer(id);
  Query query;
  while (file && file->Next(query)) {
    if (!query.overlong) {
      answer(query.id);
      continue;
    }
    WriteError(options, query.id,
               AutomationError(err::kOverflow, "--from",
                               "line " + std::to_string(query.line) + " is longer than " +
                                   std::to_string(kMaxLineBytes) + " bytes, so it holds no ID; it is skipped"),
               out);
    out.flush();
    tally.Add(Outcome::kError);
  }
  if (file && !file->StopReason().empty()) {
    std::cerr << "vemo: " << file->StopReason() << "\n";
    tally.Add(Outcome::kError);
  }
  return tally.ExitCode();
}

}  // namespace

bool IsBatch(const Options& options) { return options.ids.size() > 1 || options.from.has_value(); }

const std::string& SingleId(const Options& options) {
  if (options.ids.empty()) throw UsageError("give a program ID or device code, or --from FILE");
  return options.ids.front();
}

int InfoBatch(const Options& options, std::ostream& out) {
  return RunBatch(
      options, out,
      [](cFactory& factory, const std::string& id, const std::string& folder) {
        return factory.CreateProgIDInfo(id, folder);
      },
      [](const IVemoProgIDInfo& record) { return ReadDeviceInfo(record); });
}

int ConfigInfoBatch(const Options& options, std::ostream& out) {
  return RunBatch(
      options, out,
      [](cFactory& factory, const std::string& id, const std::string& folder) {
        return factory.CreateProgIDConfigInfo(id, folder);
      },
      [](const IVemoProgIDConfigInfo& record) { return ReadConfigInfo(record); });
}

}  // namespace vemo::cli
