// Small text helpers of the evidence files: JSON strings written by hand (the
// core links no JSON library) and the time of day in UTC.
#pragma once

#include <string>

namespace quovil {

// s as a JSON string, quotes included (UTF-8 passes through).
std::string JsonQuote(const std::string& s);

// The present moment in UTC, "2024-06-15T12:00:00Z".
std::string UtcNowText();

// Writes text to path beside it first and renames it over; false with error.
bool WriteTextFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace quovil
