#include "card/catalogue.h"

namespace quovil {

const char* KindText(uint8_t flag, bool longRule) {
  if (!longRule) {
    switch (flag & 0x1E) {
      case 0x02: return "ручная запись";
      case 0x04: return "по звонку";
      case 0x08: return "по движению";
      case 0x10: return "по таймеру";
      default: return "ошибка записи";
    }
  }
  if ((flag & 0xFC) == 0) return "ручная запись";
  if (flag & 0x04) return "по звонку";
  if (flag & 0x08) return "по движению";
  if (flag & 0x10) return "по таймеру";
  if (flag & 0x20) return "по звуку";
  return "ошибка записи";
}

}  // namespace quovil
