#include "errors.h"

namespace vemo::cli {

std::string Printable(const std::string& text) {
  std::string shown;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    // C1 controls are two bytes in UTF-8: C2 80 to C2 9F.
    const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
                    static_cast<unsigned char>(text[i + 1]) >= 0x80;
    if (c < 0x20 || c == 0x7F || c1) {
      shown += '?';
      if (c1) ++i;
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

}  // namespace vemo::cli
