#pragma once
// The input message of one execution. Each parameter is sent as the type of the values bound to it (text
// as VARCHAR in the connection's character set, UTF8 or a legacy code page (fb_text.h), floats as DOUBLE
// PRECISION, integers as BIGINT, dates as DATE or TIMESTAMP...) and the server converts it to the type it
// described, with its own rules and messages; a parameter whose values are all null keeps the described
// type. Values for BLOB parameters are written as BLOBs first.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/driver.h"
#include "fb_api.h"
#include "fb_text.h"

namespace zr::db::firebird {

// A parameter value written into a statement's text, as a batch sends it: a literal of the type the value
// would have travelled in (text, BIGINT, DATE, TIME, TIMESTAMP, BOOLEAN, NULL), or a double, which travels as
// a DOUBLE PRECISION input of the block because its decimal form need not convert back to the same bits.
// Nothing when the value cannot be written so (BLOBs, bytes, scaled decimals, non-finite numbers, text
// holding a zero byte).
struct BlockValue {
  bool IsDouble = false;
  std::string Literal;
  double Number = 0.0;
};
std::optional<BlockValue> BlockValueOf(TFieldType type, const TFDValue& value);

class InputMessage {
 public:
  // Fills the message for `elements` elements from `offset`: input `e * params.size() + j` receives
  // element offset+e of params[j]. `described` is the request's input metadata; text goes through `text`,
  // as the same value would as a literal of the statement. EDatabaseError when the counts disagree or a
  // value cannot be sent (a character not in the connection's code page among them).
  void Fill(Firebird::IMessageMetadata* described, const std::vector<driver::ParamColumn>& params,
            int elements, int offset, Firebird::IAttachment* attachment, Firebird::ITransaction* transaction,
            const ConnectionText& text);

  Firebird::IMessageMetadata* Metadata() const noexcept { return metadata_.get(); }
  unsigned char* Buffer() noexcept { return reinterpret_cast<unsigned char*>(buffer_.data()); }

 private:
  struct FieldType {
    unsigned SqlType = 0;
    int SubType = 0;
    unsigned Length = 0;
    int Scale = 0;
    unsigned CharSet = 0;
    bool operator==(const FieldType&) const = default;
  };

  void Layout(Firebird::IMessageMetadata* described, const std::vector<FieldType>& types);

  std::vector<FieldType> types_;
  Ref<Firebird::IMessageMetadata> metadata_;
  std::vector<unsigned> offsets_;
  std::vector<unsigned> nullOffsets_;
  std::vector<int64_t> buffer_;  // int64_t keeps the message aligned for every field type
};

}  // namespace zr::db::firebird
