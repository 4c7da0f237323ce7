// What the catalogue differential tests share: one lookup made both ways and compared,
// the keys and file contents that make lookups interesting, and a folder that changes
// at random between lookups.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/test_support.h"
#include "catalogue/catalogue_index.h"
#include "catalogue/catalogue_search.h"
#include "platform/xml_dom.h"

namespace vemo::test::differential {

namespace fs = std::filesystem;

struct Outcome {
  std::string file;
  std::string element;             // where the element lies and what it holds; empty for nothing
  std::vector<std::string> boxes;  // title, style and text of each message box, in order
};

// The element's position (child numbers from the root down), name, attributes and text.
inline std::string Describe(const platform::XmlNode& element) {
  if (!element) return {};
  std::string where;
  for (platform::XmlNode node = element; node; node = node.parentNode()) {
    const platform::XmlNode parent = node.parentNode();
    if (!parent) break;
    const std::vector<platform::XmlNode> siblings = parent.childNodes();
    std::size_t position = 0;
    while (position < siblings.size() && !(siblings[position] == node)) ++position;
    where = "/" + std::to_string(position) + where;
  }
  std::string description = where + " <" + element.baseName();
  for (const platform::XmlAttribute& attribute : element.attributes()) {
    description += " " + attribute.baseName + "=\"" + attribute.value + "\"";
  }
  return description + "> " + element.text();
}

// A lookup as the factory makes it: 16 characters by program ID, otherwise by code.
inline Outcome Lookup(const std::string& folder, const std::string& key, bool indexed) {
  const MessageBoxRecorder recorder;
  std::optional<PlainLookupsHere> plain;
  if (!indexed) plain.emplace();
  const CatalogueMatch match = key.size() == 16 ? SearchByProgramID(folder, key) : SearchByDeviceCode(folder, key);
  Outcome outcome{match.file, Describe(match.element), {}};
  for (const RecordedBox& box : recorder.boxes()) {
    outcome.boxes.push_back(box.title + " (" + std::to_string(box.style) + "): " + box.text);
  }
  return outcome;
}

// The lookup with the scan and index, then loading every file; both must agree.
inline Outcome Compare(const std::string& folder, const std::string& key) {
  const Outcome indexed = Lookup(folder, key, true);
  const Outcome plain = Lookup(folder, key, false);
  EXPECT_EQ(indexed.file, plain.file);
  EXPECT_EQ(indexed.element, plain.element);
  EXPECT_EQ(indexed.boxes, plain.boxes);
  return indexed;
}

inline const std::vector<std::string> kProgramIds = {"9000000000000001", "9000000000000002", "9000000000000003",
                                                     "900000000000000a", "9000000000000099"};
inline const std::vector<std::string> kDeviceCodes = {"AB12", "CD34", "EF56", "GH78", "ab12", "\xC3\x89" "B12"};

// Every key the contents below use, and some that nothing holds or that no query can take.
inline const std::vector<std::string> kKeys = [] {
  std::vector<std::string> keys = kProgramIds;
  keys.insert(keys.end(), kDeviceCodes.begin(), kDeviceCodes.end());
  keys.insert(keys.end(), {"9FFFFFFFFFFFFFFF", "ZZ99", "A\"12", "AB1 "});
  return keys;
}();

// A catalogue with one plain entry for every program ID and code.
inline std::string HoldingEveryKey() {
  std::string devices;
  for (std::size_t i = 0; i < kProgramIds.size() || i < kDeviceCodes.size(); ++i) {
    devices += Device(kProgramIds[i % kProgramIds.size()], kDeviceCodes[i % kDeviceCodes.size()]);
  }
  return Catalogue(devices);
}

inline std::string Entry(const std::string& devInfo, const std::string& id = "9000000000000001") {
  return "  <C5Device ProgramID=\"P" + id + "\">" + devInfo + "</C5Device>\n";
}

inline std::string Code(const std::string& text) { return "<DevInfo><DeviceCode>" + text + "</DeviceCode></DevInfo>"; }

// Whole files, each one thing a lookup must read exactly as a full load reads it.
inline std::vector<std::pair<std::string, std::string>> MakeCases() {
  const std::string plain = Entry(Code("AB12")) + Entry(Code("CD34"), "9000000000000002");
  std::string attributes;
  for (int i = 0; i < 300; ++i) attributes += " a" + std::to_string(i) + "=\"1\"";
  return {
      {"plain", Catalogue(plain)},
      {"default namespace on the root", "<C5Devices xmlns=\"urn:x\">" + plain + "</C5Devices>"},
      {"prefixed root", "<c:C5Devices xmlns:c=\"urn:c\">" + plain + "</c:C5Devices>"},
      {"device in a namespace",
       Catalogue("<n:C5Device xmlns:n=\"urn:n\" ProgramID=\"P9000000000000001\">" + Code("AB12") + "</n:C5Device>")},
      {"DevInfo in a default namespace",
       Catalogue(Entry("<DevInfo xmlns=\"urn:d\"><DeviceCode>AB12</DeviceCode></DevInfo>"))},
      {"prefixed DeviceCode", Catalogue(Entry("<DevInfo xmlns:d=\"urn:d\"><d:DeviceCode>AB12</d:DeviceCode></DevInfo>"))},
      {"prefixed ProgramID", Catalogue("<C5Device xmlns:a=\"urn:a\" a:ProgramID=\"P9000000000000001\"/>")},
      {"undeclared prefix", Catalogue("<x:C5Device ProgramID=\"P9000000000000001\"/>")},
      {"code split by a comment", Catalogue(Entry(Code("A<!-- between -->B12")))},
      {"code split by CDATA", Catalogue(Entry(Code("<![CDATA[AB]]>12")))},
      {"code by character references", Catalogue(Entry(Code("&#65;&#x42;12")))},
      {"code from an internal entity",
       "<!DOCTYPE C5Devices [<!ENTITY c \"AB12\">]>\n<C5Devices>" + Entry(Code("&c;")) + "</C5Devices>"},
      {"code with an element inside", Catalogue(Entry(Code("A<b>B</b>12")))},
      {"code with a processing instruction inside", Catalogue(Entry(Code("AB<?pi x?>12")))},
      {"code with whitespace around", Catalogue(Entry(Code(" AB12")) + Entry(Code("AB12\n"), "9000000000000002"))},
      {"code as an attribute", Catalogue(Entry("<DevInfo DeviceCode=\"AB12\"/>"))},
      {"DevInfo nested deeper", Catalogue(Entry("<Group><Sub>" + Code("AB12") + "</Sub></Group>"))},
      {"several DevInfo", Catalogue(Entry(Code("CD34") + Code("AB12")) + Code("EF56"))},
      {"DevInfo inside DevInfo", Catalogue(Entry("<DevInfo><DevInfo><DeviceCode>AB12</DeviceCode></DevInfo></DevInfo>"))},
      {"several DeviceCode in one DevInfo",
       Catalogue(Entry("<DevInfo><DeviceCode>CD34</DeviceCode><DeviceCode>AB12</DeviceCode></DevInfo>"))},
      {"DeviceCode inside DeviceCode",
       Catalogue(Entry("<DevInfo><DeviceCode><DevInfo><DeviceCode>AB12</DeviceCode></DevInfo></DeviceCode></DevInfo>"))},
      {"device nested deeper", Catalogue("<Group>" + Entry(Code("AB12")) + "</Group>")},
      {"ProgramID without P", Catalogue("<C5Device ProgramID=\"9000000000000001\"/>")},
      {"ProgramID by references", Catalogue("<C5Device ProgramID=\"&#80;9000000000000001\"/>")},
      {"ProgramID with a line break", Catalogue("<C5Device ProgramID=\"P900000000000\n0001\"/>")},
      {"same ProgramID twice", Catalogue(Entry(Code("CD34")) + Entry(Code("AB12")))},
      {"Latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<C5Devices>" + Entry(Code("\xC9" "B12")) + "</C5Devices>"},
      {"UTF-16", Utf16le(Catalogue(plain))},
      {"external DTD, not read", "<!DOCTYPE C5Devices SYSTEM \"http://example.invalid/c.dtd\">\n" + Catalogue(plain)},
      {"xml:id", Catalogue("<C5Device xml:id=\"d1\" ProgramID=\"P9000000000000001\">" + Code("AB12") + "</C5Device>")},
      {"xml:id that is not a name", Catalogue("<C5Device xml:id=\"1\" ProgramID=\"P9000000000000001\"/>")},
      {"xml:id twice", Catalogue("<C5Device xml:id=\"d\" ProgramID=\"P9000000000000001\"/><C5Device xml:id=\"d\"/>")},
      {"a long text", Catalogue(Entry(Code("AB12") + "<Description>" + std::string(1'100'000, 'x') + "</Description>"))},
      {"not a catalogue", "<Other>" + plain + "</Other>"},
      {"broken: unclosed element on line 3", "<C5Devices>\n" + Entry(Code("AB12")) + "<C5Device ProgramID=P1/>\n</C5Devices>\n"},
      {"broken: mismatched end tag", Catalogue(plain + "\n\n</C5Device>")},
      {"broken: undefined entity", Catalogue(Entry(Code("&nope;")))},
      {"broken: external entity",
       "<!DOCTYPE C5Devices [<!ENTITY e SYSTEM \"file:///secret.txt\">]>\n<C5Devices>" + Entry(Code("&e;")) + "</C5Devices>"},
      {"broken: too many attributes", Catalogue("<C5Device" + attributes + "/>")},
      {"broken: invalid UTF-8", Catalogue(Entry(Code("AB12") + "<X>\xFF\xFE</X>"))},
      {"broken: content after the root", Catalogue(plain) + "<C5Devices/>"},
      {"broken: declaration only", "<?xml version=\"1.0\"?>\n"},
      {"broken: empty", ""},
  };
}

inline const std::vector<std::pair<std::string, std::string>> kCases = MakeCases();

// Every program ID and device code written plainly in the folder's files.
inline std::vector<std::string> KeysIn(const std::string& folder) {
  static const std::regex pattern("ProgramID=\"P([^\"]{16})\"|<DeviceCode>([^<]{4})</DeviceCode>");
  std::set<std::string> keys;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string text = test::ReadFile(entry.path().string());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern); it != std::sregex_iterator(); ++it) {
      keys.insert((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    }
  }
  return {keys.begin(), keys.end()};
}

// A catalogue folder changed at random: files rewritten (also with the same size and
// modification time), touched, replaced, deleted, added, renamed, replaced by a folder,
// a pipe or a link (out of the folder or within it).
class ChangingFolder {
 public:
  ChangingFolder(const TempDir& dir, unsigned seed, int files) : random_(seed), files_(files) {
    folder_ = dir.Mkdir("catalogue") + "/";
    outside_ = dir.Write("outside.xml", HoldingEveryKey());
    for (int i = 0; i < files; ++i) Write(AnyName(), AnyContent());
  }

  const std::string& path() const { return folder_; }
  bool Chance(int n) { return random_() % static_cast<unsigned>(n) == 0; }
  std::string AnyKey() { return Pick(kKeys); }

  // One to three changes; says which.
  std::string Change() {
    std::string done;
    for (int count = 1 + static_cast<int>(random_() % 3); count > 0; --count) done += ChangeOne() + "; ";
    return done;
  }

 private:
  template <class T>
  const T& Pick(const std::vector<T>& items) {
    return items[random_() % items.size()];
  }

  std::string AnyName() {
    const int kind = static_cast<int>(random_() % 8);
    if (kind == 0) return "MiscPIDs.xml";
    if (kind == 1) return Pick(kProgramIds) + ".xml";
    if (kind == 2) return Chance(2) ? "upper" + std::to_string(random_() % 3) + ".XML" : "kept.xml.bak";
    return "c" + std::to_string(random_() % static_cast<unsigned>(files_ + 2)) + ".xml";
  }

  std::string AnyContent() {
    if (Chance(2)) return Pick(kCases).second;
    std::string devices;
    for (int count = 1 + static_cast<int>(random_() % 4); count > 0; --count) {
      devices += Device(Pick(kProgramIds), Pick(kDeviceCodes));
    }
    return Catalogue(devices);
  }

  void Write(const std::string& name, const std::string& content) {
    const std::string path = folder_ + name;
    if (fs::is_symlink(path) || (fs::exists(path) && !fs::is_regular_file(path))) fs::remove_all(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  }

  std::vector<std::string> Entries() {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  // The same number of bytes with one key changed (or, failing that, the last byte),
  // and the old modification time put back.
  std::string RewriteKeepingSizeAndTime(const std::string& name) {
    const std::string path = folder_ + name;
    struct stat before {};
    if (::stat(path.c_str(), &before) != 0) return "nothing to rewrite";
    std::string text = test::ReadFile(path);
    if (text.empty()) return "empty, kept";
    bool changed = false;
    for (const std::string& code : kDeviceCodes) {
      const std::size_t at = text.find(">" + code + "<");
      if (at == std::string::npos || code.size() != 4) continue;
      text.replace(at + 1, 4, code == "GH78" ? "AB12" : "GH78");
      changed = true;
      break;
    }
    if (!changed) text.back() = text.back() == '>' ? ' ' : '>';
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    return "rewrote " + name + " with the same size and time";
  }

  std::string ChangeOne() {
    const std::vector<std::string> entries = Entries();
    const int kind = static_cast<int>(random_() % 10);
    if (entries.empty() || kind == 0) {
      const std::string name = AnyName();
      Write(name, AnyContent());
      return "wrote " + name;
    }
    const std::string name = Pick(entries);
    const std::string path = folder_ + name;
    const bool regular = fs::is_regular_file(fs::symlink_status(path));
    switch (kind) {
      case 1:
        if (regular) return RewriteKeepingSizeAndTime(name);
        [[fallthrough]];
      case 2:
        Write(name, AnyContent());
        return "rewrote " + name;
      case 3:
        ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0);
        return "touched " + name;
      case 4: {
        const std::string replacement = folder_ + "new.tmp";
        std::ofstream(replacement, std::ios::binary) << AnyContent();
        if (fs::is_directory(fs::symlink_status(path))) fs::remove_all(path);
        fs::rename(replacement, path);
        return "replaced " + name;
      }
      case 5:
        fs::remove_all(path);
        return "deleted " + name;
      case 6:
        fs::remove_all(path);
        fs::create_directory(path);
        return "made " + name + " a folder";
      case 7:
        fs::remove_all(path);
        ::mkfifo(path.c_str(), 0600);
        return "made " + name + " a pipe";
      case 8: {
        fs::remove_all(path);
        const bool out = Chance(2) || entries.size() < 2;
        fs::create_symlink(out ? outside_ : folder_ + Pick(entries), path);
        return "made " + name + " a link " + (out ? "out of the folder" : "within it");
      }
      default: {
        const std::string to = AnyName();
        if (to == name) return "kept " + name;
        fs::remove_all(folder_ + to);
        fs::rename(path, folder_ + to);
        return "renamed " + name + " to " + to;
      }
    }
  }

  std::mt19937 random_;
  int files_;
  std::string folder_, outside_;
};

}  // namespace vemo::test::differential
