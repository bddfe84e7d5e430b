#include "fb_input.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "common/ascii.h"
#include "db/param_kind.h"
#include "fb_charsets.h"
#include "fb_datetime.h"
#include "fb_error.h"

namespace zr::db::firebird {

namespace {

constexpr size_t kMaxVarcharBytes = 32765;
constexpr unsigned kTextLengthStep = 64;

// How the values of one parameter travel.
// Fixed: a number written client-side as the described (scaled) integer, rounded half away from zero like
// the server rounds.
enum class Kind { Described, Text, Bytes, Double, Integer, Bcd, Fixed, Date, Time, Timestamp, Boolean, Blob };

// The framework's kind, in the forms a Firebird message carries: a decimal or currency travels as a scaled
// integer when its values are BCDs and as a double otherwise.
Kind KindOf(TParamKind kind, const TFDValue& sample) {
  switch (kind) {
    case TParamKind::Text:
      return Kind::Text;
    case TParamKind::Binary:
      return Kind::Bytes;
    case TParamKind::Integer:
      return Kind::Integer;
    case TParamKind::Boolean:
      return Kind::Boolean;
    case TParamKind::Float:
      return Kind::Double;
    case TParamKind::Currency:
    case TParamKind::Decimal:
      return std::holds_alternative<TFDBcd>(sample) ? Kind::Bcd : Kind::Double;
    case TParamKind::Date:
      return Kind::Date;
    case TParamKind::Time:
      return Kind::Time;
    case TParamKind::DateTime:
      return Kind::Timestamp;
    case TParamKind::ByValue:
      break;
  }
  return Kind::Described;
}

Kind KindOfType(TFieldType type, const TFDValue& sample) {
  const TParamKind kind = ParamKindOf(type);
  return KindOf(kind == TParamKind::ByValue ? ParamKindOfValue(sample) : kind, sample);
}

std::string TwoDigits(unsigned value) {
  return std::string(1, static_cast<char>('0' + value / 10 % 10)) + static_cast<char>('0' + value % 10);
}

std::string DateText(ISC_DATE date) {
  unsigned year = 0, month = 0, day = 0;
  Util()->decodeDate(date, &year, &month, &day);
  std::string y = std::to_string(year);
  while (y.size() < 4) y.insert(y.begin(), '0');
  return y + "-" + TwoDigits(month) + "-" + TwoDigits(day);
}

std::string TimeText(ISC_TIME time) {
  unsigned hours = 0, minutes = 0, seconds = 0, fractions = 0;
  Util()->decodeTime(time, &hours, &minutes, &seconds, &fractions);
  std::string f = std::to_string(fractions);
  while (f.size() < 4) f.insert(f.begin(), '0');
  return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds) + "." + f;
}

template <typename T>
void Store(unsigned char* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

int64_t PowerOfTen(int exponent) {
  int64_t result = 1;
  for (int i = 0; i < exponent; ++i) {
    result *= 10;
  }
  return result;
}

int64_t ScaledInteger(const TFDValue& value, int scale) {
  if (const auto* bcd = std::get_if<TFDBcd>(&value)) {
    if (bcd->Scale >= scale) {
      return bcd->Unscaled / PowerOfTen(bcd->Scale - scale);
    }
    return bcd->Unscaled * PowerOfTen(scale - bcd->Scale);
  }
  if (const auto* integer = std::get_if<int64_t>(&value)) {
    return *integer * PowerOfTen(scale);  // exact, also beyond a double's 53 bits
  }
  // Half away from zero, as the server rounds a DOUBLE PRECISION into a NUMERIC
  return std::llround(ValueAsFloat(value) * static_cast<double>(PowerOfTen(scale)));
}

bool IsIntegerType(unsigned sqlType) {
  return sqlType == SQL_SHORT || sqlType == SQL_LONG || sqlType == SQL_INT64;
}

// True when every number of the range, scaled to `scale` decimals, fits the described integer type.
bool FitsInteger(const std::vector<TFDValue>& values, int from, int count, unsigned sqlType, int scale) {
  const double limit = sqlType == SQL_SHORT ? 32767.0 : sqlType == SQL_LONG ? 2147483647.0 : 9.2e18;
  const double factor = static_cast<double>(PowerOfTen(scale));
  for (int e = from; e < from + count; ++e) {
    const TFDValue& value = values[static_cast<size_t>(e)];
    if (IsNullValue(value)) {
      continue;
    }
    if (!std::holds_alternative<double>(value) && !std::holds_alternative<int64_t>(value)) {
      return false;
    }
    if (!(std::fabs(ValueAsFloat(value) * factor) < limit)) {
      return false;
    }
  }
  return true;
}

void StoreFixed(unsigned char* at, unsigned sqlType, int64_t unscaled) {
  switch (sqlType) {
    case SQL_SHORT:
      Store<int16_t>(at, static_cast<int16_t>(unscaled));
      break;
    case SQL_LONG:
      Store<int32_t>(at, static_cast<int32_t>(unscaled));
      break;
    default:
      Store<int64_t>(at, unscaled);
      break;
  }
}

std::string BytesOf(const TFDValue& value) {
  if (const auto* bytes = std::get_if<TFDBytes>(&value)) {
    return std::string(bytes->Data.begin(), bytes->Data.end());
  }
  return ValueAsString(value);
}

// `charSet`: for text, the connection's character set, in which `contents` is written.
ISC_QUAD WriteBlob(const std::string& contents, bool text, unsigned charSet,
                   Firebird::IAttachment* attachment, Firebird::ITransaction* transaction) {
  if (transaction == nullptr) {
    throw EDatabaseError("A BLOB parameter needs a transaction");
  }
  // Text is written in the connection's character set so the engine stores it as the column's text without
  // conversion surprises.
  const auto interp = static_cast<unsigned char>(charSet);
  const std::array<unsigned char, 13> textBlob = {isc_bpb_version1,
                                                  isc_bpb_source_type,
                                                  1,
                                                  kBlobSubTypeText,
                                                  isc_bpb_target_type,
                                                  1,
                                                  kBlobSubTypeText,
                                                  isc_bpb_source_interp,
                                                  1,
                                                  interp,
                                                  isc_bpb_target_interp,
                                                  1,
                                                  interp};
  Status status;
  ISC_QUAD id{};
  Ref<Firebird::IBlob> blob(attachment->createBlob(status.get(), transaction, &id,
                                                   text ? static_cast<unsigned>(textBlob.size()) : 0,
                                                   text ? textBlob.data() : nullptr));
  constexpr size_t kSegment = 32768;
  for (size_t at = 0; at < contents.size(); at += kSegment) {
    const size_t length = std::min(kSegment, contents.size() - at);
    blob->putSegment(status.get(), static_cast<unsigned>(length), contents.data() + at);
  }
  blob.Take([&](Firebird::IBlob* b) { b->close(status.get()); });
  return id;
}

}  // namespace

std::optional<BlockValue> BlockValueOf(TFieldType type, const TFDValue& value) {
  if (IsNullValue(value)) return BlockValue{false, "NULL", 0.0};
  switch (KindOfType(type, value)) {
    case Kind::Text: {
      const std::string text = ValueAsString(value);
      if (text.find('\0') != std::string::npos) return std::nullopt;
      return BlockValue{false, common::QuotedStr(text), 0.0};
    }
    case Kind::Double: {
      const double number = ValueAsFloat(value);
      if (!std::isfinite(number)) return std::nullopt;
      return BlockValue{true, {}, number};
    }
    case Kind::Integer:
      return BlockValue{false, std::to_string(ValueAsInteger(value)), 0.0};
    case Kind::Date:
      return BlockValue{
          false, "DATE '" + DateText(ToIscTimestamp(ValueAsDateTime(value)).timestamp_date) + "'", 0.0};
    case Kind::Time:
      return BlockValue{
          false, "TIME '" + TimeText(ToIscTimestamp(ValueAsDateTime(value)).timestamp_time) + "'", 0.0};
    case Kind::Timestamp: {
      const ISC_TIMESTAMP stamp = ToIscTimestamp(ValueAsDateTime(value));
      return BlockValue{
          false, "TIMESTAMP '" + DateText(stamp.timestamp_date) + " " + TimeText(stamp.timestamp_time) + "'",
          0.0};
    }
    case Kind::Boolean:
      if (const bool* flag = std::get_if<bool>(&value))
        return BlockValue{false, *flag ? "TRUE" : "FALSE", 0.0};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

void InputMessage::Fill(Firebird::IMessageMetadata* described, const std::vector<driver::ParamColumn>& params,
                        int elements, int offset, Firebird::IAttachment* attachment,
                        Firebird::ITransaction* transaction, const ConnectionText& text) {
  Status status;
  const unsigned count = described->getCount(status.get());
  const size_t width = params.size();
  if (count != width * static_cast<size_t>(elements)) {
    throw EDatabaseError("The statement has " +
                         std::to_string(elements > 0 ? count / static_cast<unsigned>(elements) : count) +
                         " parameter(s) but " + std::to_string(width) + " were given");
  }
  for (const driver::ParamColumn& column : params) {
    if (column.Values == nullptr || column.Values->size() < static_cast<size_t>(offset + elements)) {
      throw EDatabaseError("A parameter has fewer values than the elements to execute");
    }
  }

  // One kind and message type per parameter, the same for every element.
  std::vector<Kind> kinds(width);
  std::vector<FieldType> types(count);
  for (size_t j = 0; j < width; ++j) {
    const std::vector<TFDValue>& values = *params[j].Values;
    const TFDValue* sample = nullptr;
    size_t longest = 0;
    for (int e = 0; e < elements; ++e) {
      const TFDValue& value = values[static_cast<size_t>(offset + e)];
      if (!IsNullValue(value)) {
        sample = sample != nullptr ? sample : &value;
        if (std::holds_alternative<std::string>(value)) {
          longest = std::max(longest, std::get<std::string>(value).size());
        } else if (std::holds_alternative<TFDBytes>(value)) {
          longest = std::max(longest, std::get<TFDBytes>(value).Data.size());
        } else {
          longest = std::max<size_t>(longest, 32);  // a number or date written as text
        }
      }
    }
    const unsigned index = static_cast<unsigned>(j);
    FieldType type{described->getType(status.get(), index) & ~1u, described->getSubType(status.get(), index),
                   described->getLength(status.get(), index), described->getScale(status.get(), index),
                   described->getCharSet(status.get(), index)};
    Kind kind = sample == nullptr ? Kind::Described : KindOfType(params[j].DataType, *sample);
    if (kind != Kind::Described && type.SqlType == SQL_BLOB && (kind == Kind::Text || kind == Kind::Bytes)) {
      kind = Kind::Blob;
    }
    int bcdScale = 0;
    if (kind == Kind::Bcd) {
      for (int e = 0; e < elements; ++e) {
        if (const auto* bcd = std::get_if<TFDBcd>(&values[static_cast<size_t>(offset + e)])) {
          bcdScale = std::max(bcdScale, bcd->Scale);
        }
      }
    }
    // Values that already fit the described type travel in it, so the server has nothing to convert: the
    // bulk of an array execution's cost on the server otherwise.
    // (A value's bytes in a legacy code page are never more than its UTF-8 bytes.)
    const bool describedText =
        (type.SqlType == SQL_VARYING || type.SqlType == SQL_TEXT) &&
        (type.CharSet == text.CharSet() || (text.Converts() && type.CharSet == kCharSetNone)) &&
        longest <= type.Length;
    if (kind == Kind::Text && describedText) {
      type = {SQL_VARYING, 0, type.Length, 0, text.CharSet()};
      kinds[j] = kind;
      for (int e = 0; e < elements; ++e) {
        types[static_cast<size_t>(e) * width + j] = type;
      }
      continue;
    }
    if ((kind == Kind::Double || kind == Kind::Integer) && IsIntegerType(type.SqlType) &&
        FitsInteger(values, offset, elements, type.SqlType, -type.Scale)) {
      kind = Kind::Fixed;
    }
    kinds[j] = kind;
    switch (kind) {
      case Kind::Described:
      case Kind::Blob:
      case Kind::Fixed:
        break;
      case Kind::Text:
      case Kind::Bytes:
        if (longest > kMaxVarcharBytes) {
          throw EDatabaseError("A text parameter of " + std::to_string(longest) +
                               " bytes is longer than the 32765 bytes a non-BLOB parameter takes");
        }
        type = {SQL_VARYING, 0,
                static_cast<unsigned>(
                    std::min(kMaxVarcharBytes, (longest / kTextLengthStep + 1) * kTextLengthStep)),
                0, kind == Kind::Text ? text.CharSet() : kCharSetOctets};
        break;
      case Kind::Double:
        type = {SQL_DOUBLE, 0, sizeof(double), 0, 0};
        break;
      case Kind::Integer:
        type = {SQL_INT64, 0, sizeof(int64_t), 0, 0};
        break;
      case Kind::Bcd:
        type = {SQL_INT64, 0, sizeof(int64_t), -bcdScale, 0};
        break;
      case Kind::Date:
        type = {SQL_TYPE_DATE, 0, sizeof(ISC_DATE), 0, 0};
        break;
      case Kind::Time:
        type = {SQL_TYPE_TIME, 0, sizeof(ISC_TIME), 0, 0};
        break;
      case Kind::Timestamp:
        type = {SQL_TIMESTAMP, 0, sizeof(ISC_TIMESTAMP), 0, 0};
        break;
      case Kind::Boolean:
        type = {SQL_BOOLEAN, 0, 1, 0, 0};
        break;
    }
    for (int e = 0; e < elements; ++e) {
      types[static_cast<size_t>(e) * width + j] = type;
    }
  }
  if (types != types_ || !metadata_) {
    Layout(described, types);
  }

  unsigned char* message = Buffer();
  std::memset(message, 0, buffer_.size() * sizeof(int64_t));
  std::string converted;  // a value that is not text, written as text
  std::string scratch;    // a value in the connection's code page
  for (int e = 0; e < elements; ++e) {
    for (size_t j = 0; j < width; ++j) {
      const size_t field = static_cast<size_t>(e) * width + j;
      const TFDValue& value = (*params[j].Values)[static_cast<size_t>(offset + e)];
      unsigned char* at = message + offsets_[field];
      const bool isNull = IsNullValue(value) || kinds[j] == Kind::Described;
      Store<short>(message + nullOffsets_[field], isNull ? -1 : 0);
      if (isNull) {
        continue;
      }
      switch (kinds[j]) {
        case Kind::Described:
          break;
        case Kind::Text:
        case Kind::Bytes: {
          // Text values are copied straight from the parameter (on a UTF8 connection); other values are
          // converted first.
          const std::string* string = std::get_if<std::string>(&value);
          if (string == nullptr) converted = kinds[j] == Kind::Text ? ValueAsString(value) : BytesOf(value);
          const std::string& raw = string != nullptr ? *string : converted;
          const std::string& bytes = kinds[j] == Kind::Text ? text.Value(raw, scratch) : raw;
          if (bytes.size() > types[field].Length) {
            throw EDatabaseError("A text parameter of " + std::to_string(bytes.size()) +
                                 " bytes does not fit the message");  // a number longer than expected
          }
          Store<uint16_t>(at, static_cast<uint16_t>(bytes.size()));
          std::memcpy(at + sizeof(uint16_t), bytes.data(), bytes.size());
          break;
        }
        case Kind::Double:
          Store<double>(at, ValueAsFloat(value));
          break;
        case Kind::Integer:
          Store<int64_t>(at, ValueAsInteger(value));
          break;
        case Kind::Bcd:
          Store<int64_t>(at, ScaledInteger(value, -types[field].Scale));
          break;
        case Kind::Fixed:
          StoreFixed(at, types[field].SqlType, ScaledInteger(value, -types[field].Scale));
          break;
        case Kind::Date:
          Store<ISC_DATE>(at, ToIscTimestamp(ValueAsDateTime(value)).timestamp_date);
          break;
        case Kind::Time:
          Store<ISC_TIME>(at, ToIscTimestamp(ValueAsDateTime(value)).timestamp_time);
          break;
        case Kind::Timestamp:
          Store<ISC_TIMESTAMP>(at, ToIscTimestamp(ValueAsDateTime(value)));
          break;
        case Kind::Boolean:
          *at = std::holds_alternative<bool>(value) ? std::get<bool>(value) : ValueAsInteger(value) != 0;
          break;
        case Kind::Blob:
          if (types[field].SubType == kBlobSubTypeText) {
            const std::string contents = BytesOf(value);
            Store<ISC_QUAD>(
                at, WriteBlob(text.Value(contents, scratch), true, text.CharSet(), attachment, transaction));
          } else {
            Store<ISC_QUAD>(at, WriteBlob(BytesOf(value), false, 0, attachment, transaction));
          }
          break;
      }
    }
  }
}

void InputMessage::Layout(Firebird::IMessageMetadata* described, const std::vector<FieldType>& types) {
  Status status;
  Ref<Firebird::IMetadataBuilder> builder(described->getBuilder(status.get()));
  for (unsigned i = 0; i < types.size(); ++i) {
    const FieldType& type = types[i];
    builder->setType(status.get(), i, type.SqlType | 1u);
    builder->setLength(status.get(), i, type.Length);
    builder->setScale(status.get(), i, type.Scale);
    builder->setSubType(status.get(), i, type.SubType);
    builder->setCharSet(status.get(), i, type.CharSet);
  }
  metadata_.reset(builder->getMetadata(status.get()));
  offsets_.resize(types.size());
  nullOffsets_.resize(types.size());
  for (unsigned i = 0; i < types.size(); ++i) {
    offsets_[i] = metadata_->getOffset(status.get(), i);
    nullOffsets_[i] = metadata_->getNullOffset(status.get(), i);
  }
  buffer_.assign(MessageWords(status, metadata_.get()), 0);
  types_ = types;
}

}  // namespace zr::db::firebird
