#include "export/card_identity.h"

#include <vector>

#include "card/card_regions.h"
#include "export/evidence_text.h"
#include "platform/digest.h"

namespace quovil {

namespace {

// The SHA-256 of the regions one after another; empty when one cannot be read.
std::string RegionsSha256(BlockDevice& dev, const std::vector<CardRegion>& regions) {
  Digest d(DigestKind::Sha256);
  std::vector<uint8_t> buf;
  for (const CardRegion& r : regions) {
    // The catalogue is at most a few MiB; read it in pieces all the same.
    for (uint64_t done = 0; done < r.bytes;) {
      const std::size_t n = std::size_t(std::min<uint64_t>(r.bytes - done, 1u << 20));
      buf.resize(n);
      if (!dev.Read(r.offset + done, buf.data(), n)) return {};
      d.Update(buf.data(), n);
      done += n;
    }
  }
  return d.FinishHex();
}

}  // namespace

std::string CardIdentityName(const std::string& archive) { return archive + ".card.json"; }

bool CardIdentityText(const Source& src, std::string& text) {
  if (!src.SourceIsCard || !src.Card) return false;
  BlockDevice& dev = *src.Card;
  const CardIdentityRegions regions = IdentityRegionsOf(src);
  uint64_t catalogueBytes = 0;
  for (const CardRegion& r : regions.catalogue) catalogueBytes += r.bytes;
  const std::string boot = RegionsSha256(dev, {regions.boot});
  const std::string state = boot.empty() ? std::string() : RegionsSha256(dev, regions.stateTables);
  const std::string catalogue = state.empty() ? std::string() : RegionsSha256(dev, regions.catalogue);
  if (catalogue.empty()) return false;
  text = "{\n"
         "  \"device\": " + JsonQuote(dev.Name()) + ",\n"
         "  \"cardFormat\": " + std::to_string(src.CardFormat) + ",\n"
         "  \"cardBytes\": " + std::to_string(dev.Length()) + ",\n"
         "  \"bootSectorSha256\": " + JsonQuote(boot) + ",\n"
         "  \"stateTablesSha256\": " + JsonQuote(state) + ",\n"
         "  \"catalogueBytes\": " + std::to_string(catalogueBytes) + ",\n"
         "  \"catalogueSha256\": " + JsonQuote(catalogue) + ",\n"
         "  \"recorded\": " + JsonQuote(UtcNowText()) + "\n"
         "}\n";
  return true;
}

bool WriteCardIdentity(const std::string& text, const std::string& archive, std::string& error) {
  return WriteTextFile(CardIdentityName(archive), text, error);
}

}  // namespace quovil
