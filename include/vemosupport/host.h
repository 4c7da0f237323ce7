#pragma once

// The host's replaceable pieces: the message box, the catalogue-path service, the
// default catalogue folder, the configuration-file reader and the registration record.
//
// Thread safety: every setter here may be called from any thread at any time. A call
// that uses a piece takes a counted snapshot of it first, so a handler may replace or
// remove itself (or another piece) while it runs, and other threads see the new piece
// from their next call on. A handler itself may be called from several threads at once
// when the host uses the library from several threads.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "vemosupport/export.h"
#include "vemosupport/variant.h"

namespace vemo {

// --- Message box ----------------------------------------------------------------------

// Message-box styles the library uses (icon flags; the only button is OK).
inline constexpr int kMbIconStop = 16;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kMbResultOk = 1;

// Shows a modal message box and answers the button pressed. An exception it throws
// reaches the caller of the library member that showed the box.
using MessageBoxHandler = std::function<int(const std::string& text, const std::string& title, int style)>;

// Replaces the message box for the whole process; an empty handler restores the default,
// which writes the title and text as a framed block to standard error (control
// characters shown as "?") and answers OK.
VEMO_EXPORT void SetMessageBoxHandler(MessageBoxHandler handler);

// --- Catalogue-path service -----------------------------------------------------------

// The outside component that names the installed catalogue folder.
class VEMO_EXPORT IConfigPathService {
 public:
  virtual ~IConfigPathService() = default;
  // The folder for `selector` (the factory always asks for 1), as a variant value.
  virtual Variant GetConfigPath(std::int32_t selector) = 0;
};

// Makes a service on demand; an exception it throws, or a null service (error 91),
// reaches the caller of the factory member that needed the folder.
using ConfigPathServiceFactory = std::function<std::unique_ptr<IConfigPathService>()>;

// Replaces the service for the whole process; an empty factory restores the default,
// whose selector 1 answers the environment variable VEMO_CONFIG_PATH (empty when unset).
VEMO_EXPORT void SetConfigPathServiceFactory(ConfigPathServiceFactory factory);

// --- Default catalogue folder ---------------------------------------------------------

// The last fallback of the catalogue-folder resolution: the folder a host set, else the
// environment variable VEMO_DEFAULT_CATALOG_DIR, else the sample catalogue installed
// with this library (share/vemosupport/catalog beside its lib folder, wherever the
// installation now lies), else the folder the library was configured with.
VEMO_EXPORT std::string DefaultCatalogFolder();
// The folders the last two steps name, in that order, whether they exist or not: what
// a tool reports when no folder was found.
VEMO_EXPORT std::vector<std::string> InstalledCatalogFolders();
VEMO_EXPORT void SetDefaultCatalogFolder(std::string path);
// Forgets the host's folder.
VEMO_EXPORT void ResetDefaultCatalogFolder();

// --- Configuration-file reader --------------------------------------------------------

// The outside component that copies a device configuration file into a node's
// configuration data block.
class VEMO_EXPORT IKivReader {
 public:
  virtual ~IKivReader() = default;
  // True when `block` now holds the device's configuration values from the file; false
  // when the file was not usable. The view has the block's fixed size. Whatever the
  // reader wrote is kept only when it answers true; an exception it throws reaches the
  // caller of PopulateDevice, with the node as it was before the call.
  virtual bool ReadKiv(const std::string& path, const std::string& programId, std::span<std::uint8_t> block) = 0;
};

using KivReaderFactory = std::function<std::unique_ptr<IKivReader>()>;

// Replaces the reader for the whole process; an empty factory restores the default,
// which reads the project's own configuration-file format. Each thread makes its own
// reader from the factory on first use and again after every change.
VEMO_EXPORT void SetKivReaderFactory(KivReaderFactory factory);

// --- Registration record --------------------------------------------------------------

// The JSON record that DllRegisterServer writes and CreateObject reads: the host's
// path, else VEMO_REGISTRY_FILE, else $XDG_CONFIG_HOME/vemosupport/registry.json
// (~/.config when unset).
VEMO_EXPORT std::string RegistryFile();
// An empty path restores the usual location.
VEMO_EXPORT void SetRegistryFile(std::string path);

}  // namespace vemo
