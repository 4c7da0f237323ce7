#include "vemosupport/cFactory.h"

#include <cstdint>
#include <limits>
#include <string>

#include "catalogue/catalogue_search.h"
#include "factory/folder_resolution.h"
#include "vemosupport/host.h"
#include "node/C472VirtualNode.h"
#include "vemosupport/automation_error.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "progid/cProgIDConfigInfo.h"
#include "progid/cProgIDInfo.h"
#include "services/config_path_service.h"

namespace vemo {

namespace {

constexpr std::size_t kProgramIdLength = 16;
constexpr std::size_t kDeviceCodeLength = 4;

}  // namespace

struct cFactory::State {
  std::int32_t m_lNodeCount = 0;
  std::string m_sXMLFolder;  // the folder this factory remembered

  std::string ResolveOrRaise(const std::string& sXMLFolder, const char* source) {
    std::string folder = ResolveXMLFolder(m_sXMLFolder, TrimSpaces(sXMLFolder));
    if (folder.empty()) throw AutomationError(err::kPathNotFound, source, "Folder not found");
    return folder;
  }
};

cFactory::cFactory() : state_(std::make_unique<State>()) {}
cFactory::~cFactory() = default;

std::shared_ptr<IVemoProgIDInfo> cFactory::CreateProgIDInfo(const std::string& sProgID, const std::string& sXMLFolder) {
  const std::string folder = state_->ResolveOrRaise(sXMLFolder, "CreateProgIDInfo");
  const std::string id = TrimSpaces(sProgID);
  const std::size_t length = CharacterCount(id);
  CatalogueMatch match;
  if (length == kProgramIdLength) {
    match = SearchByProgramID(folder, id);
  } else if (length == kDeviceCodeLength) {
    match = SearchByDeviceCode(folder, id);
  } else {
    throw AutomationError(err::kInvalidValue, "CreateProgIDInfo",
                          "Invalid value for sProgID, must be 4 or 16 chars long!");
  }
  if (!match.element) return nullptr;
  auto record = std::make_shared<cProgIDInfo>();
  record->LoadDeviceEntry(match.element, match.file);
  return record;
}

std::shared_ptr<IVemoProgIDConfigInfo> cFactory::CreateProgIDConfigInfo(const std::string& sProgID,
                                                                        const std::string& sXMLFolder) {
  const std::string folder = state_->ResolveOrRaise(sXMLFolder, "CreateProgIDConfigInfo");
  const std::string id = TrimSpaces(sProgID);
  if (CharacterCount(id) != kProgramIdLength) {
    throw AutomationError(err::kInvalidValue, "CreateProgIDConfigInfo",
                          "Invalid value for sProgID, must be 16 chars long!");
  }
  const CatalogueMatch match = SearchByProgramID(folder, id);
  if (!match.element) return nullptr;
  auto record = std::make_shared<cProgIDConfigInfo>();
  record->LoadConfigEntry(match.element, match.file);
  return record;
}

std::shared_ptr<_C472VirtualNode> cFactory::CreateVirtualC472Node(const std::shared_ptr<IVemoProgIDInfo>& oProgIDInfo) {
  if (!oProgIDInfo) return nullptr;
  auto node = std::make_shared<C472VirtualNode>();
  std::int32_t& count = state_->m_lNodeCount;
  const std::string number = UniqueNodeNumber(count);
  // The count stops at its largest value rather than wrapping to a negative number.
  if (count < std::numeric_limits<std::int32_t>::max()) ++count;
  node->InitNode(oProgIDInfo, number);
  return node;
}

cFactory& ApplicationFactory() {
  thread_local const std::shared_ptr<cFactory> factory = std::make_shared<cFactory>();
  return *factory;
}

}  // namespace vemo
