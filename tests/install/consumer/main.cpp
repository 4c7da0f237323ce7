// A program built against an installed vemosupport: looks the demo device up in the
// installed catalogue and populates its node from the sample configuration file.
#include <iostream>
#include <memory>
#include <string>

#include "vemosupport/cFactory.h"
#include "vemosupport/I709Node.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string catalog = argv[1];
  vemo::cFactory factory;
  const auto record = factory.CreateProgIDInfo("9A10C0DE00010401", catalog);
  if (!record || !record->IsValid()) return 1;
  const auto node = factory.CreateVirtualC472Node(record);
  if (!node->PopulateDevice(catalog + "/9A10C0DE00010401.kiv")) return 1;
  const auto i709 = std::dynamic_pointer_cast<vemo::I709Node>(node);
  std::cout << record->DeviceType() << ": " << i709->ObjectCount() << " objects\n";
  return i709->ObjectCount() > 1 ? 0 : 1;
}
