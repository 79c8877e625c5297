// Recognising a card from its boot sector and state table, and deriving the
// card values every other part reads.
#pragma once

#include <cstdint>
#include <string>

#include "card/source.h"
#include "platform/host.h"
#include "platform/translate.h"

namespace quovil {

// Bytes of the boot sector the viewer keeps.
inline constexpr int kBootBytes = 116;
// Largest picture the frame buffers hold; a card claiming more is damaged.
inline constexpr int64_t kMaxPictureBytes = 131072;

inline constexpr const char* kBadHeaderText = QUOVIL_TR_NOOP("Card", "Испорчен заголовок карты памяти!");
inline constexpr const char* kBadVersionText = QUOVIL_TR_NOOP("Card", "Не поддерживаемая версия!");
inline constexpr const char* kCopiesDifferText =
    QUOVIL_TR_NOOP("Card", "Копии таблиц состояния отличаются!\rХотите исползовать первую копию?\rОтветьте нет, если второую.");

// The status bar's fill pair from the held state table (formats 0 and 1) or
// the loaded catalogue (format 2); after recognising and after clearing.
void SetFillPair(Source& src);

// Sector 0 (at least 11 bytes) carries "KORAX2.0" or "KORAX-X " at byte 3.
bool HasCardMagic(const uint8_t* sector0);

// Recognises the card on src.Card whose sector 0 (512 bytes) has already
// passed HasCardMagic: chooses the format, reads and checks the state table,
// derives the card values and loads the catalogue. On failure returns false;
// header errors the user should see are put into noSourceText. The format-2
// question about differing copies goes through host.
bool ReadCardHeader(Source& src, const uint8_t* sector0, ViewerHost& host, std::string& noSourceText);

}  // namespace quovil
