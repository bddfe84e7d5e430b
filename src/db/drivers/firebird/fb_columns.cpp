#include "fb_columns.h"

#include <cstring>

#include "fb_charsets.h"
#include "fb_datetime.h"

namespace zr::db::firebird {

namespace {

template <typename T>
T Load(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Integer kinds: their type, and for the scaled forms (NUMERIC/DECIMAL) the digits they can hold.
void DescribeInteger(OutputColumn& column, TFDDataType unscaled, int digits) {
  if (column.SqlScale == 0) {
    column.Info.DataType = unscaled;
    return;
  }
  column.Info.DataType = dtBCD;
  column.Info.Precision = digits;
  column.Info.Scale = -column.SqlScale;
  column.Info.Size = column.Info.Scale;
}

void DescribeType(OutputColumn& column) {
  driver::ColumnInfo& info = column.Info;
  switch (column.SqlType) {
    case SQL_SHORT:
      DescribeInteger(column, dtInt16, 4);
      break;
    case SQL_LONG:
      DescribeInteger(column, dtInt32, 9);
      break;
    case SQL_INT64:
      DescribeInteger(column, dtInt64, 18);
      break;
    case SQL_FLOAT:
      info.DataType = dtSingle;
      break;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      info.DataType = dtDouble;
      break;
    case SQL_TEXT:
    case SQL_VARYING:
      info.DataType = column.CharSet == kCharSetOctets ? dtByteString : dtAnsiString;
      info.Size = static_cast<int>(column.Length / BytesPerCharacter(column.CharSet));
      info.FixedChar = column.SqlType == SQL_TEXT;
      break;
    case SQL_TYPE_DATE:
      info.DataType = dtDate;
      break;
    case SQL_TYPE_TIME:
      info.DataType = dtTime;
      break;
    case SQL_TIMESTAMP:
      info.DataType = dtDateTimeStamp;
      break;
    case SQL_BLOB:
      info.DataType = column.SubType == kBlobSubTypeText ? dtMemo : dtBlob;
      break;
    case SQL_BOOLEAN:
      info.DataType = dtBoolean;
      break;
    default:
      info.DataType = dtUnknown;
      break;  // SQL_NULL ("SELECT NULL") and array columns: always null
  }
}

std::string TrimTrailingBlanks(const char* text, size_t length) {
  while (length > 0 && text[length - 1] == ' ') {
    --length;
  }
  return std::string(text, length);
}

std::string ReadBlob(const unsigned char* at, Firebird::IAttachment* attachment,
                     Firebird::ITransaction* transaction) {
  ISC_QUAD id = Load<ISC_QUAD>(at);
  Status status;
  Ref<Firebird::IBlob> blob(attachment->openBlob(status.get(), transaction, &id, 0, nullptr));
  std::string contents;
  char chunk[32768];
  for (;;) {
    unsigned got = 0;
    const int result = blob->getSegment(status.get(), sizeof chunk, chunk, &got);
    if (result != Firebird::IStatus::RESULT_OK && result != Firebird::IStatus::RESULT_SEGMENT) {
      break;  // RESULT_NO_DATA: the end of the blob
    }
    contents.append(chunk, got);
  }
  blob.Take([&](Firebird::IBlob* b) { b->close(status.get()); });
  return contents;
}

}  // namespace

std::vector<OutputColumn> DescribeColumns(Firebird::IMessageMetadata* metadata, const ConnectionText& text) {
  Status status;
  const unsigned count = metadata->getCount(status.get());
  std::vector<OutputColumn> columns(count);
  for (unsigned i = 0; i < count; ++i) {
    OutputColumn& column = columns[i];
    const char* alias = metadata->getAlias(status.get(), i);
    column.Info.Name =
        text.FromServer(alias != nullptr && *alias != '\0' ? alias : metadata->getField(status.get(), i));
    column.SqlType = metadata->getType(status.get(), i) & ~1u;
    column.SubType = metadata->getSubType(status.get(), i);
    column.SqlScale = metadata->getScale(status.get(), i);
    column.Length = metadata->getLength(status.get(), i);
    column.CharSet = metadata->getCharSet(status.get(), i) & 0xFFu;
    column.Offset = metadata->getOffset(status.get(), i);
    column.NullOffset = metadata->getNullOffset(status.get(), i);
    DescribeType(column);
  }
  return columns;
}

TFDValue ReadValue(const OutputColumn& column, const unsigned char* row, Firebird::IAttachment* attachment,
                   Firebird::ITransaction* transaction, const ConnectionText& text) {
  if (Load<short>(row + column.NullOffset) != 0) {
    return std::monostate{};
  }
  // Text the server converted to UTF8 needs nothing; NONE text comes as the bytes stored, and text of any
  // other character set comes converted to the connection's.
  const bool converted = text.Converts() && column.CharSet != kCharSetOctets &&
                         column.CharSet != kCharSetUtf8 && column.CharSet != kCharSetUnicodeFss;
  // Returned by name, so that text left as it came is moved out, not copied.
  const auto read = [&](std::string bytes) {
    if (converted) return text.FromServer(bytes);
    return bytes;
  };
  const unsigned char* at = row + column.Offset;
  const auto integer = [&](int64_t unscaled) -> TFDValue {
    if (column.SqlScale == 0) {
      return unscaled;
    }
    return TFDBcd{unscaled, -column.SqlScale};
  };
  switch (column.SqlType) {
    case SQL_SHORT:
      return integer(Load<int16_t>(at));
    case SQL_LONG:
      return integer(Load<int32_t>(at));
    case SQL_INT64:
      return integer(Load<int64_t>(at));
    case SQL_FLOAT:
      return static_cast<double>(Load<float>(at));
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return Load<double>(at);
    case SQL_TEXT: {
      const char* chars = reinterpret_cast<const char*>(at);
      if (column.CharSet == kCharSetOctets) {
        return std::string(chars, column.Length);
      }
      return read(TrimTrailingBlanks(chars, column.Length));
    }
    case SQL_VARYING:
      return read(std::string(reinterpret_cast<const char*>(at + sizeof(uint16_t)), Load<uint16_t>(at)));
    case SQL_TYPE_DATE:
      return TFDTimeStamp{FromIscDate(Load<ISC_DATE>(at))};
    case SQL_TYPE_TIME:
      return TFDTimeStamp{FromIscTime(Load<ISC_TIME>(at))};
    case SQL_TIMESTAMP:
      return TFDTimeStamp{FromIscTimestamp(Load<ISC_TIMESTAMP>(at))};
    case SQL_BOOLEAN:
      return *at != 0;
    case SQL_BLOB: {
      std::string contents = ReadBlob(at, attachment, transaction);
      if (column.SubType == kBlobSubTypeText) {
        return read(std::move(contents));
      }
      return TFDBytes{std::vector<unsigned char>(contents.begin(), contents.end())};
    }
    default:
      return std::monostate{};
  }
}

}  // namespace zr::db::firebird
