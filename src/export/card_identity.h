// The card an archive was saved from, recorded beside the archive (the
// archive's own format has no room for it): the card's size and the SHA-256
// of its boot sector, its two state-table copies and its catalogue, read
// from the card as it is, so that the archive can be traced to the card.
#pragma once

#include <string>

#include "card/source.h"

namespace quovil {

// archive + ".card.json".
std::string CardIdentityName(const std::string& archive);

// The record as JSON text, read from the card of src now. False when a
// region cannot be read.
bool CardIdentityText(const Source& src, std::string& text);

// Writes a record made by CardIdentityText beside the archive. False with error.
bool WriteCardIdentity(const std::string& text, const std::string& archive, std::string& error);

}  // namespace quovil
