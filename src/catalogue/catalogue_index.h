#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/xml_dom.h"

namespace vemo {

// What a catalogue file holds, as far as a lookup needs to know: enough to tell that a
// file cannot hold a program ID or device code, without loading it.
struct CatalogueFileKeys {
  enum class Kind { Broken, NotACatalogue, Catalogue };
  Kind kind = Kind::NotACatalogue;
  platform::XmlParseError error;         // what loading the file reported, when broken
  std::vector<std::string> programIds;   // sorted ProgramID values of the root's C5Device children
  std::vector<std::string> deviceCodes;  // sorted texts of the DeviceCode children of every DevInfo
  bool everyKeyKept = true;              // false when some were too long or too many to keep

  // False only when a lookup of this value ("P" and the ID) or code cannot match here.
  bool MayHoldProgramId(const std::string& attributeValue) const;
  bool MayHoldDeviceCode(const std::string& code) const;
};

// Reads the keys of a file's bytes with the tree-free scan, or with a full load when
// the scan cannot vouch for the file. The keys are taken by local name in any
// namespace, so they hold at least every value the lookup queries can match. Shows no
// message box.
CatalogueFileKeys ReadCatalogueFileKeys(const std::string& path, std::string_view bytes);

// The keys of `bytes`, the content of the file `name` of `folder` (path `path`) as a
// lookup has just read it: from the index when it recorded that file with exactly
// these bytes (same length and 128-bit hash), otherwise read now and recorded. Metadata
// is never trusted: a file rewritten in place keeps its size and times on some file
// systems. Safe from several threads at once; no lock is held while a file is read.
std::shared_ptr<const CatalogueFileKeys> IndexedCatalogueFileKeys(const std::string& folder, const std::string& name,
                                                                  const std::string& path, std::string_view bytes);

// Drops the folder's records of files that `listing` no longer holds.
void ForgetUnlistedFiles(const std::string& folder, const std::vector<platform::FileEntry>& listing);

// Whether lookups on this thread use the tree-free scan and the index: as
// SetCatalogueIndexEnabled says, unless a PlainLookupsHere lives on the thread.
bool CatalogueIndexInUse();

// While alive, lookups on the thread that made it load every file in full, as with the
// index switched off, and leave the index as it is: what a lookup without the index
// answers can then be told next to what it answers with it.
class PlainLookupsHere {
 public:
  PlainLookupsHere();
  ~PlainLookupsHere();
  PlainLookupsHere(const PlainLookupsHere&) = delete;
  PlainLookupsHere& operator=(const PlainLookupsHere&) = delete;

 private:
  bool outer_;
};

// How many times the index has read a file's keys (scanned or loaded it) in this process.
std::uint64_t CatalogueFileReads();

}  // namespace vemo
