#include "display/DisplayState.h"

namespace corvale {

ColorScheme SchemeColors(int scheme) {
  switch (scheme) {
    case 2: return {0x000000, 0xFFFFFF, 0x004400, 0x007700, 0x00FFFF};
    case 3: return {0x000000, 0xFFFFFF, 0x006600, 0x009900, 0x00FFFF};
    default: return {0xFFFFFF, 0x000000, 0xFFCCFF, 0xFF88FF, 0xFF0000};
  }
}

}  // namespace corvale
