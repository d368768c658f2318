#pragma once
// Turns a fuzz input into the decompressed stream a reader sees. The first
// byte chooses: odd, the rest is taken as the file itself (a zlib stream,
// damaged or not); even, the rest is the payload and is compressed first, so
// that the fuzzer reaches the record readers quickly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/dialogs.h"
#include "store/streams.h"
#include "store/tables.h"

namespace fuzzstore {

inline std::unique_ptr<TZlibReadStream> Payload(const uint8_t* data, size_t size) {
  if (size == 0) return nullptr;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  return std::make_unique<TZlibReadStream>((data[0] & 1) ? rest : ZlibCompress(rest));
}

inline void ClearTables() {
  Customers.Clear();
  Projects.Clear();
  Transits.Clear();
  Conduits.Clear();
}

class TSilentSink : public TCollectingDialogs {
public:
  void ShowMessage(const std::string&, const std::string& = {}) override {}
  void ShowError(const std::string&) override {}
};

}  // namespace fuzzstore
