#include "card/catalogue.h"
#include "platform/translate.h"

namespace quovil {

RecordKind KindOfFlag(uint8_t flag, bool longRule) {
  if (!longRule) {
    switch (flag & 0x1E) {
      case 0x02: return RecordKind::Manual;
      case 0x04: return RecordKind::External;
      case 0x08: return RecordKind::Motion;
      case 0x10: return RecordKind::Timer;
      default: return RecordKind::Error;
    }
  }
  if ((flag & 0xFC) == 0) return RecordKind::Manual;
  if (flag & 0x04) return RecordKind::External;
  if (flag & 0x08) return RecordKind::Motion;
  if (flag & 0x10) return RecordKind::Timer;
  if (flag & 0x20) return RecordKind::Sound;
  return RecordKind::Error;
}

const char* KindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::Manual: return Tr("Card", "ручная запись");
    case RecordKind::External: return Tr("Card", "по звонку");
    case RecordKind::Motion: return Tr("Card", "по движению");
    case RecordKind::Timer: return Tr("Card", "по таймеру");
    case RecordKind::Sound: return Tr("Card", "по звуку");
    default: return Tr("Card", "ошибка записи");
  }
}

const char* KindText(uint8_t flag, bool longRule) { return KindName(KindOfFlag(flag, longRule)); }

}  // namespace quovil
