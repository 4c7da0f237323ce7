#pragma once

// Listing and checking what a catalogue folder holds. ListCatalogue and CheckCatalogue
// may be called from any thread; their results are plain values.

#include <cstddef>
#include <string>
#include <vector>

#include "vemosupport/export.h"

namespace vemo {

// One device entry, as a device-information record made from it reads it.
struct CatalogueEntry {
  std::string programId;  // without the attribute's leading "P"
  std::string deviceCode, deviceType, manufacturer;
  std::string xmlFilename;  // the file that holds it
};

// A catalogue file that a lookup would report as broken and skip.
struct UnreadableCatalogueFile {
  std::string xmlFilename;
  std::string description;  // "line N: " and the reason, or the reason alone
};

struct CatalogueListing {
  std::vector<CatalogueEntry> entries;
  std::vector<UnreadableCatalogueFile> unreadableFiles;
};

// Every device entry of `folder` in the order a lookup scans them (the folder's .xml
// files by name, each file's C5Device entries in document order), read under the same
// rules and limits as a lookup, and every file a lookup would skip as broken. Shows no
// message box. Error 76 when the folder cannot be listed.
VEMO_EXPORT CatalogueListing ListCatalogue(const std::string& folder);

// One thing in a catalogue folder that a user must fix.
struct CatalogueProblem {
  std::string xmlFilename;  // the file concerned
  std::string programId;    // the entry concerned; empty for a problem of the whole file
  std::string kind;         // a stable keyword, e.g. "unreadable-file", "nv-size"
  std::string description;  // what is wrong and what a lookup or population then does
};

struct CatalogueCheck {
  std::size_t files = 0;    // catalogue files examined
  std::size_t entries = 0;  // device entries examined
  std::vector<CatalogueProblem> problems;  // in listing order
};

// Checks every catalogue file of `folder` as a lookup and a population would read it:
// each entry's record is made and a node populated from it, and what that reports,
// discards or files nowhere becomes a problem, as do sizes that contradict a standard
// type and definitions that no lookup ever returns; an entry whose record or node raises
// an error is one problem ("entry-error") and the other entries are still checked. The
// kinds are listed in docs/json.md. Shows no message box (the boxes population would show on this thread
// are collected instead). Error 76 when the folder cannot be listed.
VEMO_EXPORT CatalogueCheck CheckCatalogue(const std::string& folder);

// --- Lookup index ---------------------------------------------------------------------

// Device lookups (cFactory's CreateProgIDInfo and CreateProgIDConfigInfo) read each
// catalogue file without building its tree and remember, per process, what every file
// of a folder holds, with a 128-bit hash of its bytes. A later lookup in that folder
// still reads every file it passes, but parses again only a file whose bytes changed,
// and loads in full only the file that holds the entry; a file's size, times or inode
// are never taken as proof that it is unchanged. Answers and message boxes are the same
// either way. On by default; switching it off also forgets what was remembered, and
// every lookup then loads every file it passes. Any thread may call these at any time;
// lookups under way finish as they began.
VEMO_EXPORT void SetCatalogueIndexEnabled(bool enabled);
VEMO_EXPORT bool CatalogueIndexEnabled();

}  // namespace vemo
